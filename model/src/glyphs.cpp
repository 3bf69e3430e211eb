// The glyphs of the bar code fonts: each code point drawn on its own by its
// family, for the font build and the tests that hold the fonts to the model.
#include <string>

#include "model_internal.h"

namespace tavo::model {
namespace {

bool Draw(int32_t symbology, unsigned char code, const ModelOptions& options, detail::Layout& layout) {
  switch (symbology) {
    case 0: case 1: return detail::DrawCode39Glyph(code, options, layout);
    case 2: return detail::DrawI2of5Glyph(code, options, layout);
    case 3: return detail::DrawCodabarGlyph(code, options, layout);
    case 4: return detail::DrawMsiGlyph(code, options, layout);
    case 5: return detail::DrawCode93Glyph(code, options, layout);
    case 6: case 7: case 9: case 10: return detail::DrawUpcEanGlyph(code, layout);
    case 8: return detail::DrawPostNetGlyph(code, layout);
    case 11: return detail::DrawCode128Glyph(code, options, layout);
    default: return false;
  }
}

// The names of the symbol characters a glyph draws, or what it shows when
// it draws no bars (the UPC/EAN caption glyphs and spacer).
std::string GlyphName(const Symbol& drawn) {
  std::string name;
  for (const SymbolCharacter& c : drawn.characters) name += (name.empty() ? "" : " ") + c.name;
  if (!name.empty()) return name;
  return drawn.captions.empty() ? "SPACER" : "CAPTION " + drawn.captions.front().text;
}

}  // namespace

bool GlyphOf(int32_t symbology, unsigned char code, const ModelOptions& options, FontGlyph& glyph) {
  Symbol drawn;
  detail::Layout layout(drawn);
  if (!Draw(symbology, code, options, layout)) return false;
  // The layout is not finished: the glyph keeps its blank at either end.
  glyph = FontGlyph{.code = code,
                    .name = GlyphName(drawn),
                    .advance = layout.x(),
                    .elements = std::move(drawn.elements),
                    .captions = std::move(drawn.captions)};
  return true;
}

std::vector<FontGlyph> FontGlyphs(int32_t symbology, const ModelOptions& options) {
  std::vector<FontGlyph> glyphs;
  for (int code = 0; code < 256; ++code) {
    FontGlyph glyph;
    if (GlyphOf(symbology, static_cast<unsigned char>(code), options, glyph)) glyphs.push_back(std::move(glyph));
  }
  return glyphs;
}

}  // namespace tavo::model
