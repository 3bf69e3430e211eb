// Pictures of a symbol: layout in modules, then SVG or a grey-scale PNG.
#include "render.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>

namespace tavo::render {
namespace {

using model::BarHeight;

constexpr double kMargin = 2;         // white above the bars and below everything
constexpr double kGuardDescent = 5;   // guard bars reach this far below the ordinary bars
constexpr double kTextGap = 1;        // between the ordinary bars and the caption cells
constexpr double kShortBarShare = 0.4;  // a PostNet short bar, as a share of a tall bar

// Caption glyphs for ASCII 32..126: five columns each, bit 0 the top row of
// seven.  Other bytes draw as a blank cell.
constexpr std::array<std::array<uint8_t, 5>, 95> kGlyphs = {{
    {0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x5F, 0x00, 0x00}, {0x00, 0x07, 0x00, 0x07, 0x00},
    {0x14, 0x7F, 0x14, 0x7F, 0x14}, {0x24, 0x2A, 0x7F, 0x2A, 0x12}, {0x23, 0x13, 0x08, 0x64, 0x62},
    {0x36, 0x49, 0x55, 0x22, 0x50}, {0x00, 0x05, 0x03, 0x00, 0x00}, {0x00, 0x1C, 0x22, 0x41, 0x00},
    {0x00, 0x41, 0x22, 0x1C, 0x00}, {0x14, 0x08, 0x3E, 0x08, 0x14}, {0x08, 0x08, 0x3E, 0x08, 0x08},
    {0x00, 0x50, 0x30, 0x00, 0x00}, {0x08, 0x08, 0x08, 0x08, 0x08}, {0x00, 0x60, 0x60, 0x00, 0x00},
    {0x20, 0x10, 0x08, 0x04, 0x02},  // '/'
    {0x3E, 0x51, 0x49, 0x45, 0x3E}, {0x00, 0x42, 0x7F, 0x40, 0x00}, {0x42, 0x61, 0x51, 0x49, 0x46},
    {0x21, 0x41, 0x45, 0x4B, 0x31}, {0x18, 0x14, 0x12, 0x7F, 0x10}, {0x27, 0x45, 0x45, 0x45, 0x39},
    {0x3C, 0x4A, 0x49, 0x49, 0x30}, {0x01, 0x71, 0x09, 0x05, 0x03}, {0x36, 0x49, 0x49, 0x49, 0x36},
    {0x06, 0x49, 0x49, 0x29, 0x1E},  // '9'
    {0x00, 0x36, 0x36, 0x00, 0x00}, {0x00, 0x56, 0x36, 0x00, 0x00}, {0x08, 0x14, 0x22, 0x41, 0x00},
    {0x14, 0x14, 0x14, 0x14, 0x14}, {0x00, 0x41, 0x22, 0x14, 0x08}, {0x02, 0x01, 0x51, 0x09, 0x06},
    {0x32, 0x49, 0x79, 0x41, 0x3E},  // '@'
    {0x7E, 0x11, 0x11, 0x11, 0x7E}, {0x7F, 0x49, 0x49, 0x49, 0x36}, {0x3E, 0x41, 0x41, 0x41, 0x22},
    {0x7F, 0x41, 0x41, 0x22, 0x1C}, {0x7F, 0x49, 0x49, 0x49, 0x41}, {0x7F, 0x09, 0x09, 0x09, 0x01},
    {0x3E, 0x41, 0x49, 0x49, 0x7A}, {0x7F, 0x08, 0x08, 0x08, 0x7F}, {0x00, 0x41, 0x7F, 0x41, 0x00},
    {0x20, 0x40, 0x41, 0x3F, 0x01}, {0x7F, 0x08, 0x14, 0x22, 0x41}, {0x7F, 0x40, 0x40, 0x40, 0x40},
    {0x7F, 0x02, 0x0C, 0x02, 0x7F}, {0x7F, 0x04, 0x08, 0x10, 0x7F}, {0x3E, 0x41, 0x41, 0x41, 0x3E},
    {0x7F, 0x09, 0x09, 0x09, 0x06}, {0x3E, 0x41, 0x51, 0x21, 0x5E}, {0x7F, 0x09, 0x19, 0x29, 0x46},
    {0x46, 0x49, 0x49, 0x49, 0x31}, {0x01, 0x01, 0x7F, 0x01, 0x01}, {0x3F, 0x40, 0x40, 0x40, 0x3F},
    {0x1F, 0x20, 0x40, 0x20, 0x1F}, {0x3F, 0x40, 0x38, 0x40, 0x3F}, {0x63, 0x14, 0x08, 0x14, 0x63},
    {0x07, 0x08, 0x70, 0x08, 0x07}, {0x61, 0x51, 0x49, 0x45, 0x43},  // 'Z'
    {0x00, 0x7F, 0x41, 0x41, 0x00}, {0x02, 0x04, 0x08, 0x10, 0x20}, {0x00, 0x41, 0x41, 0x7F, 0x00},
    {0x04, 0x02, 0x01, 0x02, 0x04}, {0x40, 0x40, 0x40, 0x40, 0x40}, {0x00, 0x01, 0x02, 0x04, 0x00},
    {0x20, 0x54, 0x54, 0x54, 0x78}, {0x7F, 0x48, 0x44, 0x44, 0x38}, {0x38, 0x44, 0x44, 0x44, 0x20},
    {0x38, 0x44, 0x44, 0x48, 0x7F}, {0x38, 0x54, 0x54, 0x54, 0x18}, {0x08, 0x7E, 0x09, 0x01, 0x02},
    {0x0C, 0x52, 0x52, 0x52, 0x3E}, {0x7F, 0x08, 0x04, 0x04, 0x78}, {0x00, 0x44, 0x7D, 0x40, 0x00},
    {0x20, 0x40, 0x44, 0x3D, 0x00}, {0x7F, 0x10, 0x28, 0x44, 0x00}, {0x00, 0x41, 0x7F, 0x40, 0x00},
    {0x7C, 0x04, 0x18, 0x04, 0x78}, {0x7C, 0x08, 0x04, 0x04, 0x78}, {0x38, 0x44, 0x44, 0x44, 0x38},
    {0x7C, 0x14, 0x14, 0x14, 0x08}, {0x08, 0x14, 0x14, 0x18, 0x7C}, {0x7C, 0x08, 0x04, 0x04, 0x08},
    {0x48, 0x54, 0x54, 0x54, 0x20}, {0x04, 0x3F, 0x44, 0x40, 0x20}, {0x3C, 0x40, 0x40, 0x20, 0x7C},
    {0x1C, 0x20, 0x40, 0x20, 0x1C}, {0x3C, 0x40, 0x30, 0x40, 0x3C}, {0x44, 0x28, 0x10, 0x28, 0x44},
    {0x0C, 0x50, 0x50, 0x50, 0x3C}, {0x44, 0x64, 0x54, 0x4C, 0x44},  // 'z'
    {0x00, 0x08, 0x36, 0x41, 0x00}, {0x00, 0x00, 0x7F, 0x00, 0x00}, {0x00, 0x41, 0x36, 0x08, 0x00},
    {0x08, 0x04, 0x08, 0x10, 0x08},  // '~'
}};
static_assert(kGlyphs.size() == 127 - 32);

bool Drawable(char c) { return c >= 32 && c <= 126; }

double TextWidth(const std::string& text) {
  return text.empty() ? 0 : static_cast<double>(text.size()) * kGlyphPitch - 1;
}

bool HasShortBars(const model::Symbol& symbol) {
  return std::any_of(symbol.elements.begin(), symbol.elements.end(),
                     [](const model::Element& e) { return e.bar && e.height == BarHeight::kHalf; });
}

// Intelligent Mail's four bar heights.
bool HasTrackers(const model::Symbol& symbol) {
  return std::any_of(symbol.elements.begin(), symbol.elements.end(),
                     [](const model::Element& e) { return e.bar && e.height == BarHeight::kTracker; });
}

bool HasGuards(const model::Symbol& symbol) {
  return std::any_of(symbol.elements.begin(), symbol.elements.end(),
                     [](const model::Element& e) { return e.bar && e.height == BarHeight::kGuard; });
}

// One bar, `x` modules from the symbol's first bar: guard bars reach below
// the others, short bars stand on the same line as the tall ones, vertical
// bearers reach through the bearer bars `bearer` thick above and below.
Rect BarRect(const model::Element& e, double x, double top, double height, double bearer) {
  switch (e.height) {
    case BarHeight::kFrame:
      return {x, top - bearer, e.width, height + 2 * bearer};
    case BarHeight::kGuard:
      return {x, top, e.width, height + kGuardDescent};
    case BarHeight::kHalf:
      return {x, top + height * (1 - kShortBarShare), e.width, height * kShortBarShare};
    case BarHeight::kTracker:
      return {x, top + height * (1 - model::kImbTrackerTop), e.width,
              height * (model::kImbTrackerTop - model::kImbTrackerBottom)};
    case BarHeight::kAscender:
      return {x, top, e.width, height * (1 - model::kImbTrackerBottom)};
    case BarHeight::kDescender:
      return {x, top + height * (1 - model::kImbTrackerTop), e.width, height * model::kImbTrackerTop};
    case BarHeight::kFull:
      break;
  }
  return {x, top, e.width, height};
}

// Edge of a module coordinate, in whole pixels.
int Px(double modules, double module) { return static_cast<int>(std::lround(modules * module)); }

void Fill(Raster& r, const Rect& rect, double module) {
  int x0 = std::clamp(Px(rect.x, module), 0, r.width);
  int x1 = std::clamp(Px(rect.x + rect.w, module), 0, r.width);
  int y0 = std::clamp(Px(rect.y, module), 0, r.height);
  int y1 = std::clamp(Px(rect.y + rect.h, module), 0, r.height);
  for (int y = y0; y < y1; ++y) {
    std::fill_n(r.pixels.begin() + static_cast<ptrdiff_t>(y) * r.width + x0, std::max(0, x1 - x0), 0);
  }
}

void DrawText(Raster& r, const TextLine& line, double module) {
  double left = line.x - TextWidth(line.text) / 2;
  for (size_t i = 0; i < line.text.size(); ++i) {
    char c = line.text[i];
    if (!Drawable(c)) continue;
    const auto& columns = kGlyphs[static_cast<size_t>(c - 32)];
    for (int col = 0; col < 5; ++col) {
      for (int row = 0; row < 7; ++row) {
        if (columns[static_cast<size_t>(col)] >> row & 1) {
          Fill(r, {left + static_cast<double>(i) * kGlyphPitch + col, line.top + row, 1, 1}, module);
        }
      }
    }
  }
}

// A coordinate for SVG: at most four decimals, no trailing zeros.
std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s = buf;
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else out += Drawable(c) ? c : ' ';
  }
  return out;
}

}  // namespace

namespace {

// A two-dimensional symbol: one rectangle per run of dark modules in a row,
// inside its quiet zone; no captions.
Layout LayOutGrid(const model::Symbol& symbol) {
  const model::ModuleGrid& g = symbol.grid;
  const double q = symbol.quiet_left;
  Layout layout;
  for (int32_t y = 0; y < g.height; ++y) {
    for (int32_t x = 0; x < g.width;) {
      if (!g.at(x, y)) {
        ++x;
        continue;
      }
      int32_t end = x;
      while (end < g.width && g.at(end, y)) ++end;
      layout.bars.push_back({q + x, q + y, static_cast<double>(end - x), 1});
      x = end;
    }
  }
  layout.width = g.width + 2 * q;
  layout.height = g.height + 2 * q;
  return layout;
}

}  // namespace

Layout LayOut(const model::Symbol& symbol, double bar_height, bool captions) {
  if (!symbol.grid.empty()) return LayOutGrid(symbol);
  double height = bar_height > 0 ? bar_height
                  : HasShortBars(symbol) ? kDefaultPostalHeight
                  : HasTrackers(symbol)  ? kDefaultImbHeight
                                         : kDefaultHeight;
  bool texts = captions && !symbol.captions.empty();
  // The quiet zones, widened where a caption reaches beyond them.
  double width = symbol.Width();
  double left = symbol.quiet_left;
  double right = symbol.quiet_right;
  if (texts) {
    for (const model::Caption& c : symbol.captions) {
      double half = TextWidth(c.text) / 2;
      left = std::max(left, half - c.x + 1);
      right = std::max(right, c.x + half + 1 - width);
    }
  }
  Layout layout;
  // Bearer bars (ITF-14) frame the bars above and below.
  const double bearer = symbol.bearer;
  const double top = kMargin + bearer;
  if (bearer > 0) {
    layout.bars.push_back({left, kMargin, width, bearer});
    layout.bars.push_back({left, top + height, width, bearer});
  }
  double x = left;
  for (const model::Element& e : symbol.elements) {
    if (e.bar) layout.bars.push_back(BarRect(e, x, top, height, bearer));
    x += e.width;
  }
  double below = HasGuards(symbol) ? kGuardDescent : bearer;
  if (texts) {
    // Every caption on one line under the ordinary bars (and the bearer);
    // those beside the bars stand on the same line, left or right of the guards.
    for (const model::Caption& c : symbol.captions) {
      layout.texts.push_back({c.text, left + c.x, top + height + bearer + kTextGap});
    }
    below = std::max(below, bearer + kTextGap + kGlyphHeight);
  }
  layout.width = std::max(1.0, left + width + right);
  layout.height = top + height + below + kMargin;
  return layout;
}

PixelSize RasterSize(const Layout& layout, double module) {
  return {std::max(1.0, std::round(layout.width * module)),
          std::max(1.0, std::round(layout.height * module))};
}

Raster Rasterize(const Layout& layout, double module) {
  const PixelSize size = RasterSize(layout, module);
  if (!size.Drawable()) throw std::length_error("picture larger than kMaxPixels");
  Raster r;
  r.width = static_cast<int>(size.width);
  r.height = static_cast<int>(size.height);
  r.pixels.assign(static_cast<size_t>(r.width) * static_cast<size_t>(r.height), 255);
  for (const Rect& bar : layout.bars) Fill(r, bar, module);
  for (const TextLine& line : layout.texts) DrawText(r, line, module);
  return r;
}

std::string SvgColour(const Colour& colour) {
  if (!colour.opaque) return "none";
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return buf;
}

namespace {

// The SVG document of `layout`, its size given as `width` and `height` (a
// number and a unit), its viewBox in modules.
std::string Svg(const Layout& layout, const std::string& width, const std::string& height,
                const Style& style) {
  const std::string ink = SvgColour(style.ink);
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
         "\" viewBox=\"0 0 " + Num(layout.width) + " " + Num(layout.height) + "\">\n";
  if (style.paper.opaque) {
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"" + SvgColour(style.paper) + "\"/>\n";
  }
  svg += "<g fill=\"" + ink + "\">\n";
  for (const Rect& b : layout.bars) {
    svg += "<rect x=\"" + Num(b.x) + "\" y=\"" + Num(b.y) + "\" width=\"" + Num(b.w) +
           "\" height=\"" + Num(b.h) + "\"/>\n";
  }
  svg += "</g>\n";
  if (!layout.texts.empty()) {
    // A monospace face 10 modules high advances about 6 modules a glyph, the
    // pitch of the PNG's bitmap glyphs.
    svg += "<g font-family=\"monospace\" font-size=\"10\" text-anchor=\"middle\" fill=\"" + ink +
           "\" xml:space=\"preserve\">\n";
    for (const TextLine& t : layout.texts) {
      svg += "<text x=\"" + Num(t.x) + "\" y=\"" + Num(t.top + kGlyphHeight) + "\">" +
             XmlText(t.text) + "</text>\n";
    }
    svg += "</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

}  // namespace

std::string SvgDocument(const Layout& layout, double module) {
  return Svg(layout, Num(layout.width * module), Num(layout.height * module), Style{});
}

std::string SvgDocumentMm(const Layout& layout, double module_mm, const Style& style) {
  return Svg(layout, Num(layout.width * module_mm) + "mm", Num(layout.height * module_mm) + "mm", style);
}

namespace {

// A new file beside `path` (same folder, so renaming it over `path` stays on
// one file system), created with the usual permissions; null when none can be
// made.
std::FILE* CreateBeside(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (std::FILE* file = fdopen(fd, "wb")) return file;
      close(fd);
      std::remove(temp.c_str());
      return nullptr;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// What a write to `path` replaces: the file a symbolic link leads to, or
// `path` itself; empty for what is no regular file (a device, a pipe,
// /dev/stdout), which is written in place.
std::string RegularTarget(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  const bool special = path.starts_with("/dev/") || path.starts_with("/proc/") ||
                       (!ec && std::filesystem::exists(status) &&
                        !std::filesystem::is_regular_file(status));
  if (special) return {};
  if (!std::filesystem::is_symlink(path, ec)) return path;
  const std::filesystem::path target = std::filesystem::canonical(path, ec);
  return ec ? path : target.string();
}

// A device or a pipe: written as it stands, since nothing can be renamed over
// it.
bool WriteInPlace(const std::string& path, const std::function<bool(std::FILE*, std::string&)>& write,
                  std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool written = false;
  try {
    written = write(file, error);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = "cannot write " + path + ": " + std::strerror(errno);
  }
  return written;
}

// Runs `write` on a new file beside `path` and renames it over `path` when
// everything was written; the new file is removed on any failure, an
// exception included.
bool WriteWhole(const std::string& path, const std::function<bool(std::FILE*, std::string&)>& write,
                std::string& error) {
  const std::string target = RegularTarget(path);
  if (target.empty()) return WriteInPlace(path, write, error);
  std::string temp;
  std::FILE* file = CreateBeside(target, temp);
  if (file == nullptr) {
    error = "cannot create a file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  bool written = false;
  try {
    written = write(file, error);
  } catch (...) {
    std::fclose(file);
    std::remove(temp.c_str());
    throw;
  }
  if (std::fclose(file) != 0 && written) {
    written = false;
    error = "cannot write " + path + ": " + std::strerror(errno);
  }
  if (written && std::rename(temp.c_str(), target.c_str()) != 0) {
    written = false;
    error = "cannot write " + path + ": " + std::strerror(errno);
  }
  if (!written) std::remove(temp.c_str());
  return written;
}

}  // namespace

namespace {

// Encodes the raster as a PNG in memory: grey-scale for black on white (as
// drawn), otherwise a palette of ink (index 0) and paper (index 1).
bool EncodePng(const Raster& raster, const Style& style, std::vector<uint8_t>& png, std::string& why) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(raster.width);
  image.height = static_cast<png_uint_32>(raster.height);
  image.format = PNG_FORMAT_GRAY;
  const void* pixels = raster.pixels.data();
  std::vector<uint8_t> indices;
  std::vector<uint8_t> colormap;
  if (!(style.ink == kBlack && style.paper == kWhite)) {
    const bool alpha = !style.ink.opaque || !style.paper.opaque;
    image.format = alpha ? PNG_FORMAT_RGBA_COLORMAP : PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 2;
    for (const Colour& c : {style.ink, style.paper}) {
      colormap.insert(colormap.end(), {c.red, c.green, c.blue});
      if (alpha) colormap.push_back(c.opaque ? 255 : 0);
    }
    indices.resize(raster.pixels.size());
    std::transform(raster.pixels.begin(), raster.pixels.end(), indices.begin(),
                   [](uint8_t p) { return static_cast<uint8_t>(p == 0 ? 0 : 1); });
    pixels = indices.data();
  }
  png_alloc_size_t size = 0;
  const void* map = colormap.empty() ? nullptr : colormap.data();
  if (png_image_write_get_memory_size(image, size, 0, pixels, 0, map)) {
    png.resize(size);
    if (png_image_write_to_memory(&image, png.data(), &size, 0, pixels, 0, map)) {
      png.resize(size);
      return true;
    }
  }
  why = std::string("cannot encode the PNG: ") + image.message;
  png_image_free(&image);
  return false;
}

void PutBigEndian(uint32_t v, uint8_t* at) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// Adds a pHYs chunk (PNG, ISO/IEC 15948, 11.3.5.3: pixels
// per unit across, pixels per unit down, unit 1 = the metre) right after
// IHDR, which comes first in every PNG and must be followed by pHYs before
// any IDAT.
void AddResolution(std::vector<uint8_t>& png, double dpi) {
  constexpr size_t kAfterIhdr = 8 + 4 + 4 + 13 + 4;  // signature; length, type, data, CRC
  if (png.size() < kAfterIhdr || std::memcmp(png.data() + 12, "IHDR", 4) != 0) {
    throw std::logic_error("the PNG encoder wrote no IHDR first");
  }
  std::array<uint8_t, 4 + 4 + 9 + 4> chunk{};
  PutBigEndian(9, chunk.data());
  std::memcpy(chunk.data() + 4, "pHYs", 4);
  PutBigEndian(PixelsPerMetre(dpi), chunk.data() + 8);
  PutBigEndian(PixelsPerMetre(dpi), chunk.data() + 12);
  chunk[16] = 1;
  PutBigEndian(static_cast<uint32_t>(crc32(0, chunk.data() + 4, 4 + 9)), chunk.data() + 17);
  png.insert(png.begin() + kAfterIhdr, chunk.begin(), chunk.end());
}

}  // namespace

uint32_t PixelsPerMetre(double dpi) { return static_cast<uint32_t>(std::lround(dpi / 0.0254)); }

bool WritePng(const Raster& raster, const std::string& path, std::string& error) {
  return WritePng(raster, Style{}, path, error);
}

bool WritePng(const Raster& raster, const Style& style, const std::string& path, std::string& error) {
  std::vector<uint8_t> png;
  if (!EncodePng(raster, style, png, error)) {
    error = path + ": " + error;
    return false;
  }
  if (style.dpi > 0) AddResolution(png, style.dpi);
  return WriteText(std::string_view(reinterpret_cast<const char*>(png.data()), png.size()), path, error);
}

bool WriteText(std::string_view text, const std::string& path, std::string& error) {
  return WriteWhole(path, [&](std::FILE* file, std::string& why) {
    if (std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0) {
      return true;
    }
    why = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }, error);
}

}  // namespace tavo::render
