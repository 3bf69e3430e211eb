// Text, Byte and Numeric Compaction of PDF417 (ISO/IEC 15438:2015, 5.4),
// the modes chosen by a shortest path.
//
// The path runs over the bytes with 58 states, each of whose costs is exact
// and additive, counted in half codewords (a Text Compaction value):
// - Text: the submode (Alpha, Lower, Mixed, Punctuation) and whether an odd
//   number of values waits for its pair;
// - Byte: how many bytes of the current group of 6 are written (6 bytes take
//   5 codewords, the bytes of an unfinished group one each);
// - Numeric: how many digits of the current group of 44 are written (a group
//   of r digits takes r / 3 + 1 codewords).
// A step consumes one byte, with any latch or shift it needs, so the path
// has one step per byte and the cost of a whole symbol is the cheapest state
// after the last one.
#include "symbologies/pdf417/pdf417_compaction.h"

#include <array>
#include <cstddef>
#include <limits>
#include <string>

namespace tavo::pdf417 {
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

struct Step {
  uint8_t from = 0;
  uint8_t action = 0;
};

// One column of the path: the cheapest cost of each state after a byte, and
// the step that reached it.
class Path {
 public:
  Path(const std::array<uint32_t, kStates>& cost, Step* steps) : cost_(cost), steps_(steps) { next_.fill(kUnreached); }

  void Relax(int to, uint32_t cost, int from, Action action) {
    if (cost < next_[to]) {
      next_[to] = cost;
      steps_[to] = {static_cast<uint8_t>(from), action};
    }
  }
  // The byte as text from submode `sub` with `odd` values pending, at `cost`.
  void FromText(uint8_t c, int sub, int odd, uint32_t cost, int from) {
    for (int t = 0; t < kSubs; ++t) {
      if (kTextValue[t][c] < 0) continue;
      const int values = kLatches[sub][t].length + 1;
      Relax(TextState(t, (odd + values) & 1), cost + values, from, kTextChar);
    }
    if (sub == kLower && kTextValue[kAlpha][c] >= 0) Relax(TextState(sub, odd), cost + 2, from, kShiftAlpha);
    if (sub != kPunct && kTextValue[kPunct][c] >= 0) Relax(TextState(sub, odd), cost + 2, from, kShiftPunct);
  }
  // The byte from any state, once a latch (costing `exit` halves) has ended
  // the mode of `from`.
  void Latched(uint8_t c, int from, uint32_t exit, bool text, bool bytes, bool digits) {
    const uint32_t cost = cost_[from] + exit + 2;
    if (text) FromText(c, kAlpha, 0, cost, from);
    if (bytes) Relax(kByteBase + 1, cost + 2, from, kByteChar);
    if (digits && IsDigit(c)) Relax(kNumericBase + 1, cost + 2, from, kDigit);
  }
  const std::array<uint32_t, kStates>& next() const { return next_; }

 private:
  const std::array<uint32_t, kStates>& cost_;
  Step* steps_;
  std::array<uint32_t, kStates> next_;
};

void StepText(Path& path, uint8_t c, int state, uint32_t cost) {
  const int sub = state / 2, odd = state % 2;
  path.FromText(c, sub, odd, cost, state);
  const int after = (sub == kPunct && odd) ? kAlpha : sub;  // the pad of Punctuation is al
  path.Relax(TextState(after, 0), cost + odd + 4, state, kShiftOneByte);
  path.Latched(c, state, odd, false, true, true);
}

void StepByte(Path& path, uint8_t c, int state, uint32_t cost) {
  const int written = (state - kByteBase + 1) % kByteGroup;
  path.Relax(kByteBase + written, cost + (written == 0 ? 0 : 2), state, kByteChar);
  path.Latched(c, state, 0, true, false, true);
}

void StepNumeric(Path& path, uint8_t c, int state, uint32_t cost) {
  if (IsDigit(c)) {
    const int written = state - kNumericBase + 1;  // 1 .. 44
    const uint32_t add = (written == 1 || written % 3 == 0) ? 2 : 0;
    path.Relax(kNumericBase + written % kNumericGroup, cost + add, state, kDigit);
  }
  path.Latched(c, state, 0, true, true, false);
}

// The action of each byte on the cheapest path, and the state after it.
// `byte_start`: the symbol starts in Byte Compaction (MicroPDF417), so the
// first byte takes a latch whatever its mode.
void ShortestPath(std::string_view bytes, bool byte_start, std::vector<Step>& steps, std::vector<uint8_t>& after) {
  const size_t n = bytes.size();
  steps.assign(n * kStates, Step{});
  std::array<uint32_t, kStates> cost;
  cost.fill(kUnreached);
  cost[TextState(kAlpha, 0)] = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = static_cast<uint8_t>(bytes[i]);
    Path path(cost, &steps[i * kStates]);
    if (i == 0 && byte_start) {
      path.Latched(c, TextState(kAlpha, 0), 0, true, true, true);
      cost = path.next();
      continue;
    }
    for (int s = 0; s < kStates; ++s) {
      if (cost[s] == kUnreached) continue;
      if (IsText(s)) StepText(path, c, s, cost[s]);
      else if (s < kNumericBase) StepByte(path, c, s, cost[s]);
      else StepNumeric(path, c, s, cost[s]);
    }
    cost = path.next();
  }
  int best = TextState(kAlpha, 0);
  uint32_t best_cost = kUnreached;
  for (int s = 0; s < kStates; ++s) {
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
void EmitText(std::string_view bytes, const std::vector<Step>& steps, const std::vector<uint8_t>& after,
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

void CompactFrom(std::string_view bytes, int eci, bool byte_start, std::vector<uint16_t>& out) {
  if (eci >= 0) EmitEci(eci, out);
  std::vector<Step> steps;
  std::vector<uint8_t> after;
  ShortestPath(bytes, byte_start, steps, after);
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

}  // namespace

void Compact(std::string_view bytes, int eci, std::vector<uint16_t>& out) { CompactFrom(bytes, eci, false, out); }

void CompactMicro(std::string_view bytes, int eci, std::vector<uint16_t>& out) { CompactFrom(bytes, eci, true, out); }

}  // namespace tavo::pdf417
