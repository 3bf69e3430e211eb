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
  // FNC1: 0 none, 1 in first position (GS1: the data is element strings, a
  // group separator 0x1D after each variable-length one), 2 in second
  // position (an industry's data, after its application indicator).
  int32_t fnc1 = 0;
  int32_t application_indicator = -1;
  bool kanji = false;  // a Kanji mode segment was read (written as UTF-8)
  std::string data;    // the segments' bytes as carried, Kanji as UTF-8
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

// Under FNC1 an alphanumeric "%" is a group separator and "%%" a "%"
// (ISO/IEC 18004:2015, 7.4.8.2); `from` is where the segment's text begins.
inline void UnescapeFnc1(std::string& out, size_t from) {
  size_t to = from;
  for (size_t i = from; i < out.size(); ++i, ++to) {
    if (out[i] == '%') {
      const bool pair = i + 1 < out.size() && out[i + 1] == '%';
      out[to] = pair ? '%' : '\x1D';
      i += pair;
    } else {
      out[to] = out[i];
    }
  }
  out.resize(to);
}

// Appends UTF-8 code point `cp` (below U+10000).
inline void AppendUtf8(uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Appends `count` Kanji mode characters, 13 bits each, as UTF-8; false for
// a value that is no character of JIS X 0208.
inline bool ReadKanji(BitReader& in, uint32_t count, std::string& out) {
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t v;
    if (!in.Read(13, v)) return false;
    const uint32_t cp = QrKanjiCodePoint(v);
    if (cp == 0) return false;
    AppendUtf8(cp, out);
  }
  return true;
}

// An ECI designator of one, two or three bytes.
inline bool ReadEci(BitReader& in, int32_t& eci) {
  uint32_t v = 0;
  bool ok = in.Read(8, v);
  if (ok && (v & 0x80)) {
    uint32_t more = 0;
    const bool three = (v & 0xC0) == 0xC0;
    ok = in.Read(three ? 16 : 8, more);
    v = three ? ((v & 0x1F) << 16 | more) : ((v & 0x3F) << 8 | more);
  }
  eci = static_cast<int32_t>(v);
  return ok;
}

// Byte data under ECI 20 (Shift JIS) as UTF-8, as iconv's SHIFT_JIS reads
// it: JIS X 0201 single bytes (0x5C a yen sign, 0x7E an overline, 0xA1 to
// 0xDF half-width katakana) and JIS X 0208 double bytes.  False for bytes
// that are no character.
inline bool AppendShiftJis(std::string_view bytes, std::string& out) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    uint32_t cp = b == 0x5C ? 0xA5 : b == 0x7E ? 0x203E : b < 0x80 ? b : 0;
    if (b >= 0xA1 && b <= 0xDF) cp = 0xFF61 + (b - 0xA1u);
    if (cp == 0 && b != 0 && i + 1 < bytes.size()) {
      cp = QrShiftJisCodePoint(static_cast<uint32_t>(b) << 8 | static_cast<unsigned char>(bytes[++i]));
    }
    if (cp == 0 && b != 0) return false;
    AppendUtf8(cp, out);
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
      case 0b0111:
        ok = ReadEci(in, r.eci);
        break;
      case 0b0001:
        ok = in.Read(QrCountBits(QrMode::kNumeric, group), count) && ReadNumeric(in, count, r.data);
        break;
      case 0b0010: {
        const size_t from = r.data.size();
        ok = in.Read(QrCountBits(QrMode::kAlphanumeric, group), count) &&
             ReadAlphanumeric(in, count, r.data);
        if (ok && r.fnc1) UnescapeFnc1(r.data, from);
        break;
      }
      case 0b1000:
        r.kanji = true;
        ok = in.Read(QrCountBits(QrMode::kKanji, group), count) && ReadKanji(in, count, r.data);
        break;
      case 0b0101:  // FNC1 in first position
        r.fnc1 = 1;
        break;
      case 0b1001:  // FNC1 in second position, and its application indicator
        r.fnc1 = 2;
        ok = in.Read(8, v);
        r.application_indicator = static_cast<int32_t>(v);
        break;
      case 0b0100: {
        std::string bytes;
        ok = in.Read(QrCountBits(QrMode::kByte, group), count);
        for (uint32_t i = 0; ok && i < count; ++i) {
          ok = in.Read(8, v);
          bytes += static_cast<char>(v);
        }
        if (ok && r.eci == kQrEciShiftJis) {
          ok = AppendShiftJis(bytes, r.data);
        } else {
          r.data += bytes;
        }
        break;
      }
      default:
        why = "unsupported mode indicator " + std::to_string(mode);
        return false;
    }
    if (!ok) {
      why = mode == 0b1000 ? "a Kanji segment runs past the end of the data or holds no JIS X 0208 character"
          : mode == 0b0100 && r.eci == kQrEciShiftJis ? "a byte segment under ECI 20 runs past the end of the data or holds no Shift JIS text"
                                                      : "a segment runs past the end of the data";
      return false;
    }
  }
  return true;
}

// Labels every function module of a version with the pattern it belongs
// to (an index into `names`; 0 for data modules), in the order the encoder
// paints them, later patterns over earlier ones: timing, finders and their
// separators, alignment patterns, format information, the dark module,
// version information.
class PatternLabels {
 public:
  explicit PatternLabels(int32_t version) : size_(QrSize(version)), label_(static_cast<size_t>(size_) * size_, 0) {
    const int32_t n = size_;
    const int32_t timing_row = Name("horizontal timing pattern"), timing_col = Name("vertical timing pattern");
    for (int32_t i = 8; i < n - 8; ++i) {
      Set(i, 6, timing_row);
      Set(6, i, timing_col);
    }
    Corner(0, 0, "top-left");
    Corner(n - 8, 0, "top-right");
    Corner(0, n - 8, "bottom-left");
    std::array<int32_t, 7> pos{};
    const int32_t count = qr_tables::AlignmentPositions(version, pos);
    for (int32_t i = 0; i < count; ++i) {
      for (int32_t j = 0; j < count; ++j) {
        if ((i == 0 && j == 0) || (i == 0 && j == count - 1) || (i == count - 1 && j == 0)) continue;
        const int32_t id = Name("alignment pattern centred at row " + std::to_string(pos[j]) + ", column " +
                                std::to_string(pos[i]));
        for (int32_t dy = -2; dy <= 2; ++dy) {
          for (int32_t dx = -2; dx <= 2; ++dx) Set(pos[i] + dx, pos[j] + dy, id);
        }
      }
    }
    const int32_t format[2] = {Name("format information (copy beside the top-left finder)"),
                               Name("format information (copy beside the other two finders)")};
    QrForEachFormatModule(n, [&](int32_t x, int32_t y, int32_t, int32_t copy) { Set(x, y, format[copy]); });
    Set(8, n - 8, Name("dark module"));
    if (version < 7) return;
    const int32_t top = Name("version information (top right)"), left = Name("version information (bottom left)");
    for (int32_t i = 0; i < 18; ++i) {
      Set(n - 11 + i % 3, i / 3, top);
      Set(i / 3, n - 11 + i % 3, left);
    }
  }
  int32_t at(int32_t x, int32_t y) const { return label_[static_cast<size_t>(y) * size_ + x]; }
  const std::string& name(int32_t id) const { return names_[static_cast<size_t>(id)]; }

 private:
  int32_t Name(std::string name) {
    names_.push_back(std::move(name));
    return static_cast<int32_t>(names_.size() - 1);
  }
  void Set(int32_t x, int32_t y, int32_t id) { label_[static_cast<size_t>(y) * size_ + x] = id; }
  // A finder pattern (7 x 7) and its separator, the light L or ring
  // around it, inside the 8 x 8 corner square at (x0, y0).
  void Corner(int32_t x0, int32_t y0, const std::string& where) {
    const int32_t finder = Name(where + " finder pattern"), separator = Name("separator of the " + where + " finder");
    const int32_t fx = x0 == 0 ? 0 : x0 + 1, fy = y0 == 0 ? 0 : y0 + 1;
    for (int32_t y = y0; y < y0 + 8; ++y) {
      for (int32_t x = x0; x < x0 + 8; ++x) {
        const bool inside = x >= fx && x < fx + 7 && y >= fy && y < fy + 7;
        Set(x, y, inside ? finder : separator);
      }
    }
  }

  int32_t size_;
  std::vector<int32_t> label_;
  std::vector<std::string> names_{""};
};

}  // namespace qr_reader

// A function pattern that differs from what the version draws: its name,
// how many of its modules are wrong, and the first of them in reading order
// (row and column in the symbol, from its top-left module).
struct QrPatternDamage {
  std::string pattern;
  int32_t modules = 0;
  int32_t row = 0;
  int32_t column = 0;
};

// Every function pattern of the symbol `s` (exactly the symbol, no quiet
// zone) checked module by module: finders, separators, timing, alignment
// patterns, the dark module, version information (version 7 and above) and
// both copies of the format information, which must both be the format of
// the level and mask the reader takes (when it can take one; otherwise the
// reader's own fault says so).  Scanners locate and sample a symbol by
// these patterns, so a symbol whose codewords are sound but whose patterns
// are damaged still fails them.  Empty for a sound symbol.
inline std::vector<QrPatternDamage> QrFunctionPatternDamage(const ModuleGrid& s) {
  std::vector<QrPatternDamage> damage;
  const int32_t version = (s.width - 17) / 4;
  if (s.width != s.height || version < 1 || version > kQrMaxVersion || QrSize(version) != s.width) return damage;
  ModuleGrid want(s.width, s.height), function(s.width, s.height);
  qr_tables::DrawFunctionPatterns(version, want, function);
  QrLevel level;
  int32_t mask;
  const bool format_known = qr_reader::ReadFormat(s, level, mask);
  if (format_known) {
    const uint32_t bits = QrFormatBits(level, mask);
    QrForEachFormatModule(s.width, [&](int32_t x, int32_t y, int32_t bit, int32_t) { want.set(x, y, bits >> bit & 1); });
  }
  const uint32_t version_bits = version >= 7 ? QrVersionBits(version) : 0;
  for (int32_t i = 0; i < 18 && version >= 7; ++i) {
    want.set(s.width - 11 + i % 3, i / 3, version_bits >> i & 1);
    want.set(i / 3, s.width - 11 + i % 3, version_bits >> i & 1);
  }
  const qr_reader::PatternLabels labels(version);
  std::vector<int32_t> entry_of(1, -1);  // label -> index in `damage`, -1 for none yet
  for (int32_t y = 0; y < s.height; ++y) {
    for (int32_t x = 0; x < s.width; ++x) {
      const int32_t id = labels.at(x, y);
      if (id == 0 || !function.at(x, y) || s.at(x, y) == want.at(x, y)) continue;
      if (!format_known && labels.name(id).starts_with("format")) continue;
      if (entry_of.size() <= static_cast<size_t>(id)) entry_of.resize(static_cast<size_t>(id) + 1, -1);
      int32_t& e = entry_of[static_cast<size_t>(id)];
      if (e < 0) {
        e = static_cast<int32_t>(damage.size());
        damage.push_back({labels.name(id), 0, y, x});
      }
      ++damage[static_cast<size_t>(e)].modules;
    }
  }
  return damage;
}

// Reads a symbol given exactly (its top-left module first, no quiet zone).
// False with the reason in `why`: no version's size, unreadable format
// information, a damaged block ("block 3 of 4 fails its error correction
// check"), or malformed segments.  The function patterns are not read:
// QrFunctionPatternDamage checks them.
inline bool DecodeQrSymbol(const ModuleGrid& s, QrReading& reading, std::string& why) {
  QrReading r;
  r.version = (s.width - 17) / 4;
  if (s.width != s.height || r.version < 1 || r.version > kQrMaxVersion || QrSize(r.version) != s.width) {
    why = "no QR Code symbol: " + std::to_string(s.width) + " x " + std::to_string(s.height) + " modules";
    return false;
  }
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

// Reads a symbol from a module grid (quiet zone optional), found as the
// square its dark modules span.
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
  return DecodeQrSymbol(s, reading, why);
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
