// The library's Code 39 fonts: one glyph per ASCII character, each drawing
// its Full ASCII expansion (symbologies/full_ascii.h), grave accent start and
// "~" stop.  The encoder emits from this map and the symbol model
// (model/src/code39.cpp) reads it back, so the map is written once.
#pragma once

#include <array>
#include <cstddef>

namespace tavo {

inline constexpr unsigned char kCode39Start = 0x60;  // grave accent
inline constexpr unsigned char kCode39Stop = '~';

// Font characters of the control codes 0..31.  The font keeps the glyphs of
// the $-shifted and %-shifted pairs at 0x82..0x8C and 0x91..0x9C (0x80 plus
// the code) and the rest at 0xA7..0xAF.
inline constexpr std::array<unsigned char, 32> kCode39ControlGlyphs = {
    0xA7, 0xA8, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87,  //  0..7
    0x88, 0x89, 0x8A, 0x8B, 0x8C, 0xA9, 0xAA, 0xAB,  //  8..15
    0xAC, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,  // 16..23
    0x98, 0x99, 0x9A, 0x9B, 0x9C, 0xAD, 0xAE, 0xAF,  // 24..31
};

// Font character of each ASCII code.  Printable characters are their own
// glyphs except those the font needs elsewhere: space draws as "_" (so "_"
// moves to 0xA1), "*" moves to 0xA5, and the grave accent and "~" move to
// 0xA2 and 0xA3 because they are the start and stop characters.  "$", "%",
// "+" and "/" are the single Code 39 characters, as in the Full ASCII form.
inline constexpr std::array<unsigned char, 128> kCode39GlyphMap = [] {
  std::array<unsigned char, 128> map{};
  for (size_t code = 0; code < map.size(); ++code) {
    map[code] = code < 32 ? kCode39ControlGlyphs[code] : static_cast<unsigned char>(code);
  }
  map[' '] = '_';
  map['*'] = 0xA5;
  map['_'] = 0xA1;
  map['`'] = 0xA2;
  map['~'] = 0xA3;
  map[127] = 0xA6;
  return map;
}();
static_assert(kCode39GlyphMap.size() == 128);

// Each ASCII character has its own glyph, and none of them is the start or
// stop character.
constexpr bool GlyphsDistinctFromEachOtherAndFromStartStop() {
  std::array<bool, 256> seen{};
  seen[kCode39Start] = true;
  seen[kCode39Stop] = true;
  for (unsigned char glyph : kCode39GlyphMap) {
    if (seen[glyph]) return false;
    seen[glyph] = true;
  }
  return true;
}
static_assert(GlyphsDistinctFromEachOtherAndFromStartStop());

}  // namespace tavo
