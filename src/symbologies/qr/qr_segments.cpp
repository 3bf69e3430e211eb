// QR Code segmentation by shortest path, and the segments' bit stream.
#include "symbologies/qr/qr_segments.h"

#include <array>
#include <limits>

namespace tavo {
namespace {

// Mode indicators, four bits each.
// ISO/IEC 18004:2015 Table 2.
constexpr uint32_t kModeIndicator[3] = {0b0001, 0b0010, 0b0100};
constexpr uint32_t kEciIndicator = 0b0111;

// The shortest path runs over states, a mode and the phase of its current
// segment: how many characters it holds modulo its grouping (numeric digits
// go three to 10 bits, alphanumeric characters two to 11 bits).  The bits a
// character adds then depend on the state alone, so the cost is exact:
// digits cost 4, 3, 3 bits by phase (1 digit 4, 2 digits 7, 3 digits 10),
// alphanumeric characters 6, 5 (1 char 6, 2 chars 11), bytes 8.
enum State : uint8_t { kN0, kN1, kN2, kA0, kA1, kB, kStateCount, kStart = kStateCount };

constexpr QrMode kStateMode[kStateCount] = {QrMode::kNumeric,      QrMode::kNumeric,
                                            QrMode::kNumeric,      QrMode::kAlphanumeric,
                                            QrMode::kAlphanumeric, QrMode::kByte};
// The bits the next character adds in a state, and the state after it.
constexpr uint32_t kCharBits[kStateCount] = {4, 3, 3, 6, 5, 8};
constexpr State kNextState[kStateCount] = {kN1, kN2, kN0, kA1, kA0, kB};
// The state a new segment of each mode starts in.
constexpr State kFirstState[3] = {kN0, kA0, kB};

bool ModeAccepts(QrMode mode, unsigned char c) {
  switch (mode) {
    case QrMode::kNumeric: return c >= '0' && c <= '9';
    case QrMode::kAlphanumeric: return qr_modes::kAlphanumericValues[c] >= 0;
    case QrMode::kByte: return true;
  }
  return false;
}

// Rebuilds the segments from the predecessor of every (position, state).
std::vector<QrSegment> TraceSegments(const std::vector<std::array<uint8_t, kStateCount>>& from,
                                     State last) {
  std::vector<QrMode> modes(from.size());
  std::vector<bool> starts(from.size());
  State s = last;
  for (size_t i = from.size(); i-- > 0;) {
    modes[i] = kStateMode[s];
    const uint8_t prev = from[i][s];
    // A new segment begins here when the predecessor is the start, another
    // mode, or the same mode restarted (never shorter, but recorded as such).
    starts[i] = prev == kStart || kStateMode[prev] != kStateMode[s] ||
                kNextState[prev] != s;
    if (prev != kStart) s = static_cast<State>(prev);
  }
  std::vector<QrSegment> segments;
  for (size_t i = 0; i < modes.size(); ++i) {
    if (starts[i]) {
      segments.push_back({modes[i], i, i + 1});
    } else {
      segments.back().end = i + 1;
    }
  }
  return segments;
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

std::vector<QrSegment> QrOptimalSegments(std::string_view value, int32_t group, int32_t eci,
                                         size_t& bits) {
  constexpr size_t kNone = std::numeric_limits<size_t>::max() / 2;
  std::array<size_t, 3> header{};
  for (int m = 0; m < 3; ++m) header[m] = 4 + static_cast<size_t>(qr_modes::kCountBits[m][group]);
  // cost[s]: fewest bits for the characters so far ending in state s.
  std::array<size_t, kStateCount> cost;
  cost.fill(kNone);
  size_t best = eci ? 12 : 0;  // ECI: indicator and a one-byte designator
  uint8_t best_state = kStart;
  std::vector<std::array<uint8_t, kStateCount>> from(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    std::array<size_t, kStateCount> next;
    next.fill(kNone);
    auto relax = [&](State to, size_t total, uint8_t prev) {
      if (total < next[to]) {
        next[to] = total;
        from[i][to] = prev;
      }
    };
    for (int s = 0; s < kStateCount; ++s) {
      if (cost[s] != kNone && ModeAccepts(kStateMode[s], c)) {
        relax(kNextState[s], cost[s] + kCharBits[s], static_cast<uint8_t>(s));
      }
    }
    for (int m = 0; m < 3; ++m) {
      const State first = kFirstState[m];
      if (ModeAccepts(kStateMode[first], c)) {
        relax(kNextState[first], best + header[m] + kCharBits[first], best_state);
      }
    }
    cost = next;
    best = kNone;
    for (int s = 0; s < kStateCount; ++s) {
      if (cost[s] < best) {
        best = cost[s];
        best_state = static_cast<uint8_t>(s);
      }
    }
  }
  bits = best;
  if (value.empty()) return {};
  return TraceSegments(from, static_cast<State>(best_state));
}

void QrBitStream::Append(uint32_t value, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i) {
    if (bits_ % 8 == 0) bytes_.push_back(0);
    if ((value >> i) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
    ++bits_;
  }
}

void QrAppendSegments(std::string_view value, const std::vector<QrSegment>& segments,
                      int32_t group, int32_t eci, QrBitStream& out) {
  if (eci) {
    out.Append(kEciIndicator, 4);
    out.Append(static_cast<uint32_t>(eci), 8);
  }
  for (const QrSegment& seg : segments) {
    const int m = static_cast<int>(seg.mode);
    out.Append(kModeIndicator[m], 4);
    out.Append(static_cast<uint32_t>(seg.end - seg.begin), qr_modes::kCountBits[m][group]);
    const std::string_view run = value.substr(seg.begin, seg.end - seg.begin);
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
        for (size_t i = 0; i + 1 < run.size(); i += 2) {
          out.Append(static_cast<uint32_t>(QrAlphanumericValue(run[i]) * 45 +
                                           QrAlphanumericValue(run[i + 1])), 11);
        }
        if (run.size() % 2) out.Append(static_cast<uint32_t>(QrAlphanumericValue(run.back())), 6);
        break;
      case QrMode::kByte:
        for (char c : run) out.Append(static_cast<unsigned char>(c), 8);
        break;
    }
  }
}

}  // namespace tavo
