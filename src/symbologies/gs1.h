// GS1 element strings: the Application Identifier table, the validation of
// each AI's data, the parsing of "(01)...(10)..." values, their Code 128
// form and human-readable text, and the GS1 modulo-10 check digit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "interface/errors.h"
#include "interface/translate.h"

namespace tavo {

// Character set of a component: digits, the 82-character set, the
// 39-character set, or the URL-safe base64 alphabet.
enum class Gs1Cset : uint8_t { kNumeric, kCset82, kCset39, kBase64Url };

// Content rules ("linters") of the GS1 Syntax Dictionary, named as it names
// them.  Every name the dictionary uses must be listed here.
enum class Gs1Linter : uint8_t {
  kNone,
  kCsum,            // GS1 modulo-10 check digit of a key
  kCsumalpha,       // check character pair of an alphanumeric key
  kGcppos1,         // GS1 Company Prefix at position 1 (needs the prefix list: accepted)
  kGcppos2,         // ... at position 2 (accepted likewise)
  kYymmd0,          // date, day 00 allowed
  kYymmdd,          // date
  kYyyymmdd,        // date with a four-digit year
  kHhmi,            // hours and minutes
  kHh,              // hours
  kMi,              // minutes
  kSs,              // seconds
  kIso3166,         // ISO 3166 numeric country code
  kIso3166999,      // ... or 999
  kIso3166alpha2,   // ISO 3166 alpha-2 country code
  kIso4217,         // ISO 4217 numeric currency code
  kIso5218,         // sex: 0, 1, 2 or 9
  kPcenc,           // percent-encoding: '%' and two hexadecimal digits
  kYesno,           // 0 or 1
  kZero,            // exactly 0
  kNonzero,         // not all zeros
  kNozeroprefix,    // no leading zero
  kHasnondigit,     // at least one non-digit
  kWinding,         // 0, 1 or 9
  kPieceoftotal,    // piece number (2 digits) of a total (2 digits)
  kLatitude,        // 0..1800000000
  kLongitude,       // 0..3600000000
  kHyphen,          // hyphens only
  kImporteridx,     // one character of the URL-safe base64 alphabet
  kPosinseqslash,   // "n/m", position n of m
  kIban,            // IBAN with its modulo-97 check
  kMediatype,       // AIDC media type 01..10 or 80..99
  kPackagetype,     // package type code (accepted)
  kCouponcode,      // North American coupon code (accepted)
  kCouponposoffer,  // positive offer file coupon (accepted)
};

struct Gs1Component {
  Gs1Cset cset;
  uint8_t min_length;
  uint8_t max_length;
  bool optional;
  std::array<Gs1Linter, 3> linters;
  uint8_t linter_count;
};

// One line of the dictionary: an AI, or a range of AIs of one length that
// share their format.  `predefined_length` AIs need no FNC1 after them.
// `requires` holds space-separated clauses, each a comma-separated list of
// alternatives, each a '+'-joined group of AI patterns ('n' for any digit);
// `excludes` a comma-separated list of patterns.
struct Gs1Ai {
  std::string_view first;
  std::string_view last;
  bool predefined_length;
  uint16_t first_component;
  uint8_t component_count;
  std::string_view requires_ais;
  std::string_view excludes_ais;
};

// The dictionary entry of an AI given as its digits, or null.
const Gs1Ai* FindGs1Ai(std::string_view ai);

// Checks the data of one element against its AI's components: lengths,
// character sets and content rules.  0 or the first error.
int32_t ValidateGs1Data(const Gs1Ai& ai, std::string_view data);

// One element string of a parsed value.  `data` is unescaped.
struct Gs1Element {
  std::string_view ai;
  std::string_view data;
  const Gs1Ai* entry;
};

// A parsed and validated GS1 value.  The unescaped data lives in `text`, so
// a message must not be copied while its elements are in use.
struct Gs1Message {
  static constexpr size_t kMaxElements = 24;  // 2 AI digits + 1 data each: already over 48
  std::array<Gs1Element, kMaxElements> elements;
  size_t count = 0;
  FontString text;
  Gs1Message() = default;
  Gs1Message(const Gs1Message&) = delete;
  Gs1Message& operator=(const Gs1Message&) = delete;
};

// Most data characters (AIs, data and separating FNC1s) in one GS1-128 symbol.
inline constexpr size_t kGs1MaxDataCharacters = 48;

// Parses "(AI)data(AI)data..." (with \( and \) for literal parentheses in
// data) and validates every element and the pairing rules.  0 or the first
// error; `message` is filled on success.
int32_t ParseGs1ElementStrings(std::string_view value, Gs1Message& message);

// Appends the Code 128 value of a message: FNC1 (byte 185), then each AI and
// its data, with FNC1 after every element whose AI has no predefined length,
// except the last.
void AppendGs1Code128Value(const Gs1Message& message, FontString& out);

// Appends the human-readable text: "(AI)data" for every element, data as is.
void AppendGs1HumanReadable(const Gs1Message& message, FontString& out);

// The GS1 modulo-10 check digit ('0'..'9') of a key's digits without it
// (weights 3, 1, 3, ... from the right).  The caller checks the digits.
char Gs1CheckDigit(std::string_view digits);

// Keys whose check digit the library computes: 7 to 17 digits before it
// (GTIN-8 to GTIN-14, GLN, SSCC, GSRN ...).
inline constexpr size_t kGs1KeyMinDigits = 7;
inline constexpr size_t kGs1KeyMaxDigits = 17;

// The check digit of a key: `key` holds the digits without it, or with it
// when `verify` is set.  Returns 0 and sets `digit` ('0'..'9'), 32507 for a
// non-digit, 32548 for a length outside the range, 32547 for a wrong check
// digit (then `digit` is not set).
int32_t Gs1KeyCheckDigit(std::string_view key, bool verify, char& digit);

}  // namespace tavo
