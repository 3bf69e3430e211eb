// The picture entry point of the WebAssembly module (not part of the
// library's ABI): a font string drawn as SVG by the symbol model and render/,
// as `tavo translate --svg` draws it.  toSVG() in web/package/tavo32.js
// translates first, then passes the font string here.
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "render.h"
#include "tavo_model.h"

namespace {

// Status codes of TAVO_WebSvg (the library's own codes where one fits).
constexpr int32_t kOk = 0;
constexpr int32_t kTooLong = 32510;      // BC_FONT_ERR_TOO_MANY_CHARACTERS: *len is the room needed
constexpr int32_t kOutOfMemory = 32529;  // as everywhere at the boundary
constexpr int32_t kCannotDraw = -1;      // the model cannot read the font string; *len is the byte

int32_t DrawSvg(int32_t symbology, std::string_view font_string, const tavo::model::ModelOptions& model,
                std::string_view caption_text, double bar_height, double module, char* buf, int32_t cap,
                int32_t* len) {
  tavo::model::Symbol symbol;
  tavo::model::ModelError error;
  if (!tavo::model::BuildSymbol(symbology, font_string, model, symbol, error)) {
    *len = static_cast<int32_t>(error.byte_index);
    return kCannotDraw;
  }
  // A GS1-128 caption is the human-readable text with its parentheses, once
  // under the whole symbol, as `tavo translate --svg --caption` draws it.
  if (model.caption && !caption_text.empty()) symbol.captions = {{std::string(caption_text), symbol.Width() / 2, true}};
  const std::string svg = tavo::render::SvgDocument(tavo::render::LayOut(symbol, bar_height, true), module);
  if (svg.size() > static_cast<size_t>(cap)) {
    *len = svg.size() > INT32_MAX ? INT32_MAX : static_cast<int32_t>(svg.size());
    return kTooLong;
  }
  std::memcpy(buf, svg.data(), svg.size());
  *len = static_cast<int32_t>(svg.size());
  return kOk;
}

}  // namespace

// Draws `font_string` (`size` bytes) of `symbology`: `module` user units a
// module, bars `bar_height` modules high (0: the symbology's default),
// wide:narrow `ratio`, `caption` nonzero for the caption variant, whose text
// is `caption_text` (`caption_size` bytes) when that is not empty (the GS1
// human-readable text of a GS1-128 value).  Returns 0
// with the document in `buf` and its length in *len; 32510 when it is longer
// than `cap` (*len says how long); -1 when the model cannot read the font
// string (*len is the byte it stopped at); 32529 when memory runs out.
extern "C" __attribute__((used, visibility("default"))) int32_t TAVO_WebSvg(
    int32_t symbology, const char* font_string, int32_t size, int32_t caption, double bar_height,
    double module, double ratio, char* buf, int32_t cap, int32_t* len, const char* caption_text,
    int32_t caption_size) {
  if (!font_string || !buf || !len || size < 0 || cap < 0 || caption_size < 0) return kCannotDraw;
  try {
    tavo::model::ModelOptions model;
    model.caption = caption != 0;
    if (ratio > 0) model.wide_ratio = ratio;
    const std::string_view text =
        caption_text ? std::string_view(caption_text, static_cast<size_t>(caption_size)) : std::string_view();
    return DrawSvg(symbology, std::string_view(font_string, static_cast<size_t>(size)), model, text, bar_height,
                   module, buf, cap, len);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  } catch (...) {
    *len = 0;
    return kCannotDraw;
  }
}
