// Face names of the bar code fonts: every symbology, height and caption
// variant, the unknown ones, and the caller's buffer.
#include <algorithm>
#include <climits>

#include "faces/faces.h"
#include "interface/errors.h"
#include "symbologies/registry.h"
#include "test_support.h"

namespace tavo::test {
namespace {

struct Face {
  int32_t rc;
  std::string name;  // the written bytes on success, empty on error
};

// Asks BC_FontGetFaceName into a sentinel-filled buffer of `capacity` bytes
// and asserts that an error writes nothing and success nothing past the name.
Face GetFace(const char* prefix, int32_t symbology, int32_t height, int32_t caption,
             int32_t capacity = 64) {
  std::vector<char> buf(static_cast<size_t>(capacity < 0 ? 0 : capacity) + 16, kSentinel);
  int32_t len = kLenSentinel;
  const int32_t rc = BC_FontGetFaceName(prefix, symbology, height, caption, buf.data(), capacity, &len);
  const size_t written = rc == 0 ? static_cast<size_t>(len) : 0;
  if (rc != 0) {
    EXPECT_EQ(len, kLenSentinel) << "length written on error " << rc;
  } else {
    EXPECT_LT(len, capacity) << "no room left for a terminator";
  }
  for (size_t i = written; i < buf.size(); ++i) {
    if (buf[i] != kSentinel) {
      ADD_FAILURE() << "byte " << i << " written past the name (rc " << rc << ")";
      break;
    }
  }
  return {rc, std::string(buf.data(), written)};
}

// The expected face name, composed here from the family's stem, the height
// letter and the caption mark; the library stores its suffixes whole.
std::string Expected(std::string_view prefix, int32_t symbology, int32_t height, int32_t caption) {
  constexpr std::string_view kStems[] = {"", "39", "I2of5", "CODABAR", "MSI", "93",
                                         "", "",   "",      "",        "",    "128", "128"};
  if (symbology == 6 || symbology == 7 || symbology == 9 || symbology == 10 ||
      (symbology >= 16 && symbology <= 19))
    return std::string(prefix) + "UPC EAN JAN";
  if (symbology == 8) return std::string(prefix) + "POSTNET";
  if (symbology == 28 || symbology == 29) return std::string(prefix) + "PDF417";  // PDF417 and MicroPDF417
  if (symbology == 30) return std::string(prefix) + "AZTEC";  // Aztec Code: one face
  if (symbology >= 21) return std::string(prefix) + "DATABAR";  // every DataBar form, one face
  std::string name(prefix);
  name += symbology == 20 ? "ITF14" : kStems[symbology];
  name += ' ';
  name += "LMH"[height];
  if (caption) name += 'C';
  return name;
}

// Codes 12 (GS1-128, in the Code 128 faces) and 16..19 (the full GTINs, in
// the UPC EAN JAN face) print in the faces of older codes; ITF-14 (20) has
// six faces of its own, and the DataBar forms (21, 23..) share one.
bool HasFace(int32_t symbology, int32_t height) {
  if (symbology >= 16 && symbology <= 19) return true;
  if (symbology == 20) return height >= 0 && height <= 2;
  if (symbology == 28) return true;  // PDF417: one face
  if (symbology >= 21) return symbology != 22 && FindSymbology(symbology) != nullptr;  // DataBar: one face
  if (symbology < 1 || symbology > 12) return false;
  if (symbology >= 6 && symbology <= 10) return true;  // one font: height not examined
  return height >= 0 && height <= 2;
}

TEST(FontFaceName, EveryCombination) {
  for (const char* prefix : {"", "Tavo "}) {
    for (int32_t sym = -1; sym <= detail::CodeLimit(); ++sym) {
      if (sym >= 13 && sym <= 15) continue;  // codes of other issues
      for (int32_t height = -1; height <= 3; ++height) {
        for (int32_t caption = 0; caption <= 2; ++caption) {
          SCOPED_TRACE(testing::Message() << "prefix '" << prefix << "' code " << sym << " height "
                                          << height << " caption " << caption);
          const Face face = GetFace(prefix, sym, height, caption);
          if (!HasFace(sym, height)) {
            EXPECT_EQ(face.rc, BC_FONT_ERR_UNKNOWN_SYMBOLOGY);
            continue;
          }
          EXPECT_EQ(face.rc, 0);
          EXPECT_EQ(face.name, Expected(prefix, sym, height, caption));
        }
      }
    }
  }
}

TEST(FontFaceName, WorkedExamples) {
  struct Case {
    const char* prefix;
    int32_t symbology, height, caption, capacity;
    int32_t rc;
    std::string_view name;
    const char* why;
  };
  const Case kCases[] = {
      {"AB ", 2, 2, 1, 12, 0, "AB I2of5 HC", "11 bytes fit a buffer of 12"},
      {"AB ", 2, 2, 1, 40, 0, "AB I2of5 HC", "a larger buffer receives the same 11 bytes"},
      {"AB ", 2, 2, 1, 11, 32510, "", "a buffer of exactly 11 bytes lacks room for a terminator"},
      {"X", 8, 7, 1, 64, 0, "XPOSTNET", "PostNet ignores height and caption"},
      {"X", 6, -5, 0, 64, 0, "XUPC EAN JAN", "UPC-A ignores a negative height"},
      {"X", 10, INT32_MAX, INT32_MIN, 64, 0, "XUPC EAN JAN", "EAN-13 ignores any height"},
      {"X", 5, 3, 0, 64, 32511, "", "Code 93 has no fourth height"},
      {"X", 0, 0, 0, 64, 32511, "", "Code 39 Full ASCII has no face of its own"},
      {"X", 12, 2, 1, 64, 0, "X128 HC", "GS1-128 in the Code 128 faces"},
      {"X", 19, 2, 1, 64, 0, "XUPC EAN JAN", "UPC-E from 8 digits in the UPC EAN JAN face"},
      {"X", 20, 2, 1, 64, 0, "XITF14 HC", "ITF-14: six faces of its own"},
      {"X", 22, 0, 0, 64, 32511, "", "code 22 never gets a symbology"},
      {"X", 15, 2, 1, 64, 0, "XDM", "Data Matrix: one face, height and caption ignored"},
      {"X", INT32_MIN, 0, 0, 64, 32511, "", "the most negative code"},
      {"", 5, 1, 1, 64, 0, "93 MC", "an empty prefix gives the suffix alone"},
      {nullptr, 5, 1, 1, 64, 0, "93 MC", "a null prefix reads as empty"},
      {"", 11, 0, -1, 64, 0, "128 LC", "any nonzero caption flag selects the caption face"},
      {"", 3, 2, 0, 64, 0, "CODABAR H", "the longest plain face"},
      {nullptr, 0, 0, 0, 0, 32511, "", "an unknown code is reported before the capacity"},
      {"X", 1, 9, 0, -1, 32511, "", "an unknown height is reported before the capacity"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.why);
    const Face face = GetFace(c.prefix, c.symbology, c.height, c.caption, c.capacity);
    EXPECT_EQ(face.rc, c.rc);
    EXPECT_EQ(face.name, c.name);
  }
}

// Every face of every prefix length up to a long one needs the name's length
// plus one byte: one byte less is refused, and so is exactly the length.
TEST(FontFaceNameBuffer, CapacityAroundTheName) {
  const std::string long_prefix(300, 'p');
  for (const std::string& prefix : {std::string(), std::string("Tavo "), long_prefix}) {
    for (int32_t sym = 1; sym <= 11; ++sym) {
      for (int32_t height = 0; height <= 2; ++height) {
        for (int32_t caption = 0; caption <= 1; ++caption) {
          const std::string want = Expected(prefix, sym, height, caption);
          const auto size = static_cast<int32_t>(want.size());
          SCOPED_TRACE(want);
          EXPECT_EQ(GetFace(prefix.c_str(), sym, height, caption, size - 1).rc, 32510);
          EXPECT_EQ(GetFace(prefix.c_str(), sym, height, caption, size).rc, 32510);
          const Face face = GetFace(prefix.c_str(), sym, height, caption, size + 1);
          EXPECT_EQ(face.rc, 0);
          EXPECT_EQ(face.name, want);
        }
      }
    }
  }
}

TEST(FontFaceNameBuffer, NegativeAndNullBuffers) {
  for (int32_t cap : {-1, -12, INT32_MIN}) {
    SCOPED_TRACE(cap);
    EXPECT_EQ(GetFace("AB ", 2, 2, 1, cap).rc, 32510);
  }
  int32_t len = kLenSentinel;
  EXPECT_EQ(BC_FontGetFaceName("AB ", 2, 2, 1, nullptr, 64, &len), 32510)
      << "a null buffer counts as capacity 0";
  EXPECT_EQ(len, kLenSentinel);

  char buf[16];
  std::fill(std::begin(buf), std::end(buf), kSentinel);
  EXPECT_EQ(BC_FontGetFaceName("AB ", 2, 2, 1, buf, sizeof buf, nullptr), 0)
      << "a null length pointer is simply not written";
  EXPECT_EQ(std::string(buf, 11), "AB I2of5 HC");
  EXPECT_EQ(buf[11], kSentinel);
}

// The core routine appends to what the string already holds, and appends
// nothing when there is no face.
TEST(FontFaceNameCore, AppendsOnlyOnSuccess) {
  std::string out = "keep|";
  EXPECT_EQ(GetFaceName("Fam ", 4, 0, true, out), 0);
  EXPECT_EQ(out, "keep|Fam MSI LC");
  EXPECT_EQ(GetFaceName("Fam ", 4, 3, true, out), kUnknownSymbology);
  EXPECT_EQ(GetFaceName("Fam ", 0, 0, false, out), kUnknownSymbology);
  EXPECT_EQ(out, "keep|Fam MSI LC");
}

}  // namespace
}  // namespace tavo::test
