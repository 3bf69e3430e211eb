// ITF-14: the GTIN-14 in Interleaved 2 of 5, framed by bearer bars that the
// font draws.  The glyph codes the encoder writes and the model reads.
#pragma once

namespace tavo::itf14 {

// The pairs, the start and the stop keep the Interleaved 2 of 5 font's codes
// (I2of5PairChar, 0x97, 0x98); the two frame glyphs take the next two.
inline constexpr char kStart = '\x97';
inline constexpr char kStop = '\x98';
// The left vertical bearer with the quiet zone after it, and the quiet zone
// with the right vertical bearer.  Every glyph of the face draws the top and
// bottom bearer strokes over its whole advance.
inline constexpr char kLeftFrame = '\x99';
inline constexpr char kRightFrame = '\x9A';

// The font string is always this long: two frames, start, seven pairs, stop.
inline constexpr int kLength = 11;

}  // namespace tavo::itf14
