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

#include "counting_new.h"
#include "symbologies/registry.h"
#include "tavo32.h"

namespace {

using tavo::test::Allocations;
using tavo::test::ResetAllocations;
using tavo::test::TheAllocations;

constexpr char kSentinel = '\x5A';

struct Call {
  std::string what;
  std::function<int32_t(char* buf, int32_t cap, int32_t* len)> run;
};

// Every entry that builds a string, over values short enough to need no
// allocation and long enough to need several (their font strings outgrow the
// storage inside the strings).
std::vector<Call> Calls() {
  static const std::string long_digits(600, '7');
  static const std::string long_text = [] {
    std::string s;
    for (int i = 0; i < 40; ++i) s += "Code 39 and 128 ";
    return s;
  }();
  std::vector<Call> calls;
  for (const tavo::SymbologyInfo& row : tavo::Symbologies()) {
    const int32_t sym = row.code;
    for (const char* value : {"0123456789012", long_digits.c_str(), long_text.c_str()}) {
      calls.push_back({"translate " + std::to_string(sym) + " " + std::string(value).substr(0, 20),
                       [sym, value](char* b, int32_t c, int32_t* l) {
                         return BC_FontTranslate(sym, value, 1, b, c, l);
                       }});
    }
  }
  // GS1 Data Matrix past 24 element strings keeps the rest on the heap.
  static const std::string long_gs1 = [] {
    std::string s = "(01)09501101530003";
    for (int i = 0; i < 30; ++i) s += "(91)X1";
    return s;
  }();
  calls.push_back({"translate datamatrix GS1, 31 element strings", [](char* b, int32_t c, int32_t* l) {
                     return BC_FontTranslate(BC_SYM_DATAMATRIX, long_gs1.c_str(), 2, b, c, l);
                   }});
  // GS1 Digital Link both ways, and its QR Code, with enough elements that
  // the URI and the element strings outgrow the strings' own storage.
  static const std::string dl_value = "(01)09501101530003(10)ABC/123(17)251231(21)" + std::string(20, 'S') +
                                      "(99)" + std::string(60, 'Z') + "(98)" + std::string(60, 'Y');
  static const std::string dl_uri = "https://example.com/a/01/09501101530003/10/A%28B?99=" + std::string(80, 'Q');
  calls.push_back({"digital link", [](char* b, int32_t c, int32_t* l) {
                     return BC_GS1DigitalLink(dl_value.c_str(), "https://example.com/path", b, c, l);
                   }});
  calls.push_back({"from digital link", [](char* b, int32_t c, int32_t* l) {
                     return BC_GS1FromDigitalLink(dl_uri.c_str(), b, c, l);
                   }});
  calls.push_back({"translate digital link qr", [](char* b, int32_t c, int32_t* l) {
                     return BC_FontTranslate(BC_SYM_QR, dl_value.c_str(), 16, b, c, l);
                   }});
  calls.push_back({"error message", [](char* b, int32_t c, int32_t*) { return BC_StrErr(32503, b, c); }});
  calls.push_back({"face name", [](char* b, int32_t c, int32_t* l) {
                     return BC_FontGetFaceName("A prefix long enough to need the heap ", 11, 2, 1, b, c, l);
                   }});
  calls.push_back({"character check",
                   [](char* b, int32_t c, int32_t* l) { return BC_CharCheck(11, 185, 1, b, c, l); }});
  return calls;
}

TEST(OutOfMemory, EveryAllocationOfEveryEntryMayFail) {
  Allocations& heap = TheAllocations();
  long calls_that_allocate = 0;
  const std::vector<Call> calls = Calls();
  for (const Call& call : calls) {
    SCOPED_TRACE(call.what);
    // Count the allocations of a successful call first.
    int32_t len = -1;
    std::vector<char> big(1 << 16, kSentinel);
    ResetAllocations();
    const long live_before = heap.live;
    call.run(big.data(), static_cast<int32_t>(big.size()), &len);
    const long needed = heap.count;
    EXPECT_EQ(heap.live, live_before) << "a call leaks";
    if (needed > 0) ++calls_that_allocate;
    for (long k = 0; k < needed; ++k) {
      SCOPED_TRACE(k);
      std::vector<char> b(1 << 16, kSentinel);
      int32_t l = -1;
      const long live_at_call = heap.live;
      ResetAllocations(k);
      const int32_t rc = call.run(b.data(), static_cast<int32_t>(b.size()), &l);
      ResetAllocations();
      EXPECT_EQ(heap.live, live_at_call) << "leak after a failed allocation";
      if (call.what == "character check") {
        EXPECT_EQ(rc, 0) << "the character check reports failure as 0";
      } else {
        EXPECT_EQ(rc, 32529);
      }
      EXPECT_EQ(l, -1);
      EXPECT_EQ(b, std::vector<char>(1 << 16, kSentinel)) << "bytes written despite the failure";
    }
  }
  // Long values of the symbologies without a length limit, and the long
  // messages and names, must really have been tried.
  EXPECT_GE(calls_that_allocate, 8);
}

}  // namespace
