// Aztec Code in the model: the symbol inside its light margin, drawn from
// the font text, and a reader that checks the bullseye, orientation marks
// and reference grid module by module, corrects the mode message and the
// codewords, and decodes the data (readers/aztec/aztec_reader.h).
#include <string>

#include "model_internal.h"
#include "readers/aztec/aztec_reader.h"
#include "symbologies/matrix/matrix_text.h"

namespace tavo::model::detail {
namespace {

constexpr int32_t kQuiet = tavo::kAztecQuietZone;

// The symbol width whose text, margin included, fills this many modules
// (the last column and line of blocks may reach past it); 0 for none.
int32_t WidthFilling(int32_t width, int32_t height) {
  for (int32_t number = 1; number <= tavo::kAztecSizes; ++number) {
    const int32_t full = tavo::AztecSizeOf(number).Width() + 2 * kQuiet;
    if ((full + kBlockWidth - 1) / kBlockWidth * kBlockWidth == width &&
        (full + kBlockHeight - 1) / kBlockHeight * kBlockHeight == height) {
      return full - 2 * kQuiet;
    }
  }
  return 0;
}

}  // namespace

bool BuildAztec(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  ModuleGrid text;
  if (!ReadMatrixModules(s, text, error)) return false;
  const int32_t size = WidthFilling(text.width, text.height);
  if (size == 0) {
    return Fail(error, 0, "text of " + std::to_string(text.width) + " x " + std::to_string(text.height) +
                              " modules: no Aztec Code size with its margin of 1 fills it");
  }
  symbol.grid.width = symbol.grid.height = size;
  symbol.grid.dark.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = 0; x < text.width; ++x) {
      const int32_t sx = x - kQuiet, sy = y - kQuiet;
      if (sx >= 0 && sy >= 0 && sx < size && sy < size) {
        symbol.grid.dark[static_cast<size_t>(sy) * static_cast<size_t>(size) + static_cast<size_t>(sx)] =
            text.at(x, y) ? 1 : 0;
      } else if (text.at(x, y)) {
        return Fail(error, MatrixByteAt(s, x, y),
                    "a dark module in the margin, " + DescribeByteAt(s, MatrixByteAt(s, x, y)));
      }
    }
  }
  symbol.quiet_left = symbol.quiet_right = kQuiet;
  return true;
}

bool ReadAztec(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildAztec(symbology, s, {}, symbol, error)) return false;
  tavo::ModuleGrid grid(symbol.grid.width, symbol.grid.height);
  grid.dark = symbol.grid.dark;
  tavo::AztecReading r;
  const bool ok = tavo::DecodeAztecSymbol(grid, r);
  for (const tavo::AztecPatternDamage& d : tavo::AztecPatternDamages(r.size, grid)) {
    reading.faults.push_back(DamageFault(d.pattern, d.modules, d.row, d.column));
  }
  const std::string what = std::string(r.size.compact ? "compact" : "full-range") + " symbol of " +
                           std::to_string(r.size.layers) + (r.size.layers == 1 ? " layer" : " layers");
  reading.checks.push_back({.what = "Reed-Solomon error correction of the mode message",
                            .found = r.mode_corrected < 0   ? "damaged beyond correction"
                                     : r.mode_corrected > 0 ? std::to_string(r.mode_corrected) + " words corrected"
                                                            : "no errors",
                            .expected = "no errors"});
  if (r.data_words > 0 && r.mode_corrected >= 0) {
    reading.checks.push_back({.what = "Reed-Solomon error correction of the " + what + ", " +
                                      std::to_string(r.data_words) + " data words",
                              .found = r.corrected < 0   ? "damaged beyond correction"
                                       : r.corrected > 0 ? std::to_string(r.corrected) + " codewords corrected"
                                                         : "no errors",
                              .expected = "no errors"});
  }
  if (!ok) {
    reading.faults.push_back(r.error);
    return true;
  }
  reading.data = r.data;
  if (r.gs1) BracketGs1(r.data, '\x1D', reading);
  return true;
}

bool DrawAztecGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  return DrawMatrixGlyph(code, options, layout);
}

}  // namespace tavo::model::detail
