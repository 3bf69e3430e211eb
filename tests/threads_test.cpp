// Every entry called from several threads at once gives exactly the answers
// it gives on one thread: the library keeps no state a call could disturb.
#include <cstring>
#include <random>
#include <thread>

#include "test_support.h"

namespace tavo::test {
namespace {

struct Call {
  int kind;  // 0 translate, 1 message, 2 face name, 3 character check
  int32_t a, b, c;
  std::string value;
};

struct Answer {
  int32_t rc, len;
  std::string bytes;
  bool operator==(const Answer&) const = default;
};

Answer Perform(const Call& call) {
  char buf[512];
  std::memset(buf, 0, sizeof buf);
  int32_t len = -1;
  int32_t rc = 0;
  switch (call.kind) {
    case 0: rc = BC_FontTranslate(call.a, call.value.c_str(), call.b, buf, sizeof buf, &len); break;
    case 1: rc = BC_StrErr(call.a, buf, sizeof buf); break;
    case 2: rc = BC_FontGetFaceName(call.value.c_str(), call.a, call.b, call.c, buf, sizeof buf, &len); break;
    default: rc = BC_CharCheck(call.a, call.b, call.c, buf, sizeof buf, &len); break;
  }
  return {rc, len, std::string(buf, sizeof buf)};
}

std::vector<Call> SeededCalls() {
  std::mt19937 rng(20261207);
  auto pick = [&](int n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
  std::vector<Call> calls;
  for (int i = 0; i < 400; ++i) {
    std::string value;
    const int len = pick(20);
    const bool digits = pick(2) == 0;
    for (int k = 0; k < len; ++k) {
      value.push_back(digits ? static_cast<char>('0' + pick(10)) : static_cast<char>(1 + pick(127)));
    }
    calls.push_back({0, pick(13), pick(2), 0, value});
  }
  for (int i = 0; i < 40; ++i) calls.push_back({1, 32498 + pick(35), 0, 0, ""});
  for (int i = 0; i < 40; ++i) calls.push_back({2, pick(13), pick(4), pick(2), "TAVO "});
  for (int i = 0; i < 80; ++i) calls.push_back({3, pick(24), pick(258) - 1, pick(2), ""});
  return calls;
}

TEST(Threads, ConcurrentCallsMatchSingleThreadedOnes) {
  const std::vector<Call> calls = SeededCalls();
  std::vector<Answer> expected;
  for (const Call& c : calls) expected.push_back(Perform(c));

  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread walks the calls from a different starting point.
        for (size_t i = 0; i < calls.size(); ++i) {
          const size_t k = (i + static_cast<size_t>(t) * 97) % calls.size();
          if (!(Perform(calls[k]) == expected[k])) ++mismatches[static_cast<size_t>(t)];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[static_cast<size_t>(t)], 0) << "thread " << t;
}

}  // namespace
}  // namespace tavo::test
