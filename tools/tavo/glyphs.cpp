// tavo glyphs: the model's glyphs of one bar code font as JSON.
//
//   {"symbology": 1, "wide_ratio": 3, "caption": true, "glyphs": [
//    {"code": 65, "name": "A", "advance": 16,
//     "bars": [{"x": 0, "width": 3, "height": "full"}, ...],
//     "captions": [{"text": "A", "x": 7.5, "below": true}]},
//    ...]}
//
// Lengths are in modules (the narrow element is 1); bars are measured from
// the glyph's left edge, captions are centred on their x.
#include "glyphs.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli.h"

namespace {

namespace m = tavo::model;

// The shortest decimal that reads back as `v`.
std::string Number(double v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : "0";
}

// A JSON string: quotes, backslashes and control bytes escaped; other bytes
// above 127 as \u00XX so the output stays ASCII.
std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    }
  }
  return out + "\"";
}

const char* HeightName(m::BarHeight h) {
  switch (h) {
    case m::BarHeight::kGuard: return "guard";
    case m::BarHeight::kHalf: return "half";
    case m::BarHeight::kTracker: return "tracker";
    case m::BarHeight::kAscender: return "ascender";
    case m::BarHeight::kDescender: return "descender";
    case m::BarHeight::kFrame: return "frame";
    case m::BarHeight::kFull: break;
  }
  return "full";
}

std::string Bars(const m::FontGlyph& g) {
  std::string out;
  double x = 0;
  for (const m::Element& e : g.elements) {
    if (e.bar) {
      out += std::string(out.empty() ? "" : ", ") + "{\"x\": " + Number(x) + ", \"width\": " + Number(e.width) +
             ", \"height\": \"" + HeightName(e.height) + "\"}";
    }
    x += e.width;
  }
  return out;
}

// A 2D block glyph's dark modules as [x, y], y down from the top.
std::string Modules(const m::FontGlyph& g) {
  std::string out;
  for (int32_t y = 0; y < g.modules.height; ++y) {
    for (int32_t x = 0; x < g.modules.width; ++x) {
      if (g.modules.at(x, y)) {
        out += std::string(out.empty() ? "" : ", ") + "[" + std::to_string(x) + ", " + std::to_string(y) + "]";
      }
    }
  }
  return out;
}

std::string Captions(const m::FontGlyph& g) {
  std::string out;
  for (const m::Caption& c : g.captions) {
    out += std::string(out.empty() ? "" : ", ") + "{\"text\": " + Quoted(c.text) + ", \"x\": " + Number(c.x) +
           ", \"below\": " + (c.below ? "true" : "false") + "}";
  }
  return out;
}

}  // namespace

int RunGlyphs(int32_t symbology, const m::ModelOptions& options) {
  if (tavo::cli::SymbologyName(symbology).empty()) {
    std::fprintf(stderr, "tavo: symbology %d has no font (tavo list names the codes)\n", symbology);
    return 2;
  }
  const std::vector<m::FontGlyph> glyphs = m::FontGlyphs(symbology, options);
  std::printf("{\"symbology\": %d, \"wide_ratio\": %s, \"caption\": %s, \"glyphs\": [\n", symbology,
              Number(options.wide_ratio).c_str(), options.caption ? "true" : "false");
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const m::FontGlyph& g = glyphs[i];
    const std::string modules = g.modules.empty() ? "" : ", \"modules\": [" + Modules(g) + "]";
    const std::string bearer = g.bearer > 0 ? ", \"bearer\": " + Number(g.bearer) : "";
    std::printf(" {\"code\": %d, \"name\": %s, \"advance\": %s, \"bars\": [%s], \"captions\": [%s]%s%s}%s\n",
                g.code, Quoted(g.name).c_str(), Number(g.advance).c_str(), Bars(g).c_str(), Captions(g).c_str(),
                modules.c_str(), bearer.c_str(), i + 1 < glyphs.size() ? "," : "");
  }
  std::printf("]}\n");
  return 0;
}
