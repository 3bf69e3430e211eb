// The glyphs of the bar code fonts: each code point drawn on its own by its
// family, for the font build and the tests that hold the fonts to the model.
#include <string>

#include "model_internal.h"

namespace tavo::model {
namespace {

bool Draw(int32_t symbology, unsigned char code, const ModelOptions& options, detail::Layout& layout) {
  const detail::ModelRow* row = detail::FindModelRow(symbology);
  return row != nullptr && row->draw(code, options, layout);
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
                    .captions = std::move(drawn.captions),
                    .modules = std::move(drawn.grid),
                    .bearer = drawn.bearer};
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
