// Reading a QR Code symbol back: modules, format information, unmasking,
// codewords, the error correction check of every block, and the segments'
// data.  Header-only: the symbol model (`tavo decode`) and the tests read
// with it, and the library, which only writes symbols, carries none of it.
// It never trusts its input.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/matrix/matrix_text.h"
#include "symbologies/qr/qr_layout.h"
#include "symbologies/qr/qr_reed_solomon.h"
#include "symbologies/qr/qr_segments.h"

namespace tavo {

struct QrReading {
  int32_t version = 0;
  QrLevel level = QrLevel::kM;
  int32_t mask = 0;
  int32_t eci = -1;  // the last ECI designator seen, -1 for none
  std::string data;  // the segments' bytes as carried
};

namespace qr_reader {

// Reads bits, most significant first; reading past the end fails softly.
class BitReader {
 public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t left() const { return bytes_.size() * 8 - at_; }
  bool Read(int32_t count, uint32_t& value) {
    if (static_cast<size_t>(count) > left()) return false;
    value = 0;
    for (int32_t i = 0; i < count; ++i, ++at_) {
      value = value << 1 | (bytes_[at_ >> 3] >> (7 - (at_ & 7)) & 1);
    }
    return true;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
};

// The square the symbol occupies inside `grid`: the bounding box of its
// dark modules, whose corners the finder patterns fill.
inline bool FindSymbol(const ModuleGrid& grid, int32_t& left, int32_t& top, int32_t& size) {
  int32_t x0 = grid.width, y0 = grid.height, x1 = -1, y1 = -1;
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) {
      if (!grid.at(x, y)) continue;
      x0 = std::min(x0, x);
      x1 = std::max(x1, x);
      y0 = std::min(y0, y);
      y1 = std::max(y1, y);
    }
  }
  size = x1 - x0 + 1;
  left = x0;
  top = y0;
  return x1 >= 0 && size == y1 - y0 + 1 && size >= QrSize(1) && size <= QrSize(kQrMaxVersion) &&
         (size - 17) % 4 == 0;
}

// The level and mask whose format bits lie nearest either copy read from
// the symbol; false when none lies within 3 bits.
inline bool ReadFormat(const ModuleGrid& s, QrLevel& level, int32_t& mask) {
  uint32_t copies[2] = {0, 0};
  QrForEachFormatModule(s.width, [&](int32_t x, int32_t y, int32_t bit, int32_t copy) {
    copies[copy] |= static_cast<uint32_t>(s.at(x, y)) << bit;
  });
  const uint32_t first = copies[0], second = copies[1];
  int best = 99;
  for (int l = 0; l < 4; ++l) {
    for (int32_t m = 0; m < kQrMaskCount; ++m) {
      const uint32_t want = QrFormatBits(static_cast<QrLevel>(l), m);
      const int d = std::min(std::popcount(want ^ first), std::popcount(want ^ second));
      if (d < best) {
        best = d;
        level = static_cast<QrLevel>(l);
        mask = m;
      }
    }
  }
  return best <= 3;
}

// The codewords in placement order, unmasked.
inline std::vector<uint8_t> ReadCodewords(const ModuleGrid& s, int32_t version, int32_t mask) {
  const ModuleGrid function = QrFunctionModules(version);
  std::vector<uint8_t> codewords(static_cast<size_t>(QrBlockStructure(version, QrLevel::kL).total_codewords));
  size_t i = 0;
  QrForEachDataModule(function, [&](int32_t x, int32_t y) {
    if (i < codewords.size() * 8 && (s.at(x, y) != QrMaskInverts(mask, x, y))) {
      codewords[i >> 3] |= static_cast<uint8_t>(0x80 >> (i & 7));
    }
    ++i;
  });
  return codewords;
}

// Undoes the interleaving, checks every block and returns the data
// codewords in order.
inline bool CheckBlocks(const std::vector<uint8_t>& placed, int32_t version, QrLevel level,
                 std::vector<uint8_t>& data, std::string& why) {
  const QrBlocks b = QrBlockStructure(version, level);
  const int32_t short_len = b.total_codewords / b.block_count - b.ecc_per_block;
  const int32_t short_blocks = b.block_count - b.total_codewords % b.block_count;
  std::vector<std::vector<uint8_t>> blocks(static_cast<size_t>(b.block_count));
  size_t at = 0;
  for (int32_t i = 0; i <= short_len; ++i) {
    for (int32_t k = 0; k < b.block_count; ++k) {
      if (i < short_len || k >= short_blocks) blocks[k].push_back(placed[at++]);
    }
  }
  for (int32_t i = 0; i < b.ecc_per_block; ++i) {
    for (int32_t k = 0; k < b.block_count; ++k) blocks[k].push_back(placed[at++]);
  }
  for (int32_t k = 0; k < b.block_count; ++k) {
    if (!QrReedSolomonBlockIsValid(blocks[k], b.ecc_per_block)) {
      why = "block " + std::to_string(k + 1) + " of " + std::to_string(b.block_count) +
            " fails its error correction check";
      return false;
    }
    data.insert(data.end(), blocks[k].begin(), blocks[k].end() - b.ecc_per_block);
  }
  return true;
}

// Appends `count` characters of a numeric segment.
inline bool ReadNumeric(BitReader& in, uint32_t count, std::string& out) {
  for (; count > 0; count -= std::min<uint32_t>(count, 3)) {
    const uint32_t n = std::min<uint32_t>(count, 3);
    uint32_t v;
    if (!in.Read(static_cast<int32_t>(3 * n + 1), v) || v >= (n == 3 ? 1000u : n == 2 ? 100u : 10u)) {
      return false;
    }
    const std::string digits = std::to_string(v + (n == 3 ? 1000 : n == 2 ? 100 : 10));
    out.append(digits, 1, n);
  }
  return true;
}

inline bool ReadAlphanumeric(BitReader& in, uint32_t count, std::string& out) {
  static constexpr std::string_view kChars = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  for (; count >= 2; count -= 2) {
    uint32_t v;
    if (!in.Read(11, v) || v >= 45 * 45) return false;
    out += kChars[v / 45];
    out += kChars[v % 45];
  }
  if (count == 1) {
    uint32_t v;
    if (!in.Read(6, v) || v >= 45) return false;
    out += kChars[v];
  }
  return true;
}

// Reads the segments up to the terminator or the end of the data.
inline bool ReadSegments(std::span<const uint8_t> data, int32_t version, QrReading& r, std::string& why) {
  BitReader in(data);
  const int32_t group = QrVersionGroup(version);
  uint32_t mode;
  while (in.left() >= 4 && in.Read(4, mode) && mode != 0) {
    uint32_t count = 0, v = 0;
    bool ok = true;
    switch (mode) {
      case 0b0111:  // ECI: designator of one, two or three bytes
        ok = in.Read(8, v);
        if (ok && (v & 0x80)) {
          uint32_t more = 0;
          const bool three = (v & 0xC0) == 0xC0;
          ok = in.Read(three ? 16 : 8, more);
          v = three ? ((v & 0x1F) << 16 | more) : ((v & 0x3F) << 8 | more);
        }
        r.eci = static_cast<int32_t>(v);
        break;
      case 0b0001:
        ok = in.Read(QrCountBits(QrMode::kNumeric, group), count) && ReadNumeric(in, count, r.data);
        break;
      case 0b0010:
        ok = in.Read(QrCountBits(QrMode::kAlphanumeric, group), count) &&
             ReadAlphanumeric(in, count, r.data);
        break;
      case 0b0100:
        ok = in.Read(QrCountBits(QrMode::kByte, group), count);
        for (uint32_t i = 0; ok && i < count; ++i) {
          ok = in.Read(8, v);
          r.data += static_cast<char>(v);
        }
        break;
      default:
        why = "unsupported mode indicator " + std::to_string(mode);
        return false;
    }
    if (!ok) {
      why = "a segment runs past the end of the data";
      return false;
    }
  }
  return true;
}

}  // namespace qr_reader

// Reads a symbol from a module grid (quiet zone optional).  False with the
// reason in `why`: no symbol, unreadable format information, a damaged
// block ("block 3 of 4 fails its error correction check"), or malformed
// segments.
inline bool DecodeQrModules(const ModuleGrid& grid, QrReading& reading, std::string& why) {
  int32_t left, top, size;
  if (!qr_reader::FindSymbol(grid, left, top, size)) {
    why = "no QR Code symbol: the dark modules do not span a square of a version's size";
    return false;
  }
  ModuleGrid s(size, size);
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) s.set(x, y, grid.at(left + x, top + y));
  }
  QrReading r;
  r.version = (size - 17) / 4;
  if (!qr_reader::ReadFormat(s, r.level, r.mask)) {
    why = "format information unreadable";
    return false;
  }
  std::vector<uint8_t> data;
  if (!qr_reader::CheckBlocks(qr_reader::ReadCodewords(s, r.version, r.mask), r.version, r.level, data, why) ||
      !qr_reader::ReadSegments(data, r.version, r, why)) {
    return false;
  }
  reading = std::move(r);
  return true;
}

// The same from font text.  Reads the text with ReadMatrixText, so only
// code that links the library's objects (its tests, fuzzers) calls it.
inline bool DecodeQrText(std::string_view text, QrReading& reading, std::string& why) {
  ModuleGrid grid;
  if (!ReadMatrixText(text, grid)) {
    why = "not 2D font text: a character is no block glyph or the lines differ in length";
    return false;
  }
  return DecodeQrModules(grid, reading, why);
}

}  // namespace tavo
