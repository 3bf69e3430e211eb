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
  kSegments,       // GS1 DataBar Expanded Stacked: segments per row, even 2 to 20, 0 for 4; others 32588
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

// How a Unicode string becomes the bytes of a value, for the surfaces that
// take text (the CLI's and batch's decoded text, Python str, .NET string,
// JavaScript string).  Bytes given as bytes go as they are.
enum class TextRule : uint8_t {
  kWindows1252,  // each character to its Windows-1252 byte; a character without one is 32505
  kUtf8Eci,      // UTF-8; the symbol says so with ECI 26 when a byte is not ASCII (QR Code)
  kUtf8,         // UTF-8 as it is, without an ECI (Data Matrix, whose bytes are frozen)
};

// A named option of a symbology, and how it maps to the integer `check`
// argument of BC_FontTranslate.  The argument is the sum of the chosen
// options' contributions; an option left out contributes 0, which is the
// library's default (OptionInfo::default_choice says what that default is).
enum class OptionType : uint8_t {
  kFlag,    // on or off: `check` is added when on
  kChoice,  // one of named values, each with its contribution
  kNumber,  // a whole number from `min` to `max`, contributing number * `check`
};

struct OptionChoice {
  std::string_view name;  // matched without regard to case ("H", "rect")
  int32_t check;
};

struct OptionInfo {
  std::string_view name;  // snake_case; the CLI spells it --check-digit, --level
  OptionType type;
  std::string_view help;
  int32_t check;                          // kFlag: the contribution; kNumber: the multiplier
  std::span<const OptionChoice> choices;  // kChoice
  std::string_view default_choice;        // kChoice: what an absent option means
  int32_t min;                            // kNumber
  int32_t max;
};

struct SymbologyInfo {
  int32_t code;
  std::string_view name;     // canonical short name on the tavo command line ("upca")
  std::string_view family;   // face-name family: "39", "UPC EAN JAN" (faces: the caller's prefix, then this)
  FaceVariants faces;
  int32_t font;              // the code whose font prints it (itself, or the code that owns the family)
  CheckFlag check;
  CharRule chars;
  // The longest value, in bytes, the encoder can accept; 0 when it sets no
  // limit of its own (any number of characters, or of separators such as the
  // '-' and ' ' of PostNet and Intelligent Mail).
  size_t max_value_length;
  std::string_view title;    // the symbology's own name ("EAN-13")
  // Other names a user may type, separated by spaces, in the form names are
  // compared: lower case, without '-', '_', '.' or spaces (so "EAN-13",
  // "ean_13" and "Ean13" all find "ean13" without an alias).
  std::string_view aliases;
  TextRule text;
  bool multi_line;           // the font string is several lines (CR LF between rows)
  std::span<const OptionInfo> options;
  std::span<const int32_t> errors;  // every error code the translation can return
};

// How many faces the font of a row's own family comes in (`tavo list`, and
// one font file each): 6, 1, or 0 for a code printed in another's faces.
constexpr size_t FaceCount(FaceVariants faces) {
  return faces == FaceVariants::kHeightAndCaption ? 6 : faces == FaceVariants::kSingle ? 1 : 0;
}

namespace detail {
using namespace symbology;

// The options.  An optional check character is `check_digit` everywhere
// (check 1; the library takes any non-zero check as on).
inline constexpr OptionInfo kCheckDigitOption[] = {
    {"check_digit", OptionType::kFlag, "append the optional check character", 1, {}, "", 0, 0},
};
inline constexpr OptionInfo kMsiOptions[] = {
    {"check_digit", OptionType::kFlag, "a second modulo-10 check digit after the first", 1, {}, "", 0, 0},
};
// GS1 DataBar Omnidirectional printed Truncated (13 module rows, not 33).
inline constexpr OptionInfo kDatabarOptions[] = {
    {"truncated", OptionType::kFlag, "the Truncated form: 13 module rows instead of 33", 1, {}, "", 0, 0},
};
// GS1 DataBar Expanded Stacked: characters (segments) per row, ISO/IEC
// 24724 7.2.8; even, 4 when not given.
inline constexpr OptionInfo kDatabarStackedOptions[] = {
    {"segments", OptionType::kNumber, "segments (characters) per row: even, 2 to 20; 4 when not given", 1, {}, "", 2,
     20},
};
// ISO/IEC 18004, 7.5.1: the four error correction levels.
inline constexpr OptionChoice kQrLevels[] = {{"L", 1}, {"M", 2}, {"Q", 3}, {"H", 4}};
inline constexpr OptionInfo kQrOptions[] = {
    {"level", OptionType::kChoice, "error correction level: L 7%, M 15%, Q 25%, H 30% of the codewords",
     0, kQrLevels, "M", 0, 0},
    {"gs1", OptionType::kFlag, "GS1 element strings \"(01)...\" with FNC1 in first position", 8, {}, "", 0, 0},
    {"dl", OptionType::kFlag, "the GS1 Digital Link URI of element strings \"(01)...\" (not with gs1)", 16, {},
     "", 0, 0},
    {"kanji", OptionType::kFlag,
     "Kanji mode (Shift JIS) for Japanese text when it makes the symbol smaller", 32, {}, "", 0, 0},
};
// PDF417 (ISO/IEC 15438): the error correction level (level + 1 in bits 0-3,
// 0 the recommended level of 5.8.2), the data columns (bits 4-8, 0 about
// square at rows 3 modules high) and truncated PDF417.
inline constexpr OptionChoice kPdf417Levels[] = {{"0", 1}, {"1", 2}, {"2", 3}, {"3", 4}, {"4", 5},
                                                 {"5", 6}, {"6", 7}, {"7", 8}, {"8", 9}};
inline constexpr OptionInfo kPdf417Options[] = {
    {"level", OptionType::kChoice, "error correction level 0-8: 2, 4 ... 512 codewords (default: the recommended)",
     0, kPdf417Levels, "recommended", 0, 0},
    {"columns", OptionType::kNumber, "data columns, 1-30 (default: a symbol about as wide as tall)", 16, {}, "", 1, 30},
    {"truncated", OptionType::kFlag, "truncated PDF417: no right row indicator, a one-module stop", 512, {}, "", 0, 0},
};
// MicroPDF417 (ISO/IEC 24728): 1 to 4 data columns.
inline constexpr OptionInfo kMicroPdfOptions[] = {
    {"columns", OptionType::kNumber, "data columns, 1 to 4 (0: the smallest of the 34 sizes)", 1, {}, "", 0, 4},
};
inline constexpr OptionChoice kDataMatrixShapes[] = {{"square", 0}, {"rect", 1}};
inline constexpr OptionInfo kDataMatrixOptions[] = {
    {"shape", OptionType::kChoice, "square symbols only, or rectangles too when one is smaller", 0,
     kDataMatrixShapes, "square", 0, 0},
    {"gs1", OptionType::kFlag, "GS1 element strings \"(01)...\" with FNC1", 2, {}, "", 0, 0},
    {"dl", OptionType::kFlag, "the GS1 Digital Link URI of element strings \"(01)...\" (not with gs1)", 4, {},
     "", 0, 0},
};

// Aztec Code: check = ec_percent + 128 * size (symbologies/aztec/aztec.h).
inline constexpr OptionInfo kAztecOptions[] = {
    {"ec_percent", OptionType::kNumber,
     "error correction as a share of the codewords, + 3 words (absent: 23%)", 1, {}, "", 5, 95},
    {"size", OptionType::kNumber,
     "the symbol size: 1-4 compact of 1-4 layers, 5-36 full-range of 1-32 layers (absent: the smallest)", 128,
     {}, "", 1, 36},
};

// The error codes each translation can return (see include/tavo32.h); every
// one can also give 32510 (the caller's buffer is too small, or the value
// too long) and 32529 (out of memory).
inline constexpr int32_t kErrorsAscii[] = {32506, 32510, 32529};
inline constexpr int32_t kErrorsDigits[] = {32507, 32510, 32529};
inline constexpr int32_t kErrorsCodabar[] = {32505, 32510, 32529};
inline constexpr int32_t kErrorsUpcA[] = {32500, 32507, 32510, 32529};
inline constexpr int32_t kErrorsUpcE[] = {32501, 32507, 32509, 32510, 32529};
inline constexpr int32_t kErrorsPostNet[] = {32504, 32507, 32510, 32529};
inline constexpr int32_t kErrorsEan8[] = {32502, 32507, 32510, 32529};
inline constexpr int32_t kErrorsEan13[] = {32503, 32507, 32510, 32529};
inline constexpr int32_t kErrorsCode128[] = {32505, 32510, 32529};
inline constexpr int32_t kErrorsGs1_128[] = {32510, 32529, 32530, 32531, 32532, 32533, 32534, 32535, 32536, 32537,
                                             32538, 32539, 32540, 32541, 32542, 32543, 32544, 32545, 32546};
inline constexpr int32_t kErrorsImb[] = {32510, 32529, 32550, 32551, 32552, 32553, 32554};
inline constexpr int32_t kErrorsQr[] = {32510, 32529, 32530, 32531, 32532, 32533, 32534, 32535, 32536,
                                        32537, 32538, 32539, 32540, 32541, 32542, 32543, 32544, 32545,
                                        32546, 32560, 32561, 32570, 32571, 32572, 32573, 32574, 32575, 32576};
inline constexpr int32_t kErrorsDataMatrix[] = {32510, 32529, 32530, 32531, 32532, 32533, 32534, 32535,
                                                32536, 32537, 32538, 32539, 32540, 32541, 32542, 32543,
                                                32544, 32545, 32546, 32560, 32561, 32570, 32571, 32572, 32573, 32574, 32575, 32576};
inline constexpr int32_t kErrorsGtin[] = {32507, 32510, 32529, 32547, 32548};
inline constexpr int32_t kErrorsDatabar[] = {32507, 32510, 32529, 32547, 32548, 32561};
inline constexpr int32_t kErrorsDatabarStacked[] = {32507, 32510, 32529, 32547, 32548};
inline constexpr int32_t kErrorsDatabarLimited[] = {32507, 32510, 32529, 32547, 32548, 32585};
inline constexpr int32_t kErrorsDatabarExpanded[] = {32510, 32529, 32530, 32531, 32532, 32533, 32534, 32535, 32536,
                                                     32537, 32538, 32539, 32540, 32541, 32542, 32543, 32544, 32545,
                                                     32586, 32587};
inline constexpr int32_t kErrorsDatabarExpandedStacked[] = {
    32510, 32529, 32530, 32531, 32532, 32533, 32534, 32535, 32536, 32537, 32538,
    32539, 32540, 32541, 32542, 32543, 32544, 32545, 32586, 32587, 32588};
inline constexpr int32_t kErrorsItf14[] = {32507, 32510, 32529, 32547, 32548};
inline constexpr int32_t kErrorsPdf417[] = {32510, 32529, 32560, 32561};
inline constexpr int32_t kErrorsMicroPdf417[] = {32510, 32529, 32560, 32561};
inline constexpr int32_t kErrorsAztec[] = {32510, 32529, 32560, 32561};
inline constexpr int32_t kErrorsUpcE8[] = {32507, 32510, 32529, 32547, 32548, 32549};

constexpr auto k1252 = TextRule::kWindows1252;
constexpr std::span<const OptionInfo> kNoOptions{};

// clang-format off
inline constexpr SymbologyInfo kSymbologyRows[] = {
    // code  name  family  faces  font  check  chars  max length, then title, aliases, text rule, lines, options, errors
    {kCode39FullAscii, "code39ascii", "39", FaceVariants::kNone, kCode39, CheckFlag::kOptional, CharRule::kNothing, 0,
     "Code 39 Full ASCII", "code39fullascii code39extended", k1252, false, kCheckDigitOption, kErrorsAscii},
    {kCode39, "code39", "39", FaceVariants::kHeightAndCaption, kCode39, CheckFlag::kOptional, CharRule::kAscii, 0,
     "Code 39", "code3of9", k1252, false, kCheckDigitOption, kErrorsAscii},
    {kI2of5, "i2of5", "I2of5", FaceVariants::kHeightAndCaption, kI2of5, CheckFlag::kOptional, CharRule::kDigits, 0,
     "Interleaved 2 of 5", "interleaved2of5 int2of5", k1252, false, kCheckDigitOption, kErrorsDigits},
    {kCodabar, "codabar", "CODABAR", FaceVariants::kHeightAndCaption, kCodabar, CheckFlag::kOptional, CharRule::kCodabar, 0,
     "Codabar", "nw7", k1252, false, kCheckDigitOption, kErrorsCodabar},
    {kMsi, "msi", "MSI", FaceVariants::kHeightAndCaption, kMsi, CheckFlag::kSecondDigit, CharRule::kDigits, 14,
     "MSI", "msiplessey", k1252, false, kMsiOptions, kErrorsDigits},
    {kCode93, "code93", "93", FaceVariants::kHeightAndCaption, kCode93, CheckFlag::kIgnored, CharRule::kAscii, 0,
     "Code 93", "", k1252, false, kNoOptions, kErrorsAscii},
    {kUpcA, "upca", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kDigits, 16,
     "UPC-A", "upc", k1252, false, kNoOptions, kErrorsUpcA},
    {kUpcE, "upce", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kDigits, 11,
     "UPC-E", "", k1252, false, kNoOptions, kErrorsUpcE},
    {kPostNet, "postnet", "POSTNET", FaceVariants::kSingle, kPostNet, CheckFlag::kIgnored, CharRule::kDigits, 0,
     "PostNet", "", k1252, false, kNoOptions, kErrorsPostNet},
    {kEan8, "ean8", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kDigits, 12,
     "EAN-8", "jan8", k1252, false, kNoOptions, kErrorsEan8},
    {kEan13, "ean13", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kDigits, 17,
     "EAN-13", "jan13", k1252, false, kNoOptions, kErrorsEan13},
    {kCode128, "code128", "128", FaceVariants::kHeightAndCaption, kCode128, CheckFlag::kIgnored, CharRule::kCode128, 0,
     "Code 128", "", k1252, false, kNoOptions, kErrorsCode128},
    {kGs1_128, "gs1-128", "128", FaceVariants::kHeightAndCaption, kCode128, CheckFlag::kIgnored, CharRule::kGs1, 0,
     "GS1-128", "ean128 ucc128", k1252, false, kNoOptions, kErrorsGs1_128},
    {kGtin13, "gtin13", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kGtin, 19,
     "EAN-13 from a GTIN-13", "", k1252, false, kNoOptions, kErrorsGtin},
    {kGtin8, "gtin8", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kGtin, 14,
     "EAN-8 from a GTIN-8", "", k1252, false, kNoOptions, kErrorsGtin},
    {kGtin12, "gtin12", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kGtin, 18,
     "UPC-A from a GTIN-12", "", k1252, false, kNoOptions, kErrorsGtin},
    {kUpcE8, "upce8", "UPC EAN JAN", FaceVariants::kSingle, kUpcA, CheckFlag::kIgnored, CharRule::kGtin, 14,
     "UPC-E from 8 digits", "", k1252, false, kNoOptions, kErrorsUpcE8},
    {kImb, "imb", "IMB", FaceVariants::kSingle, kImb, CheckFlag::kIgnored, CharRule::kDigits, 0,
     "Intelligent Mail", "intelligentmail uspsimb onecode", k1252, false, kNoOptions, kErrorsImb},
    {kQr, "qr", "QR", FaceVariants::kSingle, kQr, CheckFlag::kLevel, CharRule::kAnyByte, 7089,
     "QR Code", "qrcode gs1qr", TextRule::kUtf8Eci, true, kQrOptions, kErrorsQr},
    {kDataMatrix, "datamatrix", "DM", FaceVariants::kSingle, kDataMatrix, CheckFlag::kShapeAndGs1, CharRule::kAnyByte, 3116,
     "Data Matrix", "dm datamatrixecc200 gs1datamatrix", TextRule::kUtf8, true, kDataMatrixOptions, kErrorsDataMatrix},
    {kItf14, "itf14", "ITF14", FaceVariants::kHeightAndCaption, kItf14, CheckFlag::kIgnored, CharRule::kDigits, 14,
     "ITF-14", "gtin14 dun14 scc14", k1252, false, kNoOptions, kErrorsItf14},
    {kDatabar, "databar", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kTruncated, CharRule::kDigits, 18,
     "GS1 DataBar Omnidirectional", "gs1databar rss14 databaromni databaromnidirectional", k1252, true,
     kDatabarOptions, kErrorsDatabar},
    {kDatabarStacked, "databar-stacked", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kIgnored, CharRule::kDigits, 18,
     "GS1 DataBar Stacked", "gs1databarstacked rss14stacked", k1252, true, kNoOptions, kErrorsDatabarStacked},
    {kDatabarStackedOmni, "databar-stacked-omni", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kIgnored,
     CharRule::kDigits, 18, "GS1 DataBar Stacked Omnidirectional",
     "gs1databarstackedomni databarstackedomnidirectional rss14stackedomni", k1252, true, kNoOptions,
     kErrorsDatabarStacked},
    {kDatabarLimited, "databar-limited", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kIgnored, CharRule::kDigits, 18,
     "GS1 DataBar Limited", "gs1databarlimited rsslimited", k1252, true, kNoOptions, kErrorsDatabarLimited},
    {kDatabarExpanded, "databar-expanded", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kIgnored, CharRule::kGs1,
     74, "GS1 DataBar Expanded", "gs1databarexpanded rssexpanded", k1252, true, kNoOptions, kErrorsDatabarExpanded},
    {kDatabarExpandedStacked, "databar-expanded-stacked", "DATABAR", FaceVariants::kSingle, kDatabar, CheckFlag::kSegments,
     CharRule::kGs1, 74, "GS1 DataBar Expanded Stacked", "gs1databarexpandedstacked rssexpandedstacked", k1252, true,
     kDatabarStackedOptions, kErrorsDatabarExpandedStacked},
    {kPdf417, "pdf417", "PDF417", FaceVariants::kSingle, kPdf417, CheckFlag::kLevel, CharRule::kAnyByte, 2710,
     "PDF417", "", TextRule::kUtf8Eci, true, kPdf417Options, kErrorsPdf417},
    {kMicroPdf417, "micropdf417", "PDF417", FaceVariants::kSingle, kPdf417, CheckFlag::kLevel, CharRule::kAnyByte, 366,
     "MicroPDF417", "micropdf mpdf417", TextRule::kUtf8Eci, true, kMicroPdfOptions, kErrorsMicroPdf417},
    // Aztec's longest: Punct pairs (5 bits for 2 characters) filling the
    // largest symbol's 1,664 words of 12 bits, less 3 check words.
    {kAztec, "aztec", "AZTEC", FaceVariants::kSingle, kAztec, CheckFlag::kLevel, CharRule::kAnyByte, 7972,
     "Aztec Code", "aztecode", TextRule::kUtf8Eci, true, kAztecOptions, kErrorsAztec},
};
// clang-format on

// Calls `f` with each word of a space-separated list.
template <class F>
constexpr void ForEachWord(std::string_view list, F&& f) {
  while (!list.empty()) {
    const size_t space = list.find(' ');
    if (space != 0) f(list.substr(0, space));
    if (space == std::string_view::npos) break;
    list.remove_prefix(space + 1);
  }
}

// A name as names are compared: lower case, without '-', '_', '.' and spaces.
// At most 63 characters are kept; a longer text matches nothing.
struct NormalName {
  char text[64] = {};
  size_t size = 0;
  constexpr std::string_view view() const { return {text, size}; }
};

constexpr NormalName NormalizedName(std::string_view name) {
  NormalName n;
  for (char c : name) {
    if (c == '-' || c == '_' || c == '.' || c == ' ') continue;
    if (n.size == sizeof n.text - 1) return NormalName{.text = {'\x01'}, .size = 1};
    n.text[n.size++] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return n;
}

// Does the row answer to `normal`, a normalized name?
constexpr bool NameIs(const SymbologyInfo& row, const NormalName& normal) {
  if (NormalizedName(row.name).view() == normal.view()) return true;
  bool found = false;
  ForEachWord(row.aliases, [&](std::string_view alias) { found = found || alias == normal.view(); });
  return found;
}
constexpr bool NameIs(const SymbologyInfo& row, std::string_view normal_alias) {
  return NameIs(row, NormalizedName(normal_alias));
}

// The bits of `check` an option's contributions may touch: a flag its own,
// a choice or a number every bit from the lowest to the highest it can set.
constexpr uint32_t OptionBits(const OptionInfo& o) {
  if (o.type == OptionType::kFlag) return static_cast<uint32_t>(o.check);
  auto lowest_bit = [](uint32_t v) { return v & (~v + 1); };
  uint32_t low = 0;  // the lowest bit set by any contribution
  uint32_t high = 0;
  auto add = [&](uint32_t v) {
    high |= v;
    if (v && (!low || lowest_bit(v) < low)) low = lowest_bit(v);
  };
  if (o.type == OptionType::kNumber) {
    add(static_cast<uint32_t>(o.check));
    add(static_cast<uint32_t>(o.max) * static_cast<uint32_t>(o.check));
  }
  for (const OptionChoice& c : o.choices) add(static_cast<uint32_t>(c.check));
  uint32_t mask = 0;
  while (mask < high) mask = mask << 1 | 1;
  return low ? mask & ~(low - 1) : 0;
}

// Options have distinct names, and their contributions to `check` occupy
// bits of their own, so that any combination adds up unambiguously.
constexpr bool OptionsAreConsistent(std::span<const OptionInfo> options) {
  uint32_t used = 0;
  for (size_t i = 0; i < options.size(); ++i) {
    const OptionInfo& o = options[i];
    if (o.name.empty() || (OptionBits(o) & used)) return false;
    used |= OptionBits(o);
    for (size_t j = 0; j < i; ++j) {
      if (options[j].name == o.name) return false;
    }
    if ((o.type == OptionType::kChoice) != !o.choices.empty()) return false;
    if (o.type == OptionType::kNumber && (o.min < 0 || o.max < o.min || o.check <= 0)) return false;
  }
  return true;
}

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
    if (!OptionsAreConsistent(s.options) || s.errors.empty()) return false;
  }
  return true;
}
static_assert(RowsAreConsistent());

// No two symbologies answer to the same name or alias.
constexpr bool NamesAreUnique() {
  for (const SymbologyInfo& a : kSymbologyRows) {
    for (const SymbologyInfo& b : kSymbologyRows) {
      if (&a == &b) continue;
      if (NameIs(a, NormalizedName(b.name))) return false;
      bool clash = false;
      ForEachWord(b.aliases, [&](std::string_view alias) { clash = clash || NameIs(a, alias); });
      if (clash) return false;
    }
  }
  return true;
}
static_assert(NamesAreUnique());
}  // namespace detail

// Every registered symbology, in the order of its rows.
constexpr std::span<const SymbologyInfo> Symbologies() { return detail::kSymbologyRows; }

// The row of a symbology by its short name or an alias, compared without
// regard to case, '-', '_', '.' or spaces; nullptr for none.
constexpr const SymbologyInfo* FindSymbologyByName(std::string_view name) {
  const detail::NormalName normal = detail::NormalizedName(name);
  if (normal.size == 0) return nullptr;
  for (const SymbologyInfo& row : detail::kSymbologyRows) {
    if (detail::NameIs(row, normal)) return &row;
  }
  return nullptr;
}

// The option of a row by name, compared like symbology names ("check-digit"
// finds check_digit); nullptr for none.
constexpr const OptionInfo* FindOption(const SymbologyInfo& row, std::string_view name) {
  const detail::NormalName normal = detail::NormalizedName(name);
  for (const OptionInfo& o : row.options) {
    if (detail::NormalizedName(o.name).view() == normal.view()) return &o;
  }
  return nullptr;
}

// What an option set to `value` adds to `check`: a flag takes "1", "true",
// "yes", "on" (and "0", "false", "no", "off"), a choice one of its names
// without regard to case, a number a decimal within its range; -1 for a
// value the option does not take.
constexpr int32_t OptionContribution(const OptionInfo& o, std::string_view value) {
  // The normalized text is kept in a local: a view of the temporary would
  // dangle once this statement ends (optimised builds then read garbage).
  const detail::NormalName normal = detail::NormalizedName(value);
  const std::string_view v = normal.view();
  switch (o.type) {
    case OptionType::kFlag:
      if (v == "1" || v == "true" || v == "yes" || v == "on") return o.check;
      if (v == "0" || v == "false" || v == "no" || v == "off") return 0;
      return -1;
    case OptionType::kChoice:
      for (const OptionChoice& c : o.choices) {
        if (detail::NormalizedName(c.name).view() == v) return c.check;
      }
      return -1;
    case OptionType::kNumber: {
      if (value.empty() || value.size() > 9) return -1;
      int32_t n = 0;
      for (char c : value) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
      }
      return n < o.min || n > o.max ? -1 : n * o.check;
    }
  }
  return -1;
}

// The row of `code`, or nullptr for a code without one (negative codes too).
constexpr const SymbologyInfo* FindSymbology(int32_t code) {
  if (static_cast<uint32_t>(code) >= detail::kRowByCode.size()) return nullptr;
  const int16_t row = detail::kRowByCode[static_cast<size_t>(code)];
  return row < 0 ? nullptr : &detail::kSymbologyRows[static_cast<size_t>(row)];
}

}  // namespace tavo
