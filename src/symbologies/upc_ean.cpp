// The UPC/EAN/JAN font's character map, the modulo-10 check digit, the 2- and
// 5-digit supplements, and the value test shared by the four retail encoders.
#include "symbologies/upc_ean.h"

#include <array>
#include <string_view>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr std::array<std::string_view, 10> kDigitSets = {
    kLeftOddSet,       kLeftEvenSet,      kRightSet,        kUpcALeadSet,
    kUpcACheckSet,     kCaptionLeftSet,   kCaptionRightSet, kCaptionRightSupplementSet,
    kSupplementOddSet, kSupplementEvenSet};

constexpr std::string_view kSingleGlyphs = "~|*^=@_";
static_assert(kSingleGlyphs[0] == kLeftGuard && kSingleGlyphs[1] == kCentreGuard &&
              kSingleGlyphs[2] == kRightGuard && kSingleGlyphs[3] == kUpcEEndGuard &&
              kSingleGlyphs[4] == kSupplementStart && kSingleGlyphs[5] == kSupplementSeparator &&
              kSingleGlyphs[6] == kSpacer);

// Every set has ten distinct glyphs, none of which is a guard, so a scanner
// of the font string can always tell digits from guards.
constexpr bool DigitSetsAreSound() {
  for (std::string_view set : kDigitSets) {
    if (set.size() != 10) return false;
    for (size_t i = 0; i < set.size(); ++i) {
      if (set[i] == '\0' || kSingleGlyphs.find(set[i]) != std::string_view::npos) return false;
      if (set.find(set[i], i + 1) != std::string_view::npos) return false;
    }
  }
  return true;
}
static_assert(DigitSetsAreSound());

// The sets with a fixed offset from the digit character keep it throughout.
constexpr bool HasOffset(std::string_view set, int offset) {
  for (int d = 0; d < 10; ++d) {
    if (static_cast<unsigned char>(set[d]) != '0' + d + offset) return false;
  }
  return true;
}
static_assert(HasOffset(kLeftOddSet, 0) && HasOffset(kLeftEvenSet, 49) &&
              HasOffset(kRightSet, 17) && HasOffset(kUpcACheckSet, 27) &&
              HasOffset(kCaptionRightSet, 123) && HasOffset(kSupplementOddSet, 59) &&
              HasOffset(kSupplementEvenSet, 113));

char Glyph(std::string_view set, char digit) {
  if (digit < '0' || digit > '9') return '\0';
  return set[static_cast<size_t>(digit - '0')];
}

int DigitValue(char digit) { return digit - '0'; }


}  // namespace

char LeftOddGlyph(char digit) { return Glyph(kLeftOddSet, digit); }
char LeftEvenGlyph(char digit) { return Glyph(kLeftEvenSet, digit); }
char RightGlyph(char digit) { return Glyph(kRightSet, digit); }
char UpcALeadGlyph(char digit) { return Glyph(kUpcALeadSet, digit); }
char UpcACheckGlyph(char digit) { return Glyph(kUpcACheckSet, digit); }
char CaptionLeftGlyph(char digit) { return Glyph(kCaptionLeftSet, digit); }
char CaptionRightGlyph(char digit) { return Glyph(kCaptionRightSet, digit); }
char CaptionRightSupplementGlyph(char digit) { return Glyph(kCaptionRightSupplementSet, digit); }
char SupplementOddGlyph(char digit) { return Glyph(kSupplementOddSet, digit); }
char SupplementEvenGlyph(char digit) { return Glyph(kSupplementEvenSet, digit); }

char UpcEanCheckDigit(std::string_view digits, size_t count) {
  if (count > digits.size()) count = digits.size();
  // Weights 3, 1, 3, ... from the rightmost counted digit leftwards.
  unsigned sum = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned weight = (i % 2 == 0) ? 3 : 1;
    sum += weight * static_cast<unsigned>(DigitValue(digits[count - 1 - i]));
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool Supplement2Parity(int position, char first, char second) {
  // Value modulo 4 picks odd/odd, odd/even, even/odd or even/even.
  const int v = 10 * DigitValue(first) + DigitValue(second);
  return position == 0 ? (v / 2) % 2 == 1 : v % 2 == 1;
}

bool Supplement5Parity(int position, char d1, char d2, char d3, char d4, char d5) {
  if (position < 0 || position > 4) return false;
  const int sum = 3 * (DigitValue(d1) + DigitValue(d3) + DigitValue(d5)) +
                  9 * (DigitValue(d2) + DigitValue(d4));
  const std::string_view row = kSupplement5NumberSets[static_cast<size_t>(sum % 10)];
  return row[static_cast<size_t>(position)] == 'B';
}

void AppendSupplement(FontString& output, std::string_view digits) {
  if (digits.size() != 2 && digits.size() != 5) return;
  output.push_back(kSupplementStart);
  for (size_t i = 0; i < digits.size(); ++i) {
    const int position = static_cast<int>(i);
    const bool even = digits.size() == 2 ? Supplement2Parity(position, digits[0], digits[1])
                                         : Supplement5Parity(position, digits[0], digits[1],
                                                             digits[2], digits[3], digits[4]);
    if (i > 0) output.push_back(kSupplementSeparator);
    output.push_back(even ? SupplementEvenGlyph(digits[i]) : SupplementOddGlyph(digits[i]));
  }
  output.push_back(kSpacer);
}

int32_t ValidateUpcEanValue(std::string_view value, size_t data_digits, int32_t incomplete) {
  if (int32_t rc = ValidateDigits(value)) return rc;
  const size_t n = value.size();
  if (n == data_digits || n == data_digits + 2 || n == data_digits + 5) return kOk;
  return n < data_digits + 5 ? incomplete : kTooManyCharacters;
}

}  // namespace tavo
