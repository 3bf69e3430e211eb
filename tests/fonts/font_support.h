// The font suite's harness: the generated fonts found by their family names,
// font strings turned into the text a Windows application holds, and that
// text set in a font with FreeType into a grey-scale picture.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "render.h"

namespace tavo::fonts {

// One line of the manifest the font build writes: a face and the design
// numbers its outlines follow, in font units.
struct FaceDesign {
  std::string file;    // full path
  std::string family;  // "TAVO 39 LC"
  int32_t symbology = 0;
  char height = '-';   // 'L', 'M', 'H'; '-' for the single-face fonts
  bool caption = false;
  int module = 0;       // units per module
  int bar_bottom = 0;   // ordinary bars (and PostNet's bars) stand here
  int bar_top = 0;      // ordinary bars and guard bars end here
  int guard_bottom = 0;  // UPC/EAN guard bars reach down to here
  int half_top = 0;      // PostNet short bars end here
  size_t glyphs = 0;
};

// Reads `dir`/fonts.manifest; empty when it cannot be read.
std::vector<FaceDesign> ReadManifest(const std::string& dir);

// The face name the library gives for a symbology with the prefix "TAVO ".
std::string LibraryFaceName(int32_t symbology, int32_t height, bool caption);

// FreeType, opened once per process.
FT_Library Library();

// An open face; closed with the object.
class Face {
 public:
  explicit Face(const std::string& path);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face get() const { return face_; }
  bool ok() const { return face_ != nullptr; }

 private:
  FT_Face face_ = nullptr;
};

// The Unicode character a Windows application holds for font byte `b` in
// Windows-1252 text (0x82 is U+201A); the five bytes Windows-1252 leaves
// undefined, and every byte outside 0x80..0x9F, stand for themselves.
uint32_t Windows1252(unsigned char b);

// The text of a font string: each byte as its Windows-1252 character, or
// (`latin1`) as U+0000..U+00FF, as text from other sources arrives.
std::u32string TextOf(std::string_view font_string, bool latin1);

// How text is set: pixels to the em, and anti-aliased or one bit per pixel
// (as a printer driver rasterises).
struct Setting {
  double pixels_per_em = 40;
  bool mono = false;
};

// Sets `text` in `face` on one line, pen positions in fractional pixels,
// with `margin` white pixels around it.  False with the reason in `error`
// when a character has no glyph or FreeType fails.
bool SetText(FT_Face face, const std::u32string& text, const Setting& setting, int margin,
             render::Raster& raster, std::string& error);

// Sets two-dimensional font text (lines separated by CR LF, every byte its
// own character) in `face`: line i has its baseline i line heights below
// the first, the line height being the font's own (hhea ascender -
// descender + line gap), as a program sets text at single spacing.  Pen
// positions are fractional pixels, both ways.  False with the reason in
// `error` when a character has no glyph or FreeType fails.
bool SetLines(FT_Face face, std::string_view font_text, const Setting& setting, int margin,
              render::Raster& raster, std::string& error);

// The pixel row of height `units` (font units above the baseline) in a
// picture SetText drew with the same face, setting and margin.
int RowAt(FT_Face face, const Setting& setting, int margin, double units);

}  // namespace tavo::fonts
