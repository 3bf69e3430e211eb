// The symbology codes callers pass to BC_FontTranslate, BC_FontGetFaceName and
// BC_CharCheck, by name.  Codes 0 to 11 are frozen; a new symbology takes the
// code its issue fixes and gets its row in symbologies/registry.h.  The model
// and the tools use these names too, never the bare numbers.
#pragma once

#include <cstdint>

namespace tavo::symbology {

inline constexpr int32_t kCode39FullAscii = 0;  // printed in the Code 39 faces
inline constexpr int32_t kCode39 = 1;
inline constexpr int32_t kI2of5 = 2;
inline constexpr int32_t kCodabar = 3;
inline constexpr int32_t kMsi = 4;
inline constexpr int32_t kCode93 = 5;
inline constexpr int32_t kUpcA = 6;
inline constexpr int32_t kUpcE = 7;
inline constexpr int32_t kPostNet = 8;
inline constexpr int32_t kEan8 = 9;
inline constexpr int32_t kEan13 = 10;
inline constexpr int32_t kCode128 = 11;
inline constexpr int32_t kGs1_128 = 12;  // printed in the Code 128 faces
inline constexpr int32_t kImb = 13;  // Intelligent Mail
inline constexpr int32_t kQr = 14;
inline constexpr int32_t kDataMatrix = 15;
inline constexpr int32_t kGtin13 = 16;   // the GTINs print in the UPC EAN JAN face
inline constexpr int32_t kGtin8 = 17;
inline constexpr int32_t kGtin12 = 18;
inline constexpr int32_t kUpcE8 = 19;
inline constexpr int32_t kItf14 = 20;  // the GTIN-14 in Interleaved 2 of 5, with bearer bars
inline constexpr int32_t kDatabar = 21;  // GS1 DataBar Omnidirectional (and Truncated); the forms print in its face
inline constexpr int32_t kDatabarStacked = 23;
inline constexpr int32_t kDatabarStackedOmni = 24;
inline constexpr int32_t kDatabarLimited = 25;
inline constexpr int32_t kDatabarExpanded = 26;
inline constexpr int32_t kDatabarExpandedStacked = 27;
inline constexpr int32_t kPdf417 = 28;
inline constexpr int32_t kMicroPdf417 = 29;  // MicroPDF417, printed in the PDF417 face
inline constexpr int32_t kAztec = 30;  // Aztec Code

}  // namespace tavo::symbology
