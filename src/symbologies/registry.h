// The registry of symbologies: one row of constant data per symbology code,
// saying everything the library knows about it outside its encoder.  The
// face names, the character check, the tavo tool (`tavo list`) and through
// it the font generator take their list of symbologies from here; any tool
// may include it, as it names no encoder.  The encoders are dispatched by
// symbologies/dispatch.h, whose table has a row for each code here, and the
// model keeps a parallel table of builders and readers keyed by the same
// codes (model/src/registry.cpp).
//
// Rows may stand in any order and the codes may leave gaps: a code without a
// row is unknown to every entry (32511, no face, no valid character).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "symbologies/codes.h"

namespace tavo {

// The faces a symbology's own font comes in.
enum class FaceVariants : uint8_t {
  kNone,              // no face name of its own (Code 39 Full ASCII prints in a Code 39 face)
  kSingle,            // one face, whatever height and caption are asked for
  kHeightAndCaption,  // six faces: L, LC, M, MC, H, HC after the family
};

// What the caller's `check` argument of BC_FontTranslate asks for.
enum class CheckFlag : uint8_t {
  kIgnored,        // the check characters are mandatory (or there are none): always written
  kOptional,       // the symbology's optional check character
  kSecondDigit,    // MSI: a second modulo-10 check digit after the mandatory first
  kLevel,          // 2D symbols: the error correction level, the argument's number (Options::check_argument)
  kShapeAndGs1,    // Data Matrix: 0 square, 1 rectangles allowed, 2/3 the same as GS1; others 32561
  kTruncated,      // GS1 DataBar Omnidirectional: 0 full height, 1 Truncated; others 32561
};

// Which characters BC_CharCheck accepts (see faces/char_check.cpp).
enum class CharRule : uint8_t {
  kNothing,    // no character is valid
  kAscii,      // ASCII 1..127, control characters under 5-wide labels
  kDigits,     // '0'..'9'
  kCodabar,    // digits, "-$:/.+" and the start/stop letters A-D under labels
  kCode128,    // ASCII 1..127 under 6-wide labels, and the function characters
  kGs1,        // the GS1 82-character set (digits and parentheses among them) and '\\'
  kGtin,       // '0'..'9', and ' ' and '+' before a supplement
  kAnyByte,    // every byte 1..255, control characters under 5-wide labels
};

struct SymbologyInfo {
  int32_t code;
  std::string_view name;     // short name on the tavo command line ("upca")
  std::string_view family;   // face-name family: "39", "UPC EAN JAN" (faces: the caller's prefix, then this)
  FaceVariants faces;
  int32_t font;              // the code whose font prints it (itself, or the code that owns the family)
  CheckFlag check;
  CharRule chars;
  // The longest value, in bytes, the encoder can accept; 0 when it sets no
  // limit of its own (any number of characters, or of separators such as the
  // '-' and ' ' of PostNet and Intelligent Mail).
  size_t max_value_length;
};

// How many faces the font of a row's own family comes in (`tavo list`, and
// one font file each): 6, 1, or 0 for a code printed in another's faces.
constexpr size_t FaceCount(FaceVariants faces) {
  return faces == FaceVariants::kHeightAndCaption ? 6 : faces == FaceVariants::kSingle ? 1 : 0;
}

namespace detail {
using namespace symbology;
// clang-format off
inline constexpr SymbologyInfo kSymbologyRows[] = {
    // code              name           family         faces                             font       check                   chars   max length
    {kCode39FullAscii, "code39ascii", "39",          FaceVariants::kNone,              kCode39,   CheckFlag::kOptional,    CharRule::kNothing, 0},
    {kCode39,          "code39",      "39",          FaceVariants::kHeightAndCaption,  kCode39,   CheckFlag::kOptional,    CharRule::kAscii, 0},
    {kI2of5,           "i2of5",       "I2of5",       FaceVariants::kHeightAndCaption,  kI2of5,    CheckFlag::kOptional,    CharRule::kDigits, 0},
    {kCodabar,         "codabar",     "CODABAR",     FaceVariants::kHeightAndCaption,  kCodabar,  CheckFlag::kOptional,    CharRule::kCodabar, 0},
    {kMsi,             "msi",         "MSI",         FaceVariants::kHeightAndCaption,  kMsi,      CheckFlag::kSecondDigit, CharRule::kDigits, 14},
    {kCode93,          "code93",      "93",          FaceVariants::kHeightAndCaption,  kCode93,   CheckFlag::kIgnored,     CharRule::kAscii, 0},
    {kUpcA,            "upca",        "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kDigits, 16},
    {kUpcE,            "upce",        "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kDigits, 11},
    {kPostNet,         "postnet",     "POSTNET",     FaceVariants::kSingle,            kPostNet,  CheckFlag::kIgnored,     CharRule::kDigits, 0},
    {kEan8,            "ean8",        "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kDigits, 12},
    {kEan13,           "ean13",       "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kDigits, 17},
    {kCode128,         "code128",     "128",         FaceVariants::kHeightAndCaption,  kCode128,  CheckFlag::kIgnored,     CharRule::kCode128, 0},
    {kGs1_128,         "gs1-128",     "128",         FaceVariants::kHeightAndCaption,  kCode128,  CheckFlag::kIgnored,     CharRule::kGs1, 0},
    {kGtin13,          "gtin13",      "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kGtin, 19},
    {kGtin8,           "gtin8",       "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kGtin, 14},
    {kGtin12,          "gtin12",      "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kGtin, 18},
    {kUpcE8,           "upce8",       "UPC EAN JAN", FaceVariants::kSingle,            kUpcA,     CheckFlag::kIgnored,     CharRule::kGtin, 14},
    {kImb,             "imb",         "IMB",         FaceVariants::kSingle,            kImb,      CheckFlag::kIgnored,     CharRule::kDigits, 0},
    {kQr,              "qr",          "QR",          FaceVariants::kSingle,            kQr,       CheckFlag::kLevel,       CharRule::kAnyByte, 7089},
    {kDataMatrix,      "datamatrix",  "DM",          FaceVariants::kSingle,            kDataMatrix, CheckFlag::kShapeAndGs1, CharRule::kAnyByte, 3116},
    {kDatabar,         "databar",     "DATABAR",     FaceVariants::kSingle,            kDatabar,  CheckFlag::kTruncated,   CharRule::kDigits, 18},
    {kDatabarStacked,  "databar-stacked", "DATABAR", FaceVariants::kSingle,            kDatabar,  CheckFlag::kIgnored,     CharRule::kDigits, 18},
    {kDatabarStackedOmni, "databar-stacked-omni", "DATABAR", FaceVariants::kSingle,    kDatabar,  CheckFlag::kIgnored,     CharRule::kDigits, 18},
    {kDatabarLimited,  "databar-limited", "DATABAR", FaceVariants::kSingle,            kDatabar,  CheckFlag::kIgnored,     CharRule::kDigits, 18},
};
// clang-format on

constexpr int32_t CodeLimit() {
  int32_t limit = 0;
  for (const SymbologyInfo& s : kSymbologyRows) limit = s.code >= limit ? s.code + 1 : limit;
  return limit;
}

// Row index by code, -1 for the gaps.
inline constexpr auto kRowByCode = [] {
  std::array<int16_t, static_cast<size_t>(CodeLimit())> index{};
  index.fill(-1);
  for (size_t i = 0; i < std::size(kSymbologyRows); ++i) {
    index[static_cast<size_t>(kSymbologyRows[i].code)] = static_cast<int16_t>(i);
  }
  return index;
}();

// Every code appears once, is not negative, and prints in a font that is
// registered and has faces of its own.
constexpr bool RowsAreConsistent() {
  for (size_t i = 0; i < std::size(kSymbologyRows); ++i) {
    const SymbologyInfo& s = kSymbologyRows[i];
    if (s.code < 0 || kRowByCode[static_cast<size_t>(s.code)] != static_cast<int16_t>(i)) return false;
    if (s.name.empty() || s.family.empty()) return false;
    if (s.font < 0 || s.font >= CodeLimit() || kRowByCode[static_cast<size_t>(s.font)] < 0) return false;
    const SymbologyInfo& owner = kSymbologyRows[static_cast<size_t>(kRowByCode[static_cast<size_t>(s.font)])];
    if (owner.faces == FaceVariants::kNone || owner.family != s.family) return false;
  }
  return true;
}
static_assert(RowsAreConsistent());
}  // namespace detail

// Every registered symbology, in the order of its rows.
constexpr std::span<const SymbologyInfo> Symbologies() { return detail::kSymbologyRows; }

// The row of `code`, or nullptr for a code without one (negative codes too).
constexpr const SymbologyInfo* FindSymbology(int32_t code) {
  if (static_cast<uint32_t>(code) >= detail::kRowByCode.size()) return nullptr;
  const int16_t row = detail::kRowByCode[static_cast<size_t>(code)];
  return row < 0 ? nullptr : &detail::kSymbologyRows[static_cast<size_t>(row)];
}

}  // namespace tavo
