// The UPC/EAN/JAN font's character map, the modulo-10 check digit, the 2- and
// 5-digit supplements, and the value test shared by the four retail encoders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "interface/font_string.h"

#include "interface/translate.h"

namespace tavo {

// Single glyphs of the UPC/EAN/JAN font.
inline constexpr char kLeftGuard = '~';            // before the first bar-coded digit
inline constexpr char kCentreGuard = '|';          // between the halves of UPC-A and EAN
inline constexpr char kRightGuard = '*';           // after the check digit of UPC-A and EAN
inline constexpr char kUpcEEndGuard = '^';         // after the sixth UPC-E digit
inline constexpr char kSupplementStart = '=';      // first glyph of a supplement block
inline constexpr char kSupplementSeparator = '@';  // between two supplement digits
inline constexpr char kSpacer = '_';               // quiet space around EAN and after a supplement

// The digit glyph sets of the font: the glyph byte of digit d is the set's
// character at index d.  The encoders emit from them and the symbol model
// (model/src/upc_ean.cpp) reads them, so the font's map is written once.
inline constexpr std::string_view kLeftOddSet = "0123456789";   // left half, number set A
inline constexpr std::string_view kLeftEvenSet = "abcdefghij";  // left half, number set B
inline constexpr std::string_view kRightSet = "ABCDEFGHIJ";     // right half, number set C
// The lead set steps around '|' (centre guard) and '=' (supplement start).
inline constexpr std::string_view kUpcALeadSet = "uvwxyz{}<>";
inline constexpr std::string_view kUpcACheckSet = "KLMNOPQRST";
// The caption-left set steps around '*' (right guard).
inline constexpr std::string_view kCaptionLeftSet = "!\"#$%&'()+";
inline constexpr std::string_view kCaptionRightSet = "\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3\xB4";
// The caption-right-supplement set steps around '^' (UPC-E end guard) and '_'
// (spacer).
inline constexpr std::string_view kCaptionRightSupplementSet = "UVWXYZ[\\]`";
inline constexpr std::string_view kSupplementOddSet = "klmnopqrst";
inline constexpr std::string_view kSupplementEvenSet = "\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA";

// Number sets ('A' odd, 'B' even) of the six UPC-E body digits by the check
// digit (number system 0), of the six EAN-13 left-half digits by the leading
// digit, and of the five supplement digits by the supplement's checksum.
// ISO/IEC 15420:2009 (the number set combinations of EAN-13's leading digit,
// of UPC-E and of the add-on symbols).
inline constexpr std::array<std::string_view, 10> kUpcENumberSets = {
    "BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA", "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};
inline constexpr std::array<std::string_view, 10> kEan13NumberSets = {
    "AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB", "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
inline constexpr std::array<std::string_view, 10> kSupplement5NumberSets = {
    "BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA", "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};

// One mapping per digit glyph set: a digit character '0'..'9' in, its glyph
// byte out.  Anything but a digit character gives '\0', which no glyph is.
char LeftOddGlyph(char digit);                 // left half, number set A
char LeftEvenGlyph(char digit);                // left half, number set B
char RightGlyph(char digit);                   // right half, number set C
char UpcALeadGlyph(char digit);                // UPC-A number-system digit, set A
char UpcACheckGlyph(char digit);               // UPC-A check digit, set C
char CaptionLeftGlyph(char digit);             // caption left of the bars
char CaptionRightGlyph(char digit);            // caption right of the bars, nothing after
char CaptionRightSupplementGlyph(char digit);  // caption right of the bars, supplement after
char SupplementOddGlyph(char digit);           // supplement digit, set A
char SupplementEvenGlyph(char digit);          // supplement digit, set B

// The UPC/EAN modulo-10 check digit ('0'..'9') of the first `count` digit
// characters of `digits`; characters beyond `count` are ignored.
char UpcEanCheckDigit(std::string_view digits, size_t count);

// The same for exactly `kCount` validated digit characters at `digits`,
// inlined and unrolled for the short encoders (EAN-8, EAN-13, UPC-A), whose
// calls the link-time inliner may otherwise leave out of line.  The digits
// are summed as characters and the weighted '0's taken off once.
template <size_t kCount>
TAVO_HOT_INLINE char UpcEanCheckDigitOf(const char* digits) {
  unsigned sum = 0;
  unsigned zeros = 0;
  for (size_t i = 0; i < kCount; ++i) {
    const unsigned weight = (kCount - 1 - i) % 2 == 0 ? 3 : 1;
    sum += weight * static_cast<unsigned char>(digits[i]);
    zeros += weight * '0';
  }
  return static_cast<char>('0' + (10 - (sum - zeros) % 10) % 10);
}

// Number set of supplement digit `position` (from 0): true for the even set
// (B), false for the odd set (A).
bool Supplement2Parity(int position, char first, char second);
bool Supplement5Parity(int position, char d1, char d2, char d3, char d4, char d5);

// Appends the supplement block of exactly 2 or 5 digit characters: start,
// digits joined by separators, spacer.  Any other count appends nothing.
void AppendSupplement(FontString& output, std::string_view digits);

// The value test of the retail encoders: every character a digit (32507 at
// the first that is not), then the length: `data_digits` alone, or followed by
// a 2- or 5-digit supplement.  Other lengths below the longest accepted one
// give `incomplete`, longer ones 32510.
int32_t ValidateUpcEanValue(std::string_view value, size_t data_digits, int32_t incomplete);

}  // namespace tavo
