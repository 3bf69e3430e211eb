// The picture flags of `tavo translate` (--svg, --png and how they are
// drawn), and the drawing of a translated value into those files.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render.h"
#include "tavo_model.h"

namespace tavo::cli {

// A flag as typed and its value ("" for a flag that takes none).
using Flag = std::pair<std::string_view, std::string_view>;

// The default module of a PNG in pixels: 2 for the linear and postal
// symbols, 8 for the two-dimensional ones, whose modules a phone camera must
// tell apart on a screen.
inline constexpr double kDefaultLinearModulePx = 2;
inline constexpr double kDefaultMatrixModulePx = 8;

// An SVG user unit, as browsers show it: a CSS pixel, 1/96 inch.
inline constexpr double kMmPerUserUnit = 25.4 / 96;

// A module whose rounding to whole pixels changes it by more than this share
// gets a warning.
inline constexpr double kRoundingWarning = 0.05;

// How the pictures of `translate` are drawn.
struct PictureOptions {
  tavo::model::ModelOptions model;
  std::string svg_path;  // empty: no SVG
  std::string png_path;  // empty: no PNG
  double module_px = 0;  // PNG pixels a module; 0: the default of the symbology
  double module_mm = kMmPerUserUnit;  // SVG millimetres a module
  double height = 0;     // bar height in modules; 0: the default of the symbology
  tavo::render::Style style;
  std::vector<std::string> warnings;  // for stderr: a module rounded by more than 5%, a low contrast
};

// Reads --svg, --png, --module, --xdim, --dpi, --fg, --bg, --height, --ratio
// and --caption from `flags`.  Returns nullopt with the reason in `error`
// (a usage error) when one of them is malformed or they contradict.
std::optional<PictureOptions> ParsePictureOptions(std::span<const Flag> flags, std::string& error);

// A colour as "#rrggbb", "#rgb" or a name (black, white, red ...), in any
// case; "none" (transparent) only when `none_allowed`.  nullopt otherwise.
std::optional<tavo::render::Colour> ParseColour(std::string_view text, bool none_allowed);

// A length in millimetres from "0.33mm" or "13mil" (a thousandth of an
// inch), units in any case; nullopt without one of those units or for a
// length that is not above 0.
std::optional<double> ParseLength(std::string_view text);

// Draws `font_string`, the translation of `value`, into the files the
// options name.  A GS1-128 picture with --caption is captioned with the
// value's human-readable text (BC_GS1HumanReadable).  Returns the exit
// status: 0, 1 when a file cannot be written or the string not drawn, 2 when
// the PNG would be too large; messages go to stderr.
int WritePictures(int32_t symbology, std::string_view value, std::string_view font_string,
                  const PictureOptions& options);

}  // namespace tavo::cli
