// Code 93 internals: font bytes, symbol values and the C and K check characters.
#pragma once

#include <string_view>

namespace tavo {

// Font byte of the glyph of an ASCII code 0..127 (the glyph draws the code's
// one or two symbol characters): code + 48 for 0..32, code + 128 for 33..127.
char Code93FontChar(unsigned char code);

// Font byte of a single symbol character, written as in the alphabet: the
// shift symbols 'y' 'z' '{' '|' have glyphs of their own at their own byte;
// every other symbol character uses the glyph of the ASCII character it is.
char Code93CheckFontChar(char symbol);

// Value 0..48 of a symbol character (its first position in the alphabet);
// 47 for a character that is not a symbol character.
int Code93CharValue(char symbol);

// The symbol character of a value 0..48; '\0' for anything larger.
char Code93ValueChar(unsigned value);

// The check characters C and K of a value, as font bytes, computed over the
// full-ASCII expansion of its characters.  Bytes above 127, which the encoder
// rejects before it asks, add nothing.
void Code93CheckChars(std::string_view value, char& c, char& k);

}  // namespace tavo
