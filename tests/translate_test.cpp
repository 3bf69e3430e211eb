// The translation entry: symbology range, buffer contract, null pointers.
#include <cstring>

#include "symbologies/dispatch.h"
#include "symbologies/registry.h"
#include "test_support.h"

namespace tavo::test {
namespace {

TEST(FontTranslateDispatch, EveryRegisteredCodeHasAnEncoder) {
  for (const SymbologyInfo& row : Symbologies()) {
    SCOPED_TRACE(row.name);
    EXPECT_NE(FindEncoder(row.code), nullptr);
  }
}

TEST(FontTranslateDispatch, RejectsCodesOutsideTheTable) {
  struct Case { int32_t symbology; const char* why; };
  const Case kCases[] = {
      {detail::CodeLimit(), "one past the last code"},
      {-1, "negative codes compare as huge unsigned numbers"},
      {INT32_MIN, "the most negative code"},
      {INT32_MAX, "the largest code"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Translate(c.symbology, "12345", 1).rc, BC_FONT_ERR_UNKNOWN_SYMBOLOGY);
  }
}

TEST(FontTranslateBuffer, CapacityAroundTheResultLength) {
  // "*12345F*" is 8 bytes.
  struct Case { int32_t capacity; int32_t rc; const char* why; };
  constexpr Case kCases[] = {
      {8, 0, "a capacity equal to the length is enough"},
      {9, 0, "one spare byte keeps its old value"},
      {7, BC_FONT_ERR_TOO_MANY_CHARACTERS, "one short: nothing written, not even the length"},
      {0, BC_FONT_ERR_TOO_MANY_CHARACTERS, "zero capacity"},
      {-1, BC_FONT_ERR_TOO_MANY_CHARACTERS, "negative capacity compares as signed"},
      {INT32_MIN, BC_FONT_ERR_TOO_MANY_CHARACTERS, "most negative capacity"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    std::vector<char> buf(64, kSentinel);
    int32_t len = kLenSentinel;
    int32_t rc = BC_FontTranslate(BC_SYM_CODE39_FULL_ASCII, "12345", 1, buf.data(), c.capacity, &len);
    EXPECT_EQ(rc, c.rc);
    if (c.rc == 0) {
      EXPECT_EQ(len, 8);
      EXPECT_EQ(std::string(buf.data(), 8), "*12345F*");
      EXPECT_EQ(buf[8], kSentinel) << "no terminator is written";
    } else {
      EXPECT_EQ(len, kLenSentinel);
      EXPECT_EQ(std::vector<char>(64, kSentinel), buf);
    }
  }
}

TEST(FontTranslateBuffer, NullPointers) {
  int32_t len = kLenSentinel;
  // A null buffer counts as capacity 0: nothing to write through.
  EXPECT_EQ(BC_FontTranslate(0, "A", 0, nullptr, 100, &len), BC_FONT_ERR_TOO_MANY_CHARACTERS);
  EXPECT_EQ(len, kLenSentinel);
  // A null length pointer is not written; the bytes still are.
  char buf[16];
  std::memset(buf, kSentinel, sizeof buf);
  EXPECT_EQ(BC_FontTranslate(0, "A", 0, buf, sizeof buf, nullptr), 0);
  EXPECT_EQ(std::string(buf, 3), "*A*");
  // A null value is an empty value, for every symbology.
  for (const SymbologyInfo& row : Symbologies()) {
    const int32_t sym = row.code;
    SCOPED_TRACE(row.name);
    char a[64], b[64];
    std::memset(a, kSentinel, sizeof a);
    std::memset(b, kSentinel, sizeof b);
    int32_t la = kLenSentinel, lb = kLenSentinel;
    EXPECT_EQ(BC_FontTranslate(sym, nullptr, 1, a, sizeof a, &la),
              BC_FontTranslate(sym, "", 1, b, sizeof b, &lb));
    EXPECT_EQ(la, lb);
    EXPECT_EQ(0, std::memcmp(a, b, sizeof a));
  }
}

TEST(FontTranslateOptions, AnyNonzeroCheckOptionActsAsOne) {
  for (int32_t check : {2, -1, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(check);
    EXPECT_EQ(Translate(0, "Code 39", check).bytes, Translate(0, "Code 39", 1).bytes);
  }
}

TEST(FontTranslateValue, EndsAtTheFirstNul) {
  const char value[] = {'A', 'B', '\0', 'C', '\0'};
  char buf[32];
  int32_t len = 0;
  ASSERT_EQ(BC_FontTranslate(0, value, 0, buf, sizeof buf, &len), 0);
  EXPECT_EQ(std::string(buf, static_cast<size_t>(len)), "*AB*");
}

TEST(IncompleteLengthExports, ReturnTheirCodes) {
  EXPECT_EQ(BC_Font_ERR_INCOMPLETE_UPCA(), BC_FONT_ERR_INCOMPLETE_UPCA);
  EXPECT_EQ(BC_Font_ERR_INCOMPLETE_UPCE(), 32501);
  EXPECT_EQ(BC_Font_ERR_INCOMPLETE_EANJAN_8(), 32502);
  EXPECT_EQ(BC_Font_ERR_INCOMPLETE_EANJAN_13(), 32503);
  EXPECT_EQ(BC_Font_ERR_INCOMPLETE_POSTNET(), 32504);
}

}  // namespace
}  // namespace tavo::test
