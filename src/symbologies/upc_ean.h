// The UPC/EAN/JAN font's character map, the modulo-10 check digit, the 2- and
// 5-digit supplements, and the value test shared by the four retail encoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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
