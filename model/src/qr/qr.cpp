// QR Code in the model: the symbol inside its quiet zone, drawn from the
// font text, and a reader that unmasks it, checks every block's error
// correction and returns the data (readers/qr/qr_reader.h).
#include <string>

#include "model_internal.h"
#include "symbologies/matrix/matrix_text.h"
#include "readers/qr/qr_reader.h"

namespace tavo::model::detail {
namespace {

// The version whose symbol, with its quiet zone, fills text of this many
// modules (the last column and line of blocks may reach one column and up
// to two rows past it); 0 for none.
int32_t VersionFilling(int32_t width, int32_t height) {
  for (int32_t v = 1; v <= kQrMaxVersion; ++v) {
    const int32_t full = QrSize(v) + 2 * kQrQuietZone;
    if ((full + kBlockWidth - 1) / kBlockWidth * kBlockWidth == width &&
        (full + kBlockHeight - 1) / kBlockHeight * kBlockHeight == height) {
      return v;
    }
  }
  return 0;
}

}  // namespace

bool BuildQr(int32_t, std::string_view s, const ModelOptions&, Symbol& symbol, ModelError& error) {
  ModuleGrid text;
  if (!ReadMatrixModules(s, text, error)) return false;
  const int32_t version = VersionFilling(text.width, text.height);
  if (version == 0) {
    return Fail(error, 0, "text of " + std::to_string(text.width) + " x " + std::to_string(text.height) +
                              " modules: no QR Code version with its quiet zone of 4 fills it");
  }
  const int32_t size = QrSize(version);
  symbol.grid.width = symbol.grid.height = size;
  symbol.grid.dark.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
  for (int32_t y = 0; y < text.height; ++y) {
    for (int32_t x = 0; x < text.width; ++x) {
      const int32_t sx = x - kQrQuietZone, sy = y - kQrQuietZone;
      const bool inside = sx >= 0 && sy >= 0 && sx < size && sy < size;
      if (inside) {
        symbol.grid.dark[static_cast<size_t>(sy) * static_cast<size_t>(size) + static_cast<size_t>(sx)] =
            text.at(x, y) ? 1 : 0;
      } else if (text.at(x, y)) {
        return Fail(error, MatrixByteAt(s, x, y), "a dark module in the quiet zone, " +
                                                      DescribeByteAt(s, MatrixByteAt(s, x, y)));
      }
    }
  }
  symbol.quiet_left = symbol.quiet_right = kQrQuietZone;
  return true;
}

bool ReadQr(int32_t symbology, std::string_view s, Reading& reading, ModelError& error) {
  Symbol symbol;
  if (!BuildQr(symbology, s, {}, symbol, error)) return false;
  tavo::ModuleGrid grid(symbol.grid.width, symbol.grid.height);
  grid.dark = symbol.grid.dark;
  for (const QrPatternDamage& d : QrFunctionPatternDamage(grid)) {
    reading.faults.push_back(DamageFault(d.pattern, d.modules, d.row, d.column));
  }
  QrReading r;
  std::string why;
  if (!DecodeQrSymbol(grid, r, why)) {
    reading.faults.push_back(why);
    return true;
  }
  reading.data = r.data;
  static constexpr const char* kLevels[] = {"L", "M", "Q", "H"};
  std::string what = "error correction of every block (version " + std::to_string(r.version) + "-" +
                     kLevels[static_cast<int>(r.level)] + ", mask " + std::to_string(r.mask);
  if (r.eci >= 0) what += ", ECI " + std::to_string(r.eci);
  if (r.fnc1 == 1) what += ", FNC1 in first position: GS1";
  if (r.fnc1 == 2) what += ", FNC1 in second position, application indicator " + std::to_string(r.application_indicator);
  if (r.kanji) what += ", Kanji mode";
  reading.checks.push_back({.what = what + ")", .found = "valid", .expected = "valid"});
  // GS1: the element strings, a group separator after each variable-length
  // one, written back in the bracketed form the library takes.
  if (r.fnc1 == 1) BracketGs1(r.data, '\x1D', reading);
  return true;
}

bool DrawQrGlyph(unsigned char code, const ModelOptions& options, Layout& layout) {
  return DrawMatrixGlyph(code, options, layout);
}

}  // namespace tavo::model::detail
