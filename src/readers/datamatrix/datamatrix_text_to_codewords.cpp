// Data Matrix font text read back: text -> modules -> codewords (error
// correction checked and applied) -> data.  Used by `tavo decode` through the
// symbol model, and by the tests.
#include <algorithm>
#include <string>

#include "readers/datamatrix/datamatrix_reader.h"

namespace tavo {

namespace {

// The size whose symbol, with its quiet zone, fills the text's grid of
// blocks and shows its finder pattern; nullptr when none does.
const DataMatrixSize* FindSize(const ModuleGrid& grid) {
  const int32_t q = kDataMatrixQuietZone;
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    const int32_t w = s.cols + 2 * q, h = s.rows + 2 * q;
    if ((w + kBlockWidth - 1) / kBlockWidth * kBlockWidth != grid.width) continue;
    if ((h + kBlockHeight - 1) / kBlockHeight * kBlockHeight != grid.height) continue;
    bool finder = true;
    for (int32_t y = 0; y < s.rows && finder; ++y) finder = grid.at(q, q + y);
    for (int32_t x = 0; x < s.cols && finder; ++x) finder = grid.at(q + x, q + s.rows - 1);
    if (finder) return &s;
  }
  return nullptr;
}

// The pattern line a frame module lies on, by its place in its region's
// frame (fx, fy from the frame's top-left), and what it should be.  Solid
// lines (left, bottom) take the corners they share with clock lines.
struct FrameLine {
  bool column;  // a column of modules (else a row)
  bool solid;   // solid dark (else alternating)
  int32_t at;   // its column or row in the symbol
  bool dark;    // what this module should be
};

FrameLine LineOf(int32_t x, int32_t y, int32_t fx, int32_t fy, int32_t h) {
  if (fx == 0) return {true, true, x, true};
  if (fy == h - 1) return {false, true, y, true};
  if (fy == 0) return {false, false, y, fx % 2 == 0};
  return {true, false, x, fy % 2 == 1};  // the frame's last column
}

std::string LineName(const FrameLine& l, const DataMatrixSize& s) {
  if (l.column && l.solid && l.at == 0) return "L finder pattern (left side)";
  if (!l.column && l.solid && l.at == s.rows - 1) return "L finder pattern (bottom side)";
  if (!l.column && !l.solid && l.at == 0) return "top clock track";
  if (l.column && !l.solid && l.at == s.cols - 1) return "right clock track";
  return std::string("alignment pattern between data regions (") + (l.solid ? "solid " : "alternating ") +
         (l.column ? "column " : "row ") + std::to_string(l.at) + ")";
}

}  // namespace

std::vector<DataMatrixPatternDamage> DataMatrixPatternDamages(const DataMatrixSize& size, const ModuleGrid& symbol) {
  std::vector<DataMatrixPatternDamage> damage;
  const int32_t w = size.region_w + 2, h = size.region_h + 2;
  for (int32_t y = 0; y < size.rows; ++y) {
    for (int32_t x = 0; x < size.cols; ++x) {
      const int32_t fx = x % w, fy = y % h;
      if (fx != 0 && fx != w - 1 && fy != 0 && fy != h - 1) continue;  // a data module
      const FrameLine line = LineOf(x, y, fx, fy, h);
      if (symbol.at(x, y) == line.dark) continue;
      const std::string name = LineName(line, size);
      auto it = std::find_if(damage.begin(), damage.end(), [&](const auto& d) { return d.pattern == name; });
      if (it == damage.end()) it = damage.insert(damage.end(), {name, 0, y, x});
      ++it->modules;
    }
  }
  return damage;
}

bool DecodeDataMatrixText(std::string_view text, DataMatrixReading& reading) {
  reading = DataMatrixReading{};
  ModuleGrid grid;
  if (!ReadMatrixText(text, grid)) {
    reading.error = "not Data Matrix font text (a character that is no glyph, or ragged lines)";
    return false;
  }
  const DataMatrixSize* size = FindSize(grid);
  if (!size) {
    reading.error = "no Data Matrix size matches the text's lines and columns";
    return false;
  }
  reading.rows = size->rows;
  reading.cols = size->cols;
  ModuleGrid symbol(size->cols, size->rows);
  for (int32_t y = 0; y < size->rows; ++y) {
    for (int32_t x = 0; x < size->cols; ++x) {
      symbol.set(x, y, grid.at(x + kDataMatrixQuietZone, y + kDataMatrixQuietZone));
    }
  }
  std::vector<uint8_t> codewords = DataMatrixReadCodewords(*size, symbol);
  int32_t corrected = DataMatrixCorrect(*size, codewords);
  if (corrected < 0 && size->data_codewords % size->blocks != 0) {
    std::vector<uint8_t> again = DataMatrixReadCodewords(*size, symbol);
    if (const int32_t c = DataMatrixCorrect(*size, again, true); c >= 0) {
      corrected = c;
      codewords = std::move(again);
    }
  }
  if (corrected < 0) {
    reading.damaged_block = -corrected - 1;
    reading.error = "Reed-Solomon block " + std::to_string(reading.damaged_block + 1) + " of " +
                    std::to_string(size->blocks) + " is damaged beyond correction";
    return false;
  }
  reading.corrected = corrected;
  codewords.resize(size->data_codewords);
  if (!DataMatrixDecodation(codewords, reading)) {
    reading.error = "the data codewords do not decode";
    return false;
  }
  return true;
}

}  // namespace tavo
