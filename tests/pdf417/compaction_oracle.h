// The exhaustive shortest path over all 58 states per byte that PDF417's
// compaction used before the pruned search, kept unchanged as the oracle the
// equivalence test holds the library's search against.  Header only, for
// tests.
#pragma once

#include "symbologies/pdf417/pdf417_compaction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>

namespace tavo::pdf417::oracle {


namespace {

enum Sub : uint8_t { kAlpha, kLower, kMixed, kPunct };
constexpr int kSubs = 4;

// ISO/IEC 15438:2015 Table 2, the values of Text Compaction's submodes:
// Alpha and Lower are the letters 0-25 and space 26; Mixed and Punctuation
// are the strings below, by value; Alpha, Lower and Mixed have space at 26.
constexpr std::string_view kMixedChars = "0123456789&\r\t,:#-.$/+%*=^";
constexpr std::string_view kPunctChars = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'";
static_assert(kMixedChars.size() == 25 && kPunctChars.size() == 29);
constexpr uint8_t kSpaceValue = 26;
constexpr uint8_t kShiftAlphaValue = 27;  // AS, in Lower
constexpr uint8_t kShiftPunctValue = 29;  // PS, in Alpha, Lower and Mixed
constexpr uint8_t kPadValue = 29;         // fills the last codeword of a text run

// kTextValue[sub][byte]: the byte's value in the submode, or -1.
constexpr auto kTextValue = [] {
  std::array<std::array<int8_t, 256>, kSubs> v{};
  for (auto& sub : v) sub.fill(-1);
  for (int i = 0; i < 26; ++i) {
    v[kAlpha]['A' + i] = static_cast<int8_t>(i);
    v[kLower]['a' + i] = static_cast<int8_t>(i);
  }
  v[kAlpha][' '] = v[kLower][' '] = v[kMixed][' '] = kSpaceValue;
  for (size_t i = 0; i < kMixedChars.size(); ++i) v[kMixed][static_cast<uint8_t>(kMixedChars[i])] = static_cast<int8_t>(i);
  for (size_t i = 0; i < kPunctChars.size(); ++i) v[kPunct][static_cast<uint8_t>(kPunctChars[i])] = static_cast<int8_t>(i);
  return v;
}();

// The latch from one submode to another (ISO/IEC 15438:2015, Figure 3):
// ll 27, ml 28, al 28 (from Mixed), pl 25 (from Mixed), al 29 (from
// Punctuation); Lower reaches Alpha and Punctuation through Mixed.
struct Latch {
  uint8_t length;
  std::array<uint8_t, 2> values;
};
constexpr Latch kLatches[kSubs][kSubs] = {
    /* Alpha */ {{0, {}}, {1, {27}}, {1, {28}}, {2, {28, 25}}},
    /* Lower */ {{2, {28, 28}}, {0, {}}, {1, {28}}, {2, {28, 25}}},
    /* Mixed */ {{1, {28}}, {1, {27}}, {0, {}}, {1, {25}}},
    /* Punct */ {{1, {29}}, {2, {29, 27}}, {2, {29, 28}}, {0, {}}},
};

constexpr int kTextStates = 2 * kSubs;  // sub * 2 + (an odd number of values)
constexpr int kByteBase = kTextStates;
constexpr int kByteGroup = 6;
constexpr int kNumericBase = kByteBase + kByteGroup;
constexpr int kNumericGroup = 44;
constexpr int kStates = kNumericBase + kNumericGroup;
constexpr uint32_t kUnreached = std::numeric_limits<uint32_t>::max();

constexpr int TextState(int sub, int odd) { return sub * 2 + odd; }
constexpr bool IsText(int state) { return state < kByteBase; }
constexpr bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

enum Action : uint8_t { kTextChar, kShiftAlpha, kShiftPunct, kShiftOneByte, kByteChar, kDigit };

// Left uninitialised in bulk: a step is read only where the path wrote it.
struct Step {
  uint8_t from;
  uint8_t action;
};

// kSubsOf[byte]: bit t set where the byte has a value in submode t.
constexpr auto kSubsOf = [] {
  std::array<uint8_t, 256> m{};
  for (int t = 0; t < kSubs; ++t) {
    for (int b = 0; b < 256; ++b) m[b] |= kTextValue[t][b] >= 0 ? 1 << t : 0;
  }
  return m;
}();

// The cheapest state of a mode to leave it from, with the cost of leaving.
struct Exit {
  uint32_t cost = kUnreached;
  int from = 0;
  void Offer(uint32_t c, int state) {
    if (c < cost) cost = c, from = state;
  }
  static Exit Min(const Exit& a, const Exit& b) { return b.cost < a.cost ? b : a; }
};

// One column of the path: the cheapest cost of each state after a byte, and
// the step that reached it.  The Numeric states are cleared only for a
// digit: after any other byte none is alive, and none is read.
class Path {
 public:
  Path(std::array<uint32_t, kStates>& next, Step* steps, bool digit) : next_(next), steps_(steps) {
    std::fill_n(next_.begin(), digit ? kStates : kNumericBase, kUnreached);
  }

  void Relax(int to, uint32_t cost, int from, Action action) {
    if (cost < next_[to]) {
      next_[to] = cost;
      steps_[to] = {static_cast<uint8_t>(from), action};
    }
  }
  // The byte as text from submode `sub` with `odd` values pending, at `cost`.
  void FromText(uint8_t c, int sub, int odd, uint32_t cost, int from) {
    const uint8_t subs = kSubsOf[c];
    if (subs == 0) return;
    for (unsigned m = subs; m != 0; m &= m - 1) {
      const int t = std::countr_zero(m);
      const int values = kLatches[sub][t].length + 1;
      Relax(TextState(t, (odd + values) & 1), cost + values, from, kTextChar);
    }
    if (sub == kLower && (subs & 1 << kAlpha)) Relax(TextState(sub, odd), cost + 2, from, kShiftAlpha);
    if (sub != kPunct && (subs & 1 << kPunct)) Relax(TextState(sub, odd), cost + 2, from, kShiftPunct);
  }

 private:
  std::array<uint32_t, kStates>& next_;
  Step* steps_;
};

// Every state's steps over byte `c`; `digits_before` is the length of the
// run of digits just before it, which bounds the Numeric states alive.
void Advance(Path& path, uint8_t c, const std::array<uint32_t, kStates>& cost, size_t digits_before) {
  Exit text, bytes, numeric;
  for (int s = 0; s < kTextStates; ++s) {
    if (cost[s] == kUnreached) continue;
    const int sub = s / 2, odd = s % 2;
    path.FromText(c, sub, odd, cost[s], s);
    // 913 and the byte (4 halves, 5 with a pad), for a byte Text Compaction
    // lacks, and from Punctuation: from the other submodes the byte as text
    // with the latches there and back never costs more (the latches being
    // shortest paths between the submodes).
    if (kSubsOf[c] == 0 || sub == kPunct) {
      const int after = (sub == kPunct && odd) ? kAlpha : sub;  // the pad of Punctuation is al
      path.Relax(TextState(after, 0), cost[s] + odd + 4, s, kShiftOneByte);
    }
    text.Offer(cost[s] + odd, s);
  }
  for (int k = 0; k < kByteGroup; ++k) {  // k bytes of the group written
    const int s = kByteBase + k;
    if (cost[s] == kUnreached) continue;
    const int written = k + 1 == kByteGroup ? 0 : k + 1;
    path.Relax(kByteBase + written, cost[s] + (written == 0 ? 0 : 2), s, kByteChar);
    bytes.Offer(cost[s], s);
  }
  const int alive = static_cast<int>(std::min<size_t>(digits_before, kNumericGroup));
  for (int k = 0; k < alive; ++k) {
    const int s = kNumericBase + (k + 1) % kNumericGroup;  // k + 1 digits written
    if (cost[s] == kUnreached) continue;
    if (IsDigit(c)) {
      const int written = (s - kNumericBase) + 1;
      path.Relax(kNumericBase + written % kNumericGroup, cost[s] + ((written == 1 || written % 3 == 0) ? 2 : 0), s,
                 kDigit);
    }
    numeric.Offer(cost[s], s);
  }
  // A latch (one codeword) into another mode, from the cheapest state of the others.
  const Exit to_bytes = Exit::Min(text, numeric), to_digits = Exit::Min(text, bytes), to_text = Exit::Min(bytes, numeric);
  if (to_bytes.cost != kUnreached) path.Relax(kByteBase + 1, to_bytes.cost + 4, to_bytes.from, kByteChar);
  if (to_digits.cost != kUnreached && IsDigit(c)) path.Relax(kNumericBase + 1, to_digits.cost + 4, to_digits.from, kDigit);
  if (to_text.cost != kUnreached) path.FromText(c, kAlpha, 0, to_text.cost + 2, to_text.from);
}

// The first byte of a symbol that starts in Byte Compaction (MicroPDF417):
// whatever its mode, it takes a latch (one codeword, 2 halves) from the start.
void AdvanceFromByteStart(Path& path, uint8_t c) {
  const int start = TextState(kAlpha, 0);
  path.FromText(c, kAlpha, 0, 2, start);
  path.Relax(kByteBase + 1, 4, start, kByteChar);
  if (IsDigit(c)) path.Relax(kNumericBase + 1, 4, start, kDigit);
}

// The action of each byte on the cheapest path, and the state after it;
// `byte_start` for MicroPDF417, whose first byte takes a latch.
void ShortestPath(std::string_view bytes, std::unique_ptr<Step[]>& steps, std::vector<uint8_t>& after,
                  bool byte_start) {
  const size_t n = bytes.size();
  steps.reset(new Step[n * kStates]);  // default-initialised: left as it is, as the comment on Step says
  std::array<uint32_t, kStates> columns[2];
  columns[0].fill(kUnreached);
  columns[0][TextState(kAlpha, 0)] = 0;
  size_t digits = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = static_cast<uint8_t>(bytes[i]);
    Path path(columns[(i + 1) % 2], &steps[i * kStates], IsDigit(c));
    if (i == 0 && byte_start) {
      AdvanceFromByteStart(path, c);
    } else {
      Advance(path, c, columns[i % 2], digits);
    }
    digits = IsDigit(c) ? digits + 1 : 0;
  }
  const std::array<uint32_t, kStates>& cost = columns[n % 2];
  int best = TextState(kAlpha, 0);
  uint32_t best_cost = kUnreached;
  for (int s = 0; s < (digits > 0 ? kStates : kNumericBase); ++s) {
    if (cost[s] == kUnreached) continue;
    const uint32_t total = cost[s] + (IsText(s) ? s % 2 : 0);
    if (total < best_cost) best_cost = total, best = s;
  }
  after.assign(n, 0);
  for (size_t i = n; i-- > 0;) {
    after[i] = static_cast<uint8_t>(best);
    best = steps[i * kStates + best].from;
  }
}


// Text values, two to a codeword.
class TextRun {
 public:
  explicit TextRun(std::vector<uint16_t>& out) : out_(out) {}
  void Push(uint8_t value) {
    if (pending_ < 0) {
      pending_ = value;
    } else {
      out_.push_back(static_cast<uint16_t>(pending_ * 30 + value));
      pending_ = -1;
    }
  }
  // Fills the last codeword; returns whether it took a pad.
  bool Finish() {
    if (pending_ < 0) return false;
    Push(kPadValue);
    return true;
  }

 private:
  std::vector<uint16_t>& out_;
  int pending_ = -1;
};

// The text run of bytes [begin, end), entered in Alpha.
void EmitText(std::string_view bytes, const std::unique_ptr<Step[]>& steps, const std::vector<uint8_t>& after,
              size_t begin, size_t end, std::vector<uint16_t>& out) {
  TextRun run(out);
  int sub = kAlpha;
  for (size_t i = begin; i < end; ++i) {
    const uint8_t c = static_cast<uint8_t>(bytes[i]);
    switch (steps[i * kStates + after[i]].action) {
      case kShiftAlpha:
        run.Push(kShiftAlphaValue);
        run.Push(static_cast<uint8_t>(kTextValue[kAlpha][c]));
        break;
      case kShiftPunct:
        run.Push(kShiftPunctValue);
        run.Push(static_cast<uint8_t>(kTextValue[kPunct][c]));
        break;
      case kShiftOneByte:
        if (run.Finish() && sub == kPunct) sub = kAlpha;
        out.push_back(kShiftByte);
        out.push_back(c);
        break;
      default: {
        const int t = after[i] / 2;
        const Latch& latch = kLatches[sub][t];
        for (int k = 0; k < latch.length; ++k) run.Push(latch.values[k]);
        run.Push(static_cast<uint8_t>(kTextValue[t][c]));
        sub = t;
      }
    }
  }
  run.Finish();
}

// Byte Compaction: 924 and groups of 6 bytes in 5 base-900 codewords when
// the count is a multiple of 6; otherwise 901, the groups, and the bytes of
// the last unfinished group one codeword each.
void EmitBytes(std::string_view run, std::vector<uint16_t>& out) {
  out.push_back(run.size() % kByteGroup == 0 ? kLatchByte6 : kLatchByte);
  size_t i = 0;
  for (; i + kByteGroup <= run.size(); i += kByteGroup) {
    uint64_t value = 0;
    for (size_t k = 0; k < kByteGroup; ++k) value = value << 8 | static_cast<uint8_t>(run[i + k]);
    std::array<uint16_t, 5> group;
    for (size_t k = group.size(); k-- > 0; value /= 900) group[k] = static_cast<uint16_t>(value % 900);
    out.insert(out.end(), group.begin(), group.end());
  }
  for (; i < run.size(); ++i) out.push_back(static_cast<uint8_t>(run[i]));
}

// Numeric Compaction: each group of up to 44 digits, with a 1 before it, as
// a number in base 900 (ISO/IEC 15438:2015, 5.4.4).
void EmitDigits(std::string_view run, std::vector<uint16_t>& out) {
  out.push_back(kLatchNumeric);
  for (size_t at = 0; at < run.size(); at += kNumericGroup) {
    const std::string_view group = run.substr(at, kNumericGroup);
    std::array<uint8_t, kNumericGroup + 1> digits;
    digits[0] = 1;
    for (size_t k = 0; k < group.size(); ++k) digits[k + 1] = static_cast<uint8_t>(group[k] - '0');
    std::array<uint16_t, 15> base900;
    size_t count = 0, length = group.size() + 1, start = 0;
    while (start < length) {  // long division by 900, the remainder the next base-900 digit
      uint32_t remainder = 0;
      for (size_t k = start; k < length; ++k) {
        const uint32_t value = remainder * 10 + digits[k];
        digits[k] = static_cast<uint8_t>(value / 900);
        remainder = value % 900;
      }
      base900[count++] = static_cast<uint16_t>(remainder);
      while (start < length && digits[start] == 0) ++start;
    }
    for (size_t k = count; k-- > 0;) out.push_back(base900[k]);
  }
}

void EmitEci(int eci, std::vector<uint16_t>& out) {
  if (eci < 900) {
    out.insert(out.end(), {kEciCharset, static_cast<uint16_t>(eci)});
  } else if (eci < 810900) {
    out.insert(out.end(), {kEciGeneral, static_cast<uint16_t>(eci / 900 - 1), static_cast<uint16_t>(eci % 900)});
  } else {
    out.insert(out.end(), {kEciUser, static_cast<uint16_t>(eci - 810900)});
  }
}

enum class Run { kText, kBytes, kDigits };

Run RunOf(uint8_t action) {
  return action == kByteChar ? Run::kBytes : action == kDigit ? Run::kDigits : Run::kText;
}

}  // namespace

inline void CompactFrom(std::string_view bytes, int eci, bool byte_start, std::vector<uint16_t>& out) {
  if (eci >= 0) EmitEci(eci, out);
  std::unique_ptr<Step[]> steps;
  std::vector<uint8_t> after;
  ShortestPath(bytes, steps, after, byte_start);
  size_t begin = 0;
  while (begin < bytes.size()) {
    const Run run = RunOf(steps[begin * kStates + after[begin]].action);
    size_t end = begin + 1;
    while (end < bytes.size() && RunOf(steps[end * kStates + after[end]].action) == run) ++end;
    if (run == Run::kText) {
      if (begin > 0 || byte_start) out.push_back(kLatchText);
      EmitText(bytes, steps, after, begin, end, out);
    } else if (run == Run::kBytes) {
      EmitBytes(bytes.substr(begin, end - begin), out);
    } else {
      EmitDigits(bytes.substr(begin, end - begin), out);
    }
    begin = end;
  }
}

inline void Compact(std::string_view bytes, int eci, std::vector<uint16_t>& out) {
  CompactFrom(bytes, eci, false, out);
}

// MicroPDF417's, starting in Byte Compaction (added from the library's
// search of the time, which took the first byte so).
inline void CompactMicro(std::string_view bytes, int eci, std::vector<uint16_t>& out) {
  CompactFrom(bytes, eci, true, out);
}

}  // namespace tavo::pdf417::oracle
