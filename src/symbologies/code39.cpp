// Code 39 for the library's own Code 39 fonts: one font character per ASCII
// character, grave accent start, "~" stop, optional modulo-43 check character.
#include <array>
#include <string_view>

#include "symbologies/code39.h"
#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kStart = static_cast<char>(kCode39Start);
constexpr char kStop = static_cast<char>(kCode39Stop);

}  // namespace

int32_t EncodeCode39(std::string_view value, const Options& options, FontString& out) {
  out.reserve(out.size() + value.size() + 3);
  for (size_t i = 0; i < value.size(); ++i) {
    // The start character belongs to the first value character, so an empty
    // value gets none (as in the Full ASCII form).
    if (i == 0) out.push_back(kStart);
    const auto code = static_cast<unsigned char>(value[i]);
    if (code > 127) return kIllegalCharacterAscii;
    out.push_back(static_cast<char>(kCode39GlyphMap[code]));
  }
  // The check character is summed over the Full ASCII expansion, because that
  // is what each glyph draws; it is one of the 43 characters, whose glyphs
  // stand at their own codes ("_" being the space), so it is not mapped.
  if (options.check) out.push_back(Code39CheckChar(value));
  out.push_back(kStop);
  return kOk;
}

}  // namespace tavo
