// GS1 Application Identifiers: the table generated from the GS1 Syntax
// Dictionary, and the checks of one element's data against it: component
// lengths, character sets and content rules.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "symbologies/gs1/gs1.h"

namespace tavo {
namespace {

// kGs1Components, kGs1RequiredGroups, kGs1Ais, kGs1DlRows, kGs1DlSequences,
// kIso3166Numeric, kIso3166Alpha2, kIso4217Numeric.
#include "gs1_tables.h"

static_assert(kGs1DlRows.size() == kGs1Ais.size());
static_assert([] {
  for (const Gs1DlRow& row : kGs1DlRows) {
    if (row.sequences_begin + row.sequence_count > kGs1DlSequences.size()) return false;
  }
  return true;
}());

static_assert(std::is_sorted(kGs1Ais.begin(), kGs1Ais.end(),
                             [](const Gs1Ai& a, const Gs1Ai& b) { return a.first_key < b.first_key; }));
static_assert(std::is_sorted(kIso3166Numeric.begin(), kIso3166Numeric.end()) &&
              std::is_sorted(kIso3166Alpha2.begin(), kIso3166Alpha2.end()) &&
              std::is_sorted(kIso4217Numeric.begin(), kIso4217Numeric.end()));

constexpr bool ComponentsInRange() {
  for (const Gs1Ai& ai : kGs1Ais) {
    if (ai.first_component + ai.component_count > kGs1Components.size()) return false;
    if (ai.requires_begin + ai.requires_count > kGs1RequiredGroups.size()) return false;
  }
  return true;
}
static_assert(ComponentsInRange());

// The 82-character set, the 39-character set and the URL-safe base64
// alphabet, as lookup strings.
// GS1 General Specifications, section 7.11 (Figures 7.11-1 to 7.11-3).
constexpr std::string_view kCset82 = kGs1Cset82;
constexpr std::string_view kCset39 = "#-/0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr std::string_view kBase64Url =
    "-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
static_assert(kCset82.size() == 82 && kCset39.size() == 39 && kBase64Url.size() == 64);

// Index of each byte in the 82-character set (the weight the check
// character pair gives it), -1 outside the set.
constexpr std::array<int8_t, 256> kCset82Index = [] {
  std::array<int8_t, 256> index{};
  index.fill(-1);
  for (size_t i = 0; i < kCset82.size(); ++i) {
    index[static_cast<unsigned char>(kCset82[i])] = static_cast<int8_t>(i);
  }
  return index;
}();

}  // namespace

constexpr std::array<uint8_t, 256> kGs1ByteClasses = [] {
  std::array<uint8_t, 256> sets{};
  const std::array<std::string_view, 4> members = {"0123456789", kCset82, kCset39, kBase64Url};
  for (size_t set = 0; set < members.size(); ++set) {
    for (char c : members[set]) sets[static_cast<unsigned char>(c)] |= 1u << set;
  }
  for (unsigned char c : std::string_view("()\\")) sets[c] |= kGs1DataStop;
  return sets;
}();

namespace {

constexpr const std::array<uint8_t, 256>& kCsetsOfByte = kGs1ByteClasses;

bool InCset(Gs1Cset cset, char c) {
  return kCsetsOfByte[static_cast<unsigned char>(c)] & (1u << static_cast<unsigned>(cset));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int Digit(char c) { return c - '0'; }
int TwoDigits(std::string_view s, size_t at) { return 10 * Digit(s[at]) + Digit(s[at + 1]); }

constexpr std::array<int32_t, 4> kCsetErrors = {kGs1DataNotNumeric, kGs1DataNotCset82,
                                                kGs1DataNotCset39, kGs1DataNotCset39};

int32_t ValidateCharacters(Gs1Cset cset, std::string_view data) {
  const unsigned bit = 1u << static_cast<unsigned>(cset);
  for (size_t i = 0; i < data.size(); ++i) {
    if (kCsetsOfByte[static_cast<unsigned char>(data[i])] & bit) continue;
    // Base64url data may end in '=' padding.
    if (cset == Gs1Cset::kBase64Url && data.find_first_not_of('=', i) == data.npos) break;
    return kCsetErrors[static_cast<size_t>(cset)];
  }
  return kOk;
}

// Check character pair of an alphanumeric key: the 82-set index of each
// character weighted by the primes from 2 at the right, modulo 1021, written
// as two characters of a 32-character alphabet (GS1 General Specifications,
// section 7.9.5, check character pair for alphanumeric keys).
bool HasGoodCheckPair(std::string_view s) {
  constexpr std::array<int, 23> kPrimes = {2,  3,  5,  7,  11, 13, 17, 19, 23, 29, 31, 37,
                                           41, 43, 47, 53, 59, 61, 67, 71, 73, 79, 83};
  constexpr std::string_view kPairChars = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
  if (s.size() < 2 || s.size() - 2 > kPrimes.size()) return false;
  const size_t n = s.size() - 2;
  int sum = 0;
  for (size_t i = 0; i < n; ++i) {
    sum += kCset82Index[static_cast<unsigned char>(s[i])] * kPrimes[n - 1 - i];
  }
  sum %= 1021;
  return s[n] == kPairChars[static_cast<size_t>(sum >> 5)] &&
         s[n + 1] == kPairChars[static_cast<size_t>(sum & 31)];
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Month and day of a date whose year is known; day 0 only when allowed.
bool IsDate(int year, int month, int day, bool day_zero) {
  constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return false;
  if (day == 0) return day_zero;
  if (day > kDays[static_cast<size_t>(month - 1)]) return false;
  return month != 2 || day < 29 || IsLeapYear(year);
}

// A two-digit year lies within a century of today: 29 February counts for
// every year divisible by 4 (2000 was leap, and 2100 is far).
inline bool IsShortDate(std::string_view s, bool day_zero) {
  return IsDate(2000 + TwoDigits(s, 0), TwoDigits(s, 2), TwoDigits(s, 4), day_zero);
}

bool IsIban(std::string_view s);

template <size_t N>
bool IsListed(const std::array<std::string_view, N>& list, std::string_view code) {
  return std::binary_search(list.begin(), list.end(), code);
}

bool IsPercentEncoded(std::string_view s) {
  auto hex = [](char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); };
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') continue;
    if (i + 2 >= s.size()) return false;
    if (!hex(s[i + 1]) || !hex(s[i + 2])) return false;
    i += 2;
  }
  return true;
}

// Numeric value of up to ten digits.
uint64_t NumberOf(std::string_view s) {
  uint64_t v = 0;
  for (char c : s) v = v * 10 + static_cast<uint64_t>(Digit(c));
  return v;
}

// Rules whose failure is a date or time error.
int32_t LintDateTime(Gs1Linter linter, std::string_view s) {
  bool good = true;
  switch (linter) {
    case Gs1Linter::kYymmd0: good = IsShortDate(s, true); break;
    case Gs1Linter::kYymmdd: good = IsShortDate(s, false); break;
    case Gs1Linter::kYyyymmdd:
      good = IsDate(TwoDigits(s, 0) * 100 + TwoDigits(s, 2), TwoDigits(s, 4), TwoDigits(s, 6),
                    false);
      break;
    case Gs1Linter::kHhmi: good = TwoDigits(s, 0) < 24 && TwoDigits(s, 2) < 60; break;
    case Gs1Linter::kHh: good = TwoDigits(s, 0) < 24; break;
    case Gs1Linter::kMi:
    case Gs1Linter::kSs: good = TwoDigits(s, 0) < 60; break;
    default: break;
  }
  return good ? kOk : kGs1Date;
}

// Rules of the general content error.
bool PassesContentRule(Gs1Linter linter, std::string_view s) {
  switch (linter) {
    case Gs1Linter::kIso5218: return s == "0" || s == "1" || s == "2" || s == "9";
    case Gs1Linter::kYesno: return s == "0" || s == "1";
    case Gs1Linter::kZero: return s == "0";
    case Gs1Linter::kNonzero: return s.find_first_not_of('0') != s.npos;
    case Gs1Linter::kNozeroprefix: return s.size() == 1 || s[0] != '0';
    case Gs1Linter::kHasnondigit:
      return std::any_of(s.begin(), s.end(), [](char c) { return !IsDigit(c); });
    case Gs1Linter::kWinding: return s == "0" || s == "1" || s == "9";
    case Gs1Linter::kPieceoftotal: {
      const int piece = TwoDigits(s, 0);
      const int total = TwoDigits(s, 2);
      return piece > 0 && total > 0 && piece <= total;
    }
    case Gs1Linter::kLatitude: return NumberOf(s) <= 1800000000u;
    case Gs1Linter::kLongitude: return NumberOf(s) <= 3600000000u;
    case Gs1Linter::kHyphen: return s.find_first_not_of('-') == s.npos;
    case Gs1Linter::kImporteridx: return s.size() == 1 && InCset(Gs1Cset::kBase64Url, s[0]);
    case Gs1Linter::kPosinseqslash:
      return s.size() == 3 && IsDigit(s[0]) && s[1] == '/' && IsDigit(s[2]) && s[0] != '0' &&
             s[0] <= s[2];
    case Gs1Linter::kIban: return IsIban(s);
    case Gs1Linter::kMediatype: {
      const int type = TwoDigits(s, 0);
      return (type >= 1 && type <= 10) || type >= 80;
    }
    case Gs1Linter::kCsumalpha: return HasGoodCheckPair(s);
    default: return true;
  }
}

int32_t Lint(Gs1Linter linter, std::string_view s) {
  switch (linter) {
    case Gs1Linter::kNone:
    case Gs1Linter::kGcppos1:  // company prefix, package type, coupons: lists we do not hold
    case Gs1Linter::kGcppos2:
    case Gs1Linter::kPackagetype:
    case Gs1Linter::kCouponcode:
    case Gs1Linter::kCouponposoffer:
      return kOk;
    case Gs1Linter::kCsum:
      return Gs1CheckDigit(s.substr(0, s.size() - 1)) == s.back() ? kOk : kGs1CheckDigit;
    case Gs1Linter::kYymmd0:
    case Gs1Linter::kYymmdd:
    case Gs1Linter::kYyyymmdd:
    case Gs1Linter::kHhmi:
    case Gs1Linter::kHh:
    case Gs1Linter::kMi:
    case Gs1Linter::kSs:
      return LintDateTime(linter, s);
    case Gs1Linter::kIso3166:
      return IsListed(kIso3166Numeric, s) ? kOk : kGs1Country;
    case Gs1Linter::kIso3166999:
      return s == "999" || IsListed(kIso3166Numeric, s) ? kOk : kGs1Country;
    case Gs1Linter::kIso3166alpha2:
      return IsListed(kIso3166Alpha2, s) ? kOk : kGs1Country;
    case Gs1Linter::kIso4217:
      return IsListed(kIso4217Numeric, s) ? kOk : kGs1Currency;
    case Gs1Linter::kPcenc:
      return IsPercentEncoded(s) ? kOk : kGs1PercentEncoding;
    default:
      return PassesContentRule(linter, s) ? kOk : kGs1Content;
  }
}

// IBAN: two letters of a listed country, two check digits, then up to 30
// letters and digits; moved to the end the first four make the number 1
// modulo 97, letters counting 10..35.
bool IsIban(std::string_view s) {
  if (s.size() < 5 || !IsListed(kIso3166Alpha2, s.substr(0, 2))) return false;
  if (!IsDigit(s[2]) || !IsDigit(s[3])) return false;
  int rest = 0;
  auto add = [&rest](char c) {
    if (IsDigit(c)) {
      rest = (rest * 10 + Digit(c)) % 97;
      return true;
    }
    if (c < 'A' || c > 'Z') return false;
    rest = (rest * 100 + (c - 'A' + 10)) % 97;
    return true;
  };
  for (char c : s.substr(4)) {
    if (!add(c)) return false;
  }
  for (char c : s.substr(0, 4)) add(c);
  return rest == 1;
}

}  // namespace

bool MeetsGs1Requirements(const Gs1Ai& ai, const Gs1AiSet& present) {
  for (size_t i = ai.requires_begin; i < ai.requires_begin + ai.requires_count; ++i) {
    const Gs1RequiredGroup& g = kGs1RequiredGroups[i];
    if (present.Contains(g.ais)) {
      i += g.alternatives_after;  // met: on to the next requirement
    } else if (g.alternatives_after == 0) {
      return false;  // no alternative left
    }
  }
  return true;
}

char Gs1CheckDigit(std::string_view digits) {
  // The rightmost digit weighs 3, the next 1, and so on leftwards.
  unsigned by3 = 0;
  unsigned by1 = 0;
  size_t i = digits.size();
  for (; i >= 2; i -= 2) {
    by3 += static_cast<unsigned>(Digit(digits[i - 1]));
    by1 += static_cast<unsigned>(Digit(digits[i - 2]));
  }
  if (i == 1) by3 += static_cast<unsigned>(Digit(digits[0]));
  return static_cast<char>('0' + (10 - (3 * by3 + by1) % 10) % 10);
}

// Entry of every padded AI a dictionary line covers, plus one; 0 for none.
constexpr auto kAiEntryOfKey = [] {
  std::array<uint8_t, 10000> entry{};
  for (size_t i = 0; i < kGs1Ais.size(); ++i) {
    const Gs1Ai& ai = kGs1Ais[i];
    const unsigned step = ai.digits == 2 ? 100 : ai.digits == 3 ? 10 : 1;
    for (unsigned key = ai.first_key; key <= ai.last_key; key += step) {
      entry[key] = static_cast<uint8_t>(i + 1);
    }
  }
  return entry;
}();
static_assert(kGs1Ais.size() < 255);

const Gs1DlRow& Gs1DlRowOf(const Gs1Ai& ai) { return kGs1DlRows[static_cast<size_t>(&ai - kGs1Ais.data())]; }

const Gs1DlSequence& Gs1DlSequenceAt(size_t index) { return kGs1DlSequences[index]; }

const Gs1Ai* FindGs1Ai(uint16_t key, size_t digits) {
  // AIs are prefix-free, so a padded AI names one line; the digits tell
  // "01" from "010".
  if (key >= kAiEntryOfKey.size()) return nullptr;
  const uint8_t entry = kAiEntryOfKey[key];
  if (entry == 0 || kGs1Ais[entry - 1u].digits != digits) return nullptr;
  return &kGs1Ais[entry - 1u];
}

int32_t ValidateGs1Data(const Gs1Ai& ai, std::string_view data, uint8_t common_csets) {
  // Most AIs have one component without content rules: the length and the
  // character set say it all.
  if (ai.component_count == 1) {
    const Gs1Component& c = kGs1Components[ai.first_component];
    if (c.linter_count == 0 && (common_csets & (1u << static_cast<unsigned>(c.cset))) &&
        data.size() >= c.min_length && data.size() <= c.max_length) {
      return kOk;
    }
  }
  size_t at = 0;
  for (size_t k = 0; k < ai.component_count; ++k) {
    const Gs1Component& c = kGs1Components[ai.first_component + k];
    const size_t left = data.size() - at;
    if (left == 0 && c.optional) break;
    if (left < c.min_length) return kGs1DataLength;
    const size_t n = std::min<size_t>(left, c.max_length);
    const std::string_view part = data.substr(at, n);
    if (!(common_csets & (1u << static_cast<unsigned>(c.cset)))) {
      if (int32_t rc = ValidateCharacters(c.cset, part)) return rc;
    }
    for (size_t l = 0; l < c.linter_count; ++l) {
      if (int32_t rc = Lint(c.linters[l], part)) return rc;
    }
    at += n;
  }
  return at == data.size() ? kOk : kGs1DataLength;
}

}  // namespace tavo
