// Pictures of a symbol: the bars and spaces of the symbol model, its quiet
// zones and its caption text, as SVG or as a PNG.
//
// Everything is first laid out in modules (the narrow element is 1), then
// scaled: an SVG keeps module units in its viewBox, a PNG rounds every edge
// to whole pixels.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tavo_model.h"

namespace tavo::render {

// Height of the ordinary bars when none is asked for, in modules: linear
// symbols, and PostNet, whose tall bars are about six bar widths high.
inline constexpr double kDefaultHeight = 50;
inline constexpr double kDefaultPostalHeight = 6;
// Intelligent Mail: the full bar, 7.25 bar widths high (the TAVO IMB font).
inline constexpr double kDefaultImbHeight = 667.0 / 92.0;

// A black rectangle, in modules from the picture's top left corner.
struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
};

// A caption line: centred on `x`, its glyph cells from `top` down.
struct TextLine {
  std::string text;
  double x = 0;
  double top = 0;
};

// The picture in modules.
struct Layout {
  double width = 0;
  double height = 0;
  std::vector<Rect> bars;
  std::vector<TextLine> texts;
};

// Caption glyphs are 5 x 7 cells on a 6-module pitch: one module per cell.
inline constexpr double kGlyphPitch = 6;
inline constexpr double kGlyphHeight = 7;

// Places the symbol's bars, quiet zones and captions.  `bar_height` is the
// height of an ordinary bar in modules, 0 for the default; `captions` false
// leaves the text out.
Layout LayOut(const model::Symbol& symbol, double bar_height, bool captions);

// A grey-scale picture, row by row: 0 is black, 255 white.
struct Raster {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The largest picture Rasterize draws: 100 million pixels, one byte each
// (a QR Code of version 40 at 54 pixels a module; a row of 2,000 Code 39
// characters at 3 pixels a module and 50 high).
inline constexpr double kMaxPixels = 100e6;

// The size in whole pixels of the layout drawn at `module` pixels per module.
struct PixelSize {
  double width = 0;
  double height = 0;
  bool Drawable() const { return width * height <= kMaxPixels; }
};
PixelSize RasterSize(const Layout& layout, double module);

// Draws the layout at `module` pixels per module (1 or more); every edge is
// rounded to the nearest pixel, so wide:narrow ratios that are not whole
// numbers keep their average width.  Throws std::length_error when the
// picture would be larger than kMaxPixels (check RasterSize first).
Raster Rasterize(const Layout& layout, double module);

// A colour of ink or paper; `opaque` false is no colour at all (the paper
// left transparent).
struct Colour {
  uint8_t red = 0, green = 0, blue = 0;
  bool opaque = true;
  bool operator==(const Colour&) const = default;
};
inline constexpr Colour kBlack{0, 0, 0, true};
inline constexpr Colour kWhite{255, 255, 255, true};

// How a picture is written: the colour of the bars and text (ink) and of
// the rest (paper), and for a PNG the resolution it records.
struct Style {
  Colour ink = kBlack;
  Colour paper = kWhite;
  double dpi = 0;  // PNG: pixels per inch, stored in a pHYs chunk; 0 stores none
};

// "#rrggbb" for an opaque colour, "none" for a transparent one.
std::string SvgColour(const Colour& colour);

// The layout as an SVG document at `module` user units per module, black on
// white, with no unit (a browser shows a user unit as one CSS pixel).
std::string SvgDocument(const Layout& layout, double module);

// The layout as an SVG document that prints at its size: width and height in
// millimetres (`module_mm` a module), the viewBox in modules.
std::string SvgDocumentMm(const Layout& layout, double module_mm, const Style& style);

// PNG pixels per metre for a resolution in pixels per inch (the unit of the
// pHYs chunk), rounded.
uint32_t PixelsPerMetre(double dpi);

// Write the picture, whole or not at all: into a new file in the same folder,
// renamed over `path` once complete.  False with a reason in `error` when the
// file cannot be written (then `path` is as it was).  Black on white is
// written as grey-scale; other colours as a two-colour palette, with alpha
// when the paper is transparent.
bool WritePng(const Raster& raster, const std::string& path, std::string& error);
bool WritePng(const Raster& raster, const Style& style, const std::string& path, std::string& error);
bool WriteText(std::string_view text, const std::string& path, std::string& error);

}  // namespace tavo::render
