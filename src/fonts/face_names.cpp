// Face names of the bar code fonts: the caller's family prefix followed by the
// suffix that names symbology, bar height and caption variant.
#include <array>
#include <cstdint>
#include <string_view>

#include "fonts/fonts.h"
#include "interface/errors.h"

namespace tavo {
namespace {

// Every face-name suffix, whole.  The symbologies with their own fonts come in
// six faces each, in the order L, LC, M, MC, H, HC (bar height low, medium,
// high; "C" for the face that draws the human-readable caption).  The UPC and
// EAN/JAN symbologies share one font, and PostNet has one of its own.
constexpr std::array<std::string_view, 38> kFontFaceSuffix = {
    "39 L",        "39 LC",      "39 M",      "39 MC",      "39 H",      "39 HC",       // 0
    "I2of5 L",     "I2of5 LC",   "I2of5 M",   "I2of5 MC",   "I2of5 H",   "I2of5 HC",    // 6
    "CODABAR L",   "CODABAR LC", "CODABAR M", "CODABAR MC", "CODABAR H", "CODABAR HC",  // 12
    "MSI L",       "MSI LC",     "MSI M",     "MSI MC",     "MSI H",     "MSI HC",      // 18
    "93 L",        "93 LC",      "93 M",      "93 MC",      "93 H",      "93 HC",       // 24
    "128 L",       "128 LC",     "128 M",     "128 MC",     "128 H",     "128 HC",      // 30
    "UPC EAN JAN", "POSTNET",                                                           // 36
};

constexpr size_t kFacesPerHeightFont = 6;
constexpr size_t kHeights = 3;

// Where a symbology's faces sit in kFontFaceSuffix, by symbology code.  A font
// with bar heights has six faces from `first`; a font without has the single
// face at `first`, whatever height and caption are asked for.
struct FaceSelection {
  int8_t first;  // -1: the symbology has no bar code font of its own
  bool by_height;
};
constexpr std::array<FaceSelection, 12> kFacesBySymbology = {{
    {-1, false},  //  0 Code 39 Full ASCII (printed in a Code 39 font)
    {0, true},    //  1 Code 39
    {6, true},    //  2 Interleaved 2 of 5
    {12, true},   //  3 Codabar
    {18, true},   //  4 MSI
    {24, true},   //  5 Code 93
    {36, false},  //  6 UPC-A
    {36, false},  //  7 UPC-E
    {37, false},  //  8 PostNet
    {36, false},  //  9 EAN/JAN-8
    {36, false},  // 10 EAN/JAN-13
    {30, true},   // 11 Code 128
}};

// Each caption face is its plain face with a trailing "C", and every
// selection stays inside the suffix table.
constexpr bool FacesAreConsistent() {
  for (size_t i = 0; i + 1 < 36; i += 2) {
    const std::string_view plain = kFontFaceSuffix[i];
    const std::string_view caption = kFontFaceSuffix[i + 1];
    if (caption.size() != plain.size() + 1 || !caption.starts_with(plain) || !caption.ends_with('C'))
      return false;
  }
  for (const FaceSelection& s : kFacesBySymbology) {
    const size_t count = s.by_height ? kFacesPerHeightFont : 1;
    if (s.first >= 0 && static_cast<size_t>(s.first) + count > kFontFaceSuffix.size()) return false;
  }
  return true;
}
static_assert(FacesAreConsistent());

}  // namespace

int32_t GetFaceName(std::string_view prefix, int32_t symbology, int32_t height, bool caption,
                    std::string& out) {
  // Unsigned comparisons turn negative codes and heights away as well.
  if (static_cast<uint32_t>(symbology) >= kFacesBySymbology.size()) return kUnknownSymbology;
  const FaceSelection& faces = kFacesBySymbology[static_cast<size_t>(symbology)];
  if (faces.first < 0) return kUnknownSymbology;
  auto index = static_cast<size_t>(faces.first);
  if (faces.by_height) {
    if (static_cast<uint32_t>(height) >= kHeights) return kUnknownSymbology;
    index += static_cast<size_t>(height) * 2 + (caption ? 1 : 0);
  }
  out.append(prefix);
  out.append(kFontFaceSuffix[index]);
  return kOk;
}

}  // namespace tavo
