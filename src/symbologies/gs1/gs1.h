// GS1 element strings: the Application Identifier table, the validation of
// each AI's data, the parsing of "(01)...(10)..." values, their Code 128
// form and human-readable text, and the GS1 modulo-10 check digit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "interface/errors.h"
#include "interface/translate.h"

namespace tavo {

// The GS1 82-character set, as a lookup string.
// GS1 General Specifications, section 7.11 (Figure 7.11-1).
inline constexpr std::string_view kGs1Cset82 =
    "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";

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

// A set of the AIs and AI patterns ("310n": any last digit) that the
// dictionary's req= and ex= attributes name, one bit each.
struct Gs1AiSet {
  uint64_t low = 0;
  uint64_t high = 0;
  constexpr void Add(const Gs1AiSet& o) {
    low |= o.low;
    high |= o.high;
  }
  constexpr bool Empty() const { return (low | high) == 0; }
  constexpr bool Intersects(const Gs1AiSet& o) const { return ((low & o.low) | (high & o.high)) != 0; }
  constexpr bool Contains(const Gs1AiSet& o) const {
    return (low & o.low) == o.low && (high & o.high) == o.high;
  }
};

// One alternative of a requirement: AIs that must all be present, and how
// many alternatives of the same requirement follow it.
struct Gs1RequiredGroup {
  Gs1AiSet ais;
  uint8_t alternatives_after;
};

// One line of the dictionary: an AI, or a range of AIs of one length that
// share their format, by their digits padded with zeros to four (AIs are
// prefix-free, so no two padded AIs are equal).  `predefined_length` AIs
// need no FNC1 after them.  `member` holds the patterns its AIs match, its
// requirements are a range of kGs1RequiredGroups, `excludes` the patterns
// no other AI of the message may match.
struct Gs1Ai {
  uint16_t first_key;
  uint16_t last_key;
  uint8_t digits;
  bool predefined_length;
  uint16_t first_component;
  uint8_t component_count;
  Gs1AiSet member;
  uint16_t requires_begin;
  uint16_t requires_count;
  Gs1AiSet excludes;
};

// GS1 Digital Link facts of a dictionary line (its `dlpkey` attribute and
// its `?` flag): one row per kGs1Ais row, in the same order.  A primary key
// lists its alternative qualifier sequences, a range of kGs1DlSequences.
struct Gs1DlRow {
  bool attribute;  // may stand in a URI's query string
  bool primary_key;
  uint8_t sequences_begin;
  uint8_t sequence_count;
};

// One qualifier sequence of a primary key: AIs padded to four digits, in
// the order a URI path gives them, each optional.
struct Gs1DlSequence {
  static constexpr size_t kMost = 4;
  std::array<uint16_t, kMost> keys;
  std::array<uint8_t, kMost> digits;
  uint8_t count;
};

// The Digital Link row of a dictionary line, and the sequences of a row.
const Gs1DlRow& Gs1DlRowOf(const Gs1Ai& ai);
const Gs1DlSequence& Gs1DlSequenceAt(size_t index);

// The dictionary entry of an AI of `digits` digits (two to four) given
// padded with zeros to four digits, or null.
const Gs1Ai* FindGs1Ai(uint16_t key, size_t digits);

// The character sets of each byte, one bit per Gs1Cset, and kGs1DataStop on
// the bytes that end a run of data in an element string: '(' ')' '\\'.
inline constexpr uint8_t kGs1DataStop = 0x10;
inline constexpr uint8_t kGs1AllCsets = 0x0F;
extern const std::array<uint8_t, 256> kGs1ByteClasses;

// Checks the data of one element against its AI's components: lengths,
// character sets and content rules.  `common_csets` holds the sets every
// byte of the data belongs to (the AND of their kGs1ByteClasses), which
// spares the per-byte test of a component whose set they cover.  0 or the
// first error.
int32_t ValidateGs1Data(const Gs1Ai& ai, std::string_view data, uint8_t common_csets);

// One element string of a parsed value, as positions in its message's
// Code 128 value; `digits` is the AI's length.
struct Gs1Element {
  uint16_t at;       // the AI's first digit
  uint16_t end;      // one past the data
  uint8_t digits;
  uint16_t key;      // the AI padded with zeros to four digits
  const Gs1Ai* entry;
};

// A parsed and validated GS1 value: its elements and its Code 128 value,
// FNC1 (byte 185) first, then each AI and its unescaped data, with FNC1
// after every element whose AI has no predefined length, except the last.
// The first kInlineElements elements live inside the object (GS1-128 never
// holds more: 2 AI digits and 1 data character each are already over its
// 48); a 2D symbol's longer message keeps the rest on the heap.
struct Gs1Message {
  static constexpr size_t kInlineElements = 24;
  std::array<Gs1Element, kInlineElements> inline_elements;
  std::vector<Gs1Element> more_elements;
  size_t count = 0;
  FontString code128;

  Gs1Element& Element(size_t i) { return i < kInlineElements ? inline_elements[i] : more_elements[i - kInlineElements]; }
  const Gs1Element& Element(size_t i) const {
    return i < kInlineElements ? inline_elements[i] : more_elements[i - kInlineElements];
  }
  std::string_view Ai(const Gs1Element& e) const { return {code128.data() + e.at, e.digits}; }
  std::string_view Data(const Gs1Element& e) const {
    return {code128.data() + e.at + e.digits, static_cast<size_t>(e.end - e.at - e.digits)};
  }
};

// True when the AIs `present` (the union of their `member` sets) meet every
// requirement of `ai`.
bool MeetsGs1Requirements(const Gs1Ai& ai, const Gs1AiSet& present);

// How many data characters (AIs, data and separating FNC1s) a symbology's
// message may hold, and the error that says it holds more.
//   GS1-128: 48, kGs1TooLong; its message also ends at its 24th element, and
//   the length is judged once every element has been read and validated.
//   A 2D symbol: what its largest size could hold, and its own "too long"
//   error, given the moment the data passes that (the parser then stores no
//   more elements, and the pairing checks never see more than that many).
struct Gs1Limit {
  size_t data_characters;
  int32_t too_long;
  bool stop_when_passed;
};
inline constexpr size_t kGs1MaxDataCharacters = 48;
inline constexpr Gs1Limit kGs1_128Limit{kGs1MaxDataCharacters, kGs1TooLong, false};

// Parses "(AI)data(AI)data..." (with \( and \) for literal parentheses in
// data), or "[AI]data[AI]data..." when the value starts with '[' (there '('
// and ')' are plain data, and \( \) mean them too; the forms do not mix: a
// '[' in a value of the first form is data, and fails as such), and
// validates every element and the pairing rules.  0 or the first error;
// `message` is filled on success.
int32_t ParseGs1ElementStrings(std::string_view value, Gs1Message& message, const Gs1Limit& limit = kGs1_128Limit);

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
