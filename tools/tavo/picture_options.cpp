// The picture flags of `tavo translate`, and drawing into the files they name.
#include "picture_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <vector>

#include "symbologies/codes.h"
#include "tavo32.h"

namespace tavo::cli {
namespace {

using tavo::render::Colour;

// The sixteen basic colour keywords of CSS (W3C CSS Color Module Level 3,
// 4.1), which SVG readers know by the same names.
struct NamedColour {
  std::string_view name;
  Colour colour;
};
constexpr std::array<NamedColour, 16> kColourNames = {{
    {"black", {0, 0, 0}},       {"silver", {192, 192, 192}}, {"gray", {128, 128, 128}},
    {"white", {255, 255, 255}}, {"maroon", {128, 0, 0}},     {"red", {255, 0, 0}},
    {"purple", {128, 0, 128}},  {"fuchsia", {255, 0, 255}},  {"green", {0, 128, 0}},
    {"lime", {0, 255, 0}},      {"olive", {128, 128, 0}},    {"yellow", {255, 255, 0}},
    {"navy", {0, 0, 128}},      {"blue", {0, 0, 255}},       {"teal", {0, 128, 128}},
    {"aqua", {0, 255, 255}},
}};

// The flags' limits.
constexpr double kMaxModule = 100;   // --module, pixels or user units
constexpr double kMaxHeight = 1000;  // --height, modules
constexpr double kMaxDpi = 10000;
constexpr double kMaxXdimMm = 25.4;  // an inch

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return out;
}

// A positive decimal number, whole or with a fraction.
std::optional<double> ParseNumber(std::string_view text) {
  double v = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || ptr != end || text.empty() || !(v > 0)) return std::nullopt;
  return v;
}

std::optional<std::string_view> Find(std::span<const Flag> flags, std::string_view name) {
  for (const auto& [flag, value] : flags) {
    if (flag == name) return value;
  }
  return std::nullopt;
}

// "#rgb" or "#rrggbb".
std::optional<Colour> ParseHexColour(std::string_view hex) {
  if (hex.size() != 3 && hex.size() != 6) return std::nullopt;
  std::array<uint8_t, 3> rgb{};
  const size_t digits = hex.size() / 3;
  for (size_t i = 0; i < 3; ++i) {
    unsigned v = 0;
    const char* from = hex.data() + i * digits;
    auto [ptr, ec] = std::from_chars(from, from + digits, v, 16);
    if (ec != std::errc() || ptr != from + digits) return std::nullopt;
    rgb[i] = static_cast<uint8_t>(digits == 1 ? v * 17 : v);
  }
  return Colour{rgb[0], rgb[1], rgb[2], true};
}

std::string ColourNames() {
  std::string names;
  for (const NamedColour& c : kColourNames) names += (names.empty() ? "" : ", ") + std::string(c.name);
  return names;
}

// The share of light a colour gives back: its relative luminance, from the
// sRGB transfer function and the Rec. 709 weights (IEC 61966-2-1).
double Luminance(const Colour& c) {
  auto linear = [](uint8_t v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

// Bar code print quality (ISO/IEC 15416 and 15415) grades the symbol
// contrast, the lightest reflectance less the darkest: 40% and above is
// grade C or better, below 20% fails.
constexpr double kLowContrast = 0.40;

// A warning when the bars are not clearly darker than the paper.
void CheckContrast(PictureOptions& p) {
  if (!p.style.paper.opaque) return;
  const double contrast = Luminance(p.style.paper) - Luminance(p.style.ink);
  if (contrast >= kLowContrast) return;
  char buf[200];
  std::snprintf(buf, sizeof buf,
                "warning: the bars are %s the paper (symbol contrast %.0f%%); scanners want dark "
                "bars on light paper, at least 40%% apart",
                contrast <= 0 ? "no darker than" : "little darker than", contrast * 100);
  p.warnings.push_back(buf);
}

// --fg and --bg into `p.style`; false with the reason in `error`.
bool ReadColours(std::span<const Flag> flags, PictureOptions& p, std::string& error) {
  for (const auto& [name, none_allowed, colour] :
       {std::tuple{"--fg", false, &p.style.ink}, std::tuple{"--bg", true, &p.style.paper}}) {
    const auto text = Find(flags, name);
    if (!text) continue;
    const auto parsed = ParseColour(*text, none_allowed);
    if (!parsed) {
      error = std::string("unknown colour '") + std::string(*text) + "' for " + name + ": give #rrggbb, #rgb" +
              (none_allowed ? ", none" : "") + " or one of " + ColourNames();
      return false;
    }
    *colour = *parsed;
  }
  return true;
}

// --module, --xdim and --dpi into the module sizes; false with the reason in
// `error`.
bool ReadModuleSize(std::span<const Flag> flags, PictureOptions& p, std::string& error) {
  const auto module = Find(flags, "--module");
  const auto xdim = Find(flags, "--xdim");
  const auto dpi = Find(flags, "--dpi");
  if (module && xdim) {
    error = "--module and --xdim both set the module size; give one of them";
    return false;
  }
  if (dpi) {
    const auto d = ParseNumber(*dpi);
    if (!d || *d > kMaxDpi) {
      error = "--dpi takes a resolution above 0 and up to 10000 pixels per inch, not '" + std::string(*dpi) + "'";
      return false;
    }
    p.style.dpi = *d;
  }
  if (module) {
    const auto m = ParseNumber(*module);
    if (!m || *m > kMaxModule || (!p.png_path.empty() && *m < 1)) {
      error = "--module takes a size above 0 and up to 100 (a PNG needs at least 1 pixel), not '" +
              std::string(*module) + "'";
      return false;
    }
    p.module_px = *m;
    p.module_mm = *m * kMmPerUserUnit;
  }
  if (!xdim) return true;
  const auto mm = ParseLength(*xdim);
  if (!mm || *mm > kMaxXdimMm) {
    error = "--xdim takes a size in mm or mil up to 25.4mm (0.33mm, 13mil), not '" + std::string(*xdim) + "'";
    return false;
  }
  if (!p.png_path.empty() && p.style.dpi == 0) {
    error = "--xdim needs --dpi to size a PNG in pixels";
    return false;
  }
  p.module_mm = *mm;
  return true;
}

// The PNG module for --xdim at --dpi: whole pixels, at least one, with a
// warning when that is more than 5% off the size asked for.
void RoundPngModule(PictureOptions& p, bool xdim) {
  if (!xdim || p.png_path.empty()) return;
  const double exact = p.module_mm / 25.4 * p.style.dpi;
  p.module_px = std::max(1.0, std::round(exact));
  const double off = p.module_px / exact - 1;
  if (std::abs(off) > kRoundingWarning) {
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "warning: at %g dpi a module of %g mm is %.2f pixels; the PNG draws %g (%.3f mm, %+.1f%%)",
                  p.style.dpi, p.module_mm, exact, p.module_px, p.module_px / p.style.dpi * 25.4, off * 100);
    p.warnings.push_back(buf);
  }
}

// --height, --ratio and --caption; false with the reason in `error`.
bool ReadSymbolOptions(std::span<const Flag> flags, PictureOptions& p, std::string& error) {
  if (const auto height = Find(flags, "--height")) {
    const auto h = ParseNumber(*height);
    if (!h || *h > kMaxHeight) {
      error = "--height takes a number of modules above 0 and up to 1000, not '" + std::string(*height) + "'";
      return false;
    }
    p.height = *h;
  }
  if (const auto ratio = Find(flags, "--ratio")) {
    const auto r = ParseNumber(*ratio);
    if (!r || *r < 2 || *r > 3) {
      error = "--ratio takes a number from 2 to 3, not '" + std::string(*ratio) + "'";
      return false;
    }
    p.model.wide_ratio = *r;
  }
  p.model.caption = Find(flags, "--caption").has_value();
  return true;
}

// The human-readable text of a GS1-128 value, "(01)09501101530003...".
std::optional<std::string> Gs1Text(std::string_view value) {
  std::string text(value.size() + 64, '\0');
  std::string terminated(value);
  int32_t len = 0;
  const int32_t rc =
      BC_GS1HumanReadable(terminated.c_str(), text.data(), static_cast<int32_t>(text.size()), &len);
  if (rc != 0) return std::nullopt;
  text.resize(static_cast<size_t>(len));
  return text;
}

}  // namespace

std::optional<Colour> ParseColour(std::string_view text, bool none_allowed) {
  const std::string lower = Lower(text);
  if (lower == "none") return none_allowed ? std::optional(Colour{255, 255, 255, false}) : std::nullopt;
  if (lower.starts_with('#')) return ParseHexColour(std::string_view(lower).substr(1));
  for (const NamedColour& c : kColourNames) {
    if (lower == c.name) return c.colour;
  }
  return std::nullopt;
}

std::optional<double> ParseLength(std::string_view typed) {
  const std::string text = Lower(typed);
  constexpr std::array<std::pair<std::string_view, double>, 2> kUnits = {{{"mm", 1}, {"mil", 0.0254}}};
  for (const auto& [unit, mm] : kUnits) {
    if (text.size() > unit.size() && text.ends_with(unit)) {
      const auto v = ParseNumber(std::string_view(text).substr(0, text.size() - unit.size()));
      if (v) return *v * mm;
    }
  }
  return std::nullopt;
}

std::optional<PictureOptions> ParsePictureOptions(std::span<const Flag> flags, std::string& error) {
  PictureOptions p;
  p.svg_path = std::string(Find(flags, "--svg").value_or(""));
  p.png_path = std::string(Find(flags, "--png").value_or(""));
  if (!ReadModuleSize(flags, p, error) || !ReadColours(flags, p, error) ||
      !ReadSymbolOptions(flags, p, error)) {
    return std::nullopt;
  }
  RoundPngModule(p, Find(flags, "--xdim").has_value());
  CheckContrast(p);
  return p;
}

int WritePictures(int32_t symbology, std::string_view value, std::string_view font_string,
                  const PictureOptions& p) {
  tavo::model::Symbol symbol;
  tavo::model::ModelError error;
  if (!tavo::model::BuildSymbol(symbology, font_string, p.model, symbol, error)) {
    std::fprintf(stderr, "tavo: cannot draw byte %zu of the font string: %s\n", error.byte_index,
                 error.reason.c_str());
    return 1;
  }
  if (symbology == tavo::symbology::kGs1_128 && p.model.caption) {
    // GS1 human-readable text, with its parentheses, under the whole symbol
    // in place of the caption font's digits.
    const auto text = Gs1Text(value);
    if (!text) {
      std::fputs("tavo: the GS1 human-readable text of the value cannot be made\n", stderr);
      return 1;
    }
    symbol.captions = {{*text, symbol.Width() / 2, true}};
  }
  const tavo::render::Layout layout = tavo::render::LayOut(symbol, p.height, true);
  const double module_px = p.module_px > 0       ? p.module_px
                           : !symbol.grid.empty() ? kDefaultMatrixModulePx
                                                  : kDefaultLinearModulePx;
  const tavo::render::PixelSize size = tavo::render::RasterSize(layout, module_px);
  if (!p.png_path.empty() && !size.Drawable()) {
    std::fprintf(stderr,
                 "tavo: the picture would be %.0f x %.0f pixels; at most %.0f million are drawn "
                 "(lower --module, --xdim, --dpi or --height)\n",
                 size.width, size.height, tavo::render::kMaxPixels / 1e6);
    return 2;
  }
  for (const std::string& warning : p.warnings) std::fprintf(stderr, "tavo: %s\n", warning.c_str());
  std::string why;
  if (!p.svg_path.empty() &&
      !tavo::render::WriteText(tavo::render::SvgDocumentMm(layout, p.module_mm, p.style), p.svg_path, why)) {
    std::fprintf(stderr, "tavo: %s\n", why.c_str());
    return 1;
  }
  if (!p.png_path.empty() &&
      !tavo::render::WritePng(tavo::render::Rasterize(layout, module_px), p.style, p.png_path, why)) {
    std::fprintf(stderr, "tavo: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

}  // namespace tavo::cli
