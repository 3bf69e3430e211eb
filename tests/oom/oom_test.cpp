// Memory exhaustion: with the k-th allocation of a call made to fail, every
// entry returns "Out of Memory." (or succeeds when it did not need that
// allocation), writes nothing, and leaks nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "tavo32.h"

namespace {

// Allocation counter and failure trigger.  The test is single-threaded.
long g_allocations = 0;      // allocations since Arm()
long g_fail_at = -1;         // fail the allocation with this index, -1 never
long g_live = 0;             // allocations not yet freed

void Arm(long fail_at) {
  g_allocations = 0;
  g_fail_at = fail_at;
}

}  // namespace

void* operator new(std::size_t size) {
  if (g_fail_at >= 0 && g_allocations++ == g_fail_at) throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++g_live;
  return p;
}
void operator delete(void* p) noexcept {
  if (p) --g_live;
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr char kSentinel = '\x5A';

struct Call {
  std::string what;
  std::function<int32_t(char* buf, int32_t cap, int32_t* len)> run;
};

// Every entry that builds a string, over values that need several
// allocations (long values do not fit the small-string storage).
std::vector<Call> Calls() {
  std::vector<Call> calls;
  for (int32_t sym = 0; sym < 12; ++sym) {
    for (const char* value : {"0123456789012", "Code 39 with a value too long for small strings"}) {
      calls.push_back({"translate " + std::to_string(sym) + " " + value,
                       [sym, value](char* b, int32_t c, int32_t* l) {
                         return BC_FontTranslate(sym, value, 1, b, c, l);
                       }});
    }
  }
  calls.push_back({"error message", [](char* b, int32_t c, int32_t*) { return BC_StrErr(32503, b, c); }});
  calls.push_back({"face name", [](char* b, int32_t c, int32_t* l) {
                     return BC_FontGetFaceName("A prefix long enough to need the heap ", 11, 2, 1, b, c, l);
                   }});
  calls.push_back({"character check",
                   [](char* b, int32_t c, int32_t* l) { return BC_CharCheck(11, 185, 1, b, c, l); }});
  return calls;
}

TEST(OutOfMemory, EveryAllocationOfEveryEntryMayFail) {
  const std::vector<Call> calls = Calls();
  for (const Call& call : calls) {
    SCOPED_TRACE(call.what);
    // Count the allocations of a successful call first.
    std::vector<char> buf(512, kSentinel);
    int32_t len = -1;
    Arm(-1);
    const long live_before = g_live;
    const int32_t ok_rc = call.run(buf.data(), 512, &len);
    const long needed = g_allocations;
    EXPECT_EQ(g_live, live_before) << "a successful call leaks";
    for (long k = 0; k < needed; ++k) {
      SCOPED_TRACE(k);
      std::vector<char> b(512, kSentinel);
      int32_t l = -1;
      Arm(k);
      const int32_t rc = call.run(b.data(), 512, &l);
      Arm(-1);
      EXPECT_EQ(g_live, live_before) << "leak after a failed allocation";
      if (call.what == "character check") {
        EXPECT_EQ(rc, 0) << "the character check reports failure as 0";
      } else {
        EXPECT_EQ(rc, 32529);
      }
      EXPECT_EQ(l, -1);
      EXPECT_EQ(b, std::vector<char>(512, kSentinel)) << "bytes written despite the failure";
    }
    (void)ok_rc;
  }
}

}  // namespace
