// QR Code segmentation by shortest path, and the segments' bit stream.
#include "symbologies/qr/qr_segments.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <limits>

#include "symbologies/qr/qr_kanji_table.h"

namespace tavo {
namespace {

// Mode indicators, four bits each.
// ISO/IEC 18004:2015 Table 2.
constexpr uint32_t kModeIndicator[kQrModeCount] = {0b0001, 0b0010, 0b0100, 0b1000};
constexpr uint32_t kEciIndicator = 0b0111;
constexpr uint32_t kFnc1FirstIndicator = 0b0101;

// The alphanumeric value of "%", which GS1 data uses for FNC1 (a group
// separator) and, doubled, for itself.  ISO/IEC 18004:2015, 7.4.8.2.
constexpr uint32_t kPercentValue = 38;
constexpr char kGroupSeparatorByte = '\x1D';

// The shortest path runs over states, a mode and the phase of its current
// segment: how many characters it holds modulo its grouping (numeric digits
// go three to 10 bits, alphanumeric characters two to 11 bits).  The bits a
// character adds then depend on the state alone, so the cost is exact:
// digits cost 4, 3, 3 bits by phase (1 digit 4, 2 digits 7, 3 digits 10),
// alphanumeric characters 6, 5 (1 char 6, 2 chars 11), bytes 8, Kanji
// characters 13 (one for every UTF-8 character, of two or three bytes).
enum State : uint8_t { kN0, kN1, kN2, kA0, kA1, kB, kK, kStateCount, kStart = kStateCount };

constexpr QrMode kStateMode[kStateCount] = {QrMode::kNumeric,      QrMode::kNumeric,
                                            QrMode::kNumeric,      QrMode::kAlphanumeric,
                                            QrMode::kAlphanumeric, QrMode::kByte,
                                            QrMode::kKanji};
// The bits the next character adds in a state, and the state after it.
constexpr uint32_t kCharBits[kStateCount] = {4, 3, 3, 6, 5, 8, 13};
constexpr State kNextState[kStateCount] = {kN1, kN2, kN0, kA1, kA0, kB, kK};
// The state a new segment of each mode starts in.
constexpr State kFirstState[kQrModeCount] = {kN0, kA0, kB, kK};
// Marks a predecessor whose transition began a new segment.
constexpr uint8_t kNewSegment = 0x80;

// How many characters of `mode` the byte `c` takes (Kanji aside): 0 when
// the mode cannot carry it, 2 for GS1's "%%".
uint32_t Units(QrMode mode, unsigned char c, const QrEncoding& e) {
  switch (mode) {
    case QrMode::kNumeric: return c >= '0' && c <= '9';
    case QrMode::kAlphanumeric:
      if (e.fnc1 && c == '%') return 2;
      return qr_modes::kAlphanumericValues[c] >= 0 || (e.fnc1 && c == kGroupSeparatorByte);
    case QrMode::kByte: return !e.ascii_bytes || (c < 0x80 && c != '\\' && c != '~');
    case QrMode::kKanji: return 0;
  }
  return 0;
}

// `units` characters added in state `s`: their bits, and the state after.
uint32_t Advance(uint8_t& s, uint32_t units) {
  uint32_t bits = 0;
  for (uint32_t u = 0; u < units; ++u) {
    bits += kCharBits[s];
    s = kNextState[s];
  }
  return bits;
}

// Rebuilds the segments from the predecessor of every (position, state);
// a Kanji character reaches back to its UTF-8 lead byte.
std::vector<QrSegment> TraceSegments(std::string_view value,
                                     const std::vector<std::array<uint8_t, kStateCount>>& from,
                                     uint8_t last, bool sjis_bytes) {
  std::vector<QrSegment> segments;
  size_t end = value.size();
  uint8_t s = last;
  for (size_t q = value.size(); q > 0;) {
    const uint8_t prev = from[q - 1][s];
    size_t begin = q - 1;
    if (s == kK || (s == kB && sjis_bytes)) {
      while (begin > 0 && (static_cast<unsigned char>(value[begin]) & 0xC0) == 0x80) --begin;
    }
    if (prev & kNewSegment) {
      segments.push_back({kStateMode[s], begin, end});
      end = begin;
    }
    s = static_cast<uint8_t>(prev & ~kNewSegment);
    q = begin;
  }
  return {segments.rbegin(), segments.rend()};
}

// Costs of the states after a number of bytes; the shortest path keeps four
// rows of them, as a Kanji character spans at most three bytes.
using CostRow = std::array<uint32_t, kStateCount>;
constexpr uint32_t kNoPath = std::numeric_limits<uint32_t>::max() / 2;

class ShortestPath {
 public:
  ShortestPath(std::string_view value, int32_t group, const QrEncoding& e)
      : value_(value), e_(e), from_(value.size()) {
    for (int m = 0; m < kQrModeCount; ++m) header_[m] = 4 + static_cast<uint32_t>(qr_modes::kCountBits[m][group]);
    for (CostRow& row : rows_) row.fill(kNoPath);
  }

  // Runs over the value; the length of the shortest stream (kNoPath for
  // none) and its segments.
  std::vector<QrSegment> Run(size_t& bits) {
    uint32_t best = (e_.eci ? 12 : 0) + (e_.fnc1 ? 4 : 0);  // ECI: indicator and one byte
    uint8_t best_state = kStart;
    for (size_t p = 0; p < value_.size(); ++p) {
      Step(p, best, best_state);
      rows_[p % 4].fill(kNoPath);  // the row of p + 4
      best = kNoPath;
      const CostRow& next = rows_[(p + 1) % 4];
      for (uint8_t s = 0; s < kStateCount; ++s) {
        if (next[s] < best) {
          best = next[s];
          best_state = s;
        }
      }
    }
    bits = best >= kNoPath ? std::numeric_limits<size_t>::max() / 2 : best;
    if (value_.empty() || best >= kNoPath) return {};
    return TraceSegments(value_, from_, best_state, e_.sjis_bytes);
  }

 private:
  // The byte at `p` (or the Kanji character from it) read from state
  // `prev` at cost `total`, reaching state `to` after byte `last`.
  void Relax(size_t last, uint8_t to, uint32_t total, uint8_t prev) {
    CostRow& row = rows_[(last + 1) % 4];
    if (total < row[to]) {
      row[to] = total;
      from_[last][to] = prev;
    }
  }

  // Every transition that reads from position `p`: continuing each state's
  // segment, then a new segment of each mode after the cheapest state
  // (ties keep the earlier transition).
  void Step(size_t p, uint32_t best, uint8_t best_state) {
    const CostRow& here = rows_[p % 4];
    const auto c = static_cast<unsigned char>(value_[p]);
    for (uint8_t s = 0; s < kK; ++s) {
      const uint32_t units = here[s] == kNoPath ? 0 : Units(kStateMode[s], c, e_);
      uint8_t to = s;
      const uint32_t bits = units ? Advance(to, units) : 0;
      if (units) Relax(p, to, here[s] + bits, s);
    }
    if (best >= kNoPath) return;
    for (int m = 0; m < kQrModeCount - 1; ++m) {
      const uint32_t units = Units(static_cast<QrMode>(m), c, e_);
      uint8_t to = kFirstState[m];
      const uint32_t bits = units ? Advance(to, units) : 0;
      if (units) Relax(p, to, best + header_[m] + bits, best_state | kNewSegment);
    }
    size_t length = 0;
    if (!e_.kanji || c < 0x80 || QrKanjiValue(value_, p, length) < 0) return;
    const size_t last = p + length - 1;
    if (here[kK] != kNoPath) Relax(last, kK, here[kK] + kCharBits[kK], kK);
    Relax(last, kK, best + header_[static_cast<int>(QrMode::kKanji)] + kCharBits[kK], best_state | kNewSegment);
    if (!e_.sjis_bytes) return;  // the character's two Shift JIS bytes in byte mode
    if (here[kB] != kNoPath) Relax(last, kB, here[kB] + 2 * kCharBits[kB], kB);
    Relax(last, kB, best + header_[static_cast<int>(QrMode::kByte)] + 2 * kCharBits[kB], best_state | kNewSegment);
  }

  std::string_view value_;
  const QrEncoding& e_;
  std::array<uint32_t, kQrModeCount> header_{};
  std::vector<std::array<uint8_t, kStateCount>> from_;
  std::array<CostRow, 4> rows_{};
};

// The Unicode code point of the UTF-8 character at `at` and its length; 0
// for a byte that begins none (this table needs nothing past U+FFFF).
uint32_t DecodeUtf8(std::string_view value, size_t at, size_t& length) {
  const auto c = static_cast<unsigned char>(value[at]);
  const size_t more = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : 0;
  if (more == 0 || value.size() - at <= more) return 0;
  uint32_t cp = c & (more == 1 ? 0x1Fu : 0x0Fu);
  for (size_t k = 1; k <= more; ++k) {
    const auto d = static_cast<unsigned char>(value[at + k]);
    if ((d & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (d & 0x3Fu);
  }
  if (more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
  length = more + 1;
  return cp;
}

// A Shift JIS code as its 13-bit Kanji mode value: less 0x8140 or 0xC140,
// then the high byte times 0xC0 plus the low.  ISO/IEC 18004:2015, 7.4.6.
constexpr uint32_t KanjiValueOf(uint32_t shift_jis) {
  const uint32_t d = shift_jis - (shift_jis <= 0x9FFC ? 0x8140 : 0xC140);
  return (d >> 8) * 0xC0 + (d & 0xFF);
}

}  // namespace

bool QrNeedsUtf8Eci(std::string_view value) {
  bool high = false;
  for (size_t i = 0; i < value.size();) {
    const auto c = static_cast<unsigned char>(value[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    high = true;
    // Lead byte: its count of continuation bytes and the smallest code point
    // it may carry (no overlong forms), surrogates and values past U+10FFFF
    // excluded.
    size_t more = 0;
    uint32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF) { more = 1; cp = c & 0x1F; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { more = 2; cp = c & 0x0F; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { more = 3; cp = c & 0x07; min = 0x10000; }
    else return false;
    if (value.size() - i <= more) return false;
    for (size_t k = 1; k <= more; ++k) {
      const auto d = static_cast<unsigned char>(value[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = cp << 6 | (d & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += more + 1;
  }
  return high;
}

int32_t QrShiftJisCode(std::string_view value, size_t at, size_t& length) {
  size_t n = 0;
  const uint32_t cp = DecodeUtf8(value, at, n);
  if (cp == 0) return -1;
  const auto* first = std::begin(qr_kanji::kKanjiPairs);
  const auto* last = std::end(qr_kanji::kKanjiPairs);
  const auto* it = std::lower_bound(first, last, cp, [](const qr_kanji::KanjiPair& p, uint32_t u) {
    return p.unicode < u;
  });
  if (it == last || it->unicode != cp) return -1;
  length = n;
  return it->shift_jis;
}

int32_t QrKanjiValue(std::string_view value, size_t at, size_t& length) {
  const int32_t code = QrShiftJisCode(value, at, length);
  return code < 0 ? -1 : static_cast<int32_t>(KanjiValueOf(static_cast<uint32_t>(code)));
}

uint32_t QrKanjiCodePoint(uint32_t kanji_value) {
  // Built once: Kanji mode value -> code point, for the reader.
  static const std::vector<uint16_t> by_value = [] {
    std::vector<uint16_t> v(1u << 13, 0);
    for (const qr_kanji::KanjiPair& p : qr_kanji::kKanjiPairs) v[KanjiValueOf(p.shift_jis)] = p.unicode;
    return v;
  }();
  return kanji_value < by_value.size() ? by_value[kanji_value] : 0;
}

uint32_t QrShiftJisCodePoint(uint32_t shift_jis) {
  const uint32_t low = shift_jis & 0xFF;
  const bool in_range = (shift_jis >= 0x8140 && shift_jis <= 0x9FFC) || (shift_jis >= 0xE040 && shift_jis <= 0xEBBF);
  if (!in_range || low < 0x40 || low == 0x7F || low > 0xFC) return 0;
  return QrKanjiCodePoint(KanjiValueOf(shift_jis));
}

std::vector<QrSegment> QrOptimalSegments(std::string_view value, int32_t group,
                                         const QrEncoding& encoding, size_t& bits) {
  return ShortestPath(value, group, encoding).Run(bits);
}

void QrBitStream::Append(uint32_t value, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i) {
    if (bits_ % 8 == 0) bytes_.push_back(0);
    if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
    ++bits_;
  }
}

namespace {

// Appends alphanumeric values two to 11 bits and a last one to 6; in GS1
// data a group separator is "%" and a "%" is "%%".
void AppendAlphanumeric(std::string_view run, bool fnc1, QrBitStream& out) {
  int32_t pending = -1;
  auto put = [&](uint32_t v) {
    if (pending < 0) {
      pending = static_cast<int32_t>(v);
      return;
    }
    out.Append(static_cast<uint32_t>(pending) * 45 + v, 11);
    pending = -1;
  };
  for (char c : run) {
    if (fnc1 && (c == '%' || c == kGroupSeparatorByte)) {
      put(kPercentValue);
      if (c == '%') put(kPercentValue);
    } else {
      put(static_cast<uint32_t>(QrAlphanumericValue(c)));
    }
  }
  if (pending >= 0) out.Append(static_cast<uint32_t>(pending), 6);
}

// The bytes of a byte segment: as they are, or each character of JIS X
// 0208 (a UTF-8 lead byte) as its two Shift JIS bytes.
void AppendBytes(std::string_view run, bool sjis_bytes, QrBitStream& out) {
  for (size_t i = 0, length = 1; i < run.size(); i += length) {
    length = 1;
    const auto c = static_cast<unsigned char>(run[i]);
    const int32_t code = sjis_bytes && c >= 0x80 ? QrShiftJisCode(run, i, length) : -1;
    if (code >= 0) {
      out.Append(static_cast<uint32_t>(code), 16);
    } else {
      out.Append(c, 8);
    }
  }
}

// The characters a segment's count field holds.
size_t SegmentCount(std::string_view run, QrMode mode, const QrEncoding& e) {
  const bool fnc1 = e.fnc1;
  size_t n = run.size();
  if (mode == QrMode::kByte && e.sjis_bytes) {  // two bytes for each UTF-8 character of two or three
    for (size_t i = 0, length = 1; i < run.size(); i += length) {
      length = 1;
      if (static_cast<unsigned char>(run[i]) >= 0x80 && QrShiftJisCode(run, i, length) >= 0) n -= length - 2;
    }
  }
  if (mode == QrMode::kAlphanumeric && fnc1) n += static_cast<size_t>(std::count(run.begin(), run.end(), '%'));
  if (mode == QrMode::kKanji) {
    n = static_cast<size_t>(std::count_if(run.begin(), run.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
  }
  return n;
}

}  // namespace

void QrAppendSegments(std::string_view value, const std::vector<QrSegment>& segments,
                      int32_t group, const QrEncoding& encoding, QrBitStream& out) {
  if (encoding.eci) {
    out.Append(kEciIndicator, 4);
    out.Append(static_cast<uint32_t>(encoding.eci), 8);
  }
  if (encoding.fnc1) out.Append(kFnc1FirstIndicator, 4);
  for (const QrSegment& seg : segments) {
    const int m = static_cast<int>(seg.mode);
    const std::string_view run = value.substr(seg.begin, seg.end - seg.begin);
    out.Append(kModeIndicator[m], 4);
    out.Append(static_cast<uint32_t>(SegmentCount(run, seg.mode, encoding)), qr_modes::kCountBits[m][group]);
    switch (seg.mode) {
      case QrMode::kNumeric:
        for (size_t i = 0; i < run.size(); i += 3) {
          const size_t n = std::min<size_t>(3, run.size() - i);
          uint32_t v = 0;
          for (size_t k = 0; k < n; ++k) v = v * 10 + static_cast<uint32_t>(run[i + k] - '0');
          out.Append(v, static_cast<int32_t>(3 * n + 1));
        }
        break;
      case QrMode::kAlphanumeric:
        AppendAlphanumeric(run, encoding.fnc1, out);
        break;
      case QrMode::kByte:
        AppendBytes(run, encoding.sjis_bytes, out);
        break;
      case QrMode::kKanji:
        for (size_t i = 0, length = 0; i < run.size(); i += length) {
          out.Append(static_cast<uint32_t>(QrKanjiValue(run, i, length)), 13);
        }
        break;
    }
  }
}

}  // namespace tavo
