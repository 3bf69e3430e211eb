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
// after the last one.  Each state's cost is pulled from the states before
// it, and only the steps that cannot be told from the state are recorded.
//
// Of two Byte states, at group positions j and k (bytes of the group
// written) and costs a and b >= a + 2: over the next m bytes a group ends
// floor((j + m) / 6) times from j and floor((k + m) / 6) from k, counts
// that differ by at most one, so the same bytes cost from j at most 2
// halves more than from k, and leaving Byte costs both the same: j is never
// worse.  Byte costs are even, so only the group positions at the cheapest
// Byte cost need keeping: one cost and a set.
//
// The two Text states of a submode cannot be merged so, keeping the cheaper:
// a value costs both the same, and 913, leaving Text or the end pad the odd
// one by a half, but the pad of Punctuation is al, so 913 from its odd state
// ends in Alpha and from its even one in Punctuation, and the parity a state
// has in Alpha, Lower or Mixed is the one it brings into Punctuation.  A path
// cheaper by a half can so end a codeword dearer (the test's "punctuation
// and high bytes" values find such cases).

#include "symbologies/pdf417/pdf417_compaction.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <utility>

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

// The text states: 2 * submode + 1 where a value waits for its pair (an odd
// cost).
constexpr int kTextStates = 2 * kSubs;
constexpr int kByteBase = kTextStates;
constexpr int kByteGroup = 6;
constexpr int kNumericBase = kByteBase + kByteGroup;
constexpr int kNumericGroup = 44;
constexpr int kStates = kNumericBase + kNumericGroup;

constexpr int TextState(int sub, int odd) { return 2 * sub + odd; }
constexpr int SubOf(int text_state) { return text_state / 2; }
constexpr bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

enum Action : uint8_t { kTextChar, kShiftAlpha, kShiftPunct, kShiftOneByte, kByteChar, kDigit };

// A step's key: its cost in halves above, the action and the state it came
// from below, so the cheapest of several ways is their smallest key (a tie
// takes the smaller action, then the smaller state), and a step's record
// is its low bits.  A column holds each state's cost as a key with the low
// bits clear.
using Key = uint32_t;
constexpr int kCostShift = 9, kActionShift = 6;
constexpr Key kStateMask = (1u << kActionShift) - 1, kRecordMask = (1u << kCostShift) - 1;
static_assert(kStates <= kStateMask + 1 && kDigit < 1 << (kCostShift - kActionShift));
constexpr Key Halves(int halves) { return static_cast<Key>(halves) << kCostShift; }
constexpr Key Way(int halves, Action action, int from) {
  return Halves(halves) | static_cast<Key>(action) << kActionShift | static_cast<Key>(from);
}
constexpr Key kOdd = Halves(1);
// Far above any real cost (at most 8 halves a byte for at most 2^16 bytes),
// and adding a few steps' halves to it cannot overflow.
constexpr Key kUnreached = Halves(1 << 20);
constexpr int CostOf(Key key) { return static_cast<int>(key >> kCostShift); }

// Each byte records the steps to the 8 text states, to the first byte of a
// Byte group and to the first digit of a Numeric group; every other Byte or
// Numeric state comes from the one before it in its group.
constexpr int kByteStart = kTextStates, kDigitStart = kTextStates + 1, kRecords = kTextStates + 2;
using Record = uint16_t;

// kClassOf[byte]: bit t (0-3) set where the byte has a value in submode t,
// and kDigitBit for a digit, so a step reads one table for the byte.
constexpr uint8_t kDigitBit = 1 << kSubs;
constexpr auto kClassOf = [] {
  std::array<uint8_t, 256> m{};
  for (int b = 0; b < 256; ++b) {
    for (int t = 0; t < kSubs; ++t) m[b] |= kTextValue[t][b] >= 0 ? 1 << t : 0;
    if (IsDigit(static_cast<uint8_t>(b))) m[b] |= kDigitBit;
  }
  return m;
}();

// The ways into the text states over a byte, by the byte's submodes: from
// each text state (kTextStates + 1 sources, the last 900 from the other
// modes, entering Alpha) the halves and the action.  A source text state
// (sub, odd) takes the byte as text in each submode t it has, with the
// latch (kLatches), into (t, odd + values); through AS (Lower, a byte of
// Alpha) or PS (not Punctuation, a byte of Punctuation) it stays; 913 and
// the byte (4 halves and any pad) go back to the even state for a byte
// Text lacks and from Punctuation (from the other submodes the byte as text
// with the latches there and back never costs more: the latches are
// shortest paths between the submodes), and the pad of Punctuation is al,
// so 913 from its odd state ends in Alpha.
constexpr int kEnter = kTextStates;
constexpr int kMostWays = kTextStates + 4;
struct Ways {
  int count = 0;
  std::array<uint8_t, kMostWays> from{};
  std::array<Key, kMostWays> add{};
};
struct TextWays {
  std::array<Ways, kTextStates> into{};
  constexpr void Add(int to, int from, int halves, Action action) {
    Ways& w = into[to];
    w.from[w.count] = static_cast<uint8_t>(from);
    w.add[w.count++] = Way(halves, action, from == kEnter ? 0 : from);
  }
  // The ways from (sub, odd) at `extra` halves more, as `from`.
  constexpr void From(int from, int sub, int odd, int extra, unsigned subs, bool text_only) {
    for (int t = 0; t < kSubs; ++t) {
      if ((subs >> t & 1) == 0) continue;
      const int values = kLatches[sub][t].length + 1;
      Add(TextState(t, (odd + values) & 1), from, extra + values, kTextChar);
    }
    if (sub == kLower && (subs >> kAlpha & 1) != 0) Add(TextState(sub, odd), from, extra + 2, kShiftAlpha);
    if (sub != kPunct && (subs >> kPunct & 1) != 0) Add(TextState(sub, odd), from, extra + 2, kShiftPunct);
    if (!text_only && (subs == 0 || sub == kPunct)) {
      Add(TextState(sub == kPunct && odd ? kAlpha : sub, 0), from, extra + odd + 4, kShiftOneByte);
    }
  }
};
constexpr auto kTextWays = [] {
  std::array<TextWays, 1 << kSubs> table{};
  for (unsigned subs = 0; subs < table.size(); ++subs) {
    for (int s = 0; s < kTextStates; ++s) table[subs].From(s, SubOf(s), s & 1, 0, subs, false);
    table[subs].From(kEnter, kAlpha, 0, 2, subs, true);
  }
  return table;
}();

// One column of the path: each state's cost after a byte, as a key with the
// low bits clear.  The Byte states are kept as one cost and the set of the
// group positions at it (bit k: k bytes of the group written): of two Byte
// states, the one dearer by a codeword or more is never better (see the
// header), and all Byte costs are even.  The Numeric states are alive only
// in a run of digits, `alive` of them (1 to `alive` digits of the group
// written, kept at kNumericBase + written % 44).
struct Column {
  std::array<Key, kTextStates> text;
  Key bytes;
  uint32_t phases;
  std::array<Key, kNumericGroup> digits;
  // The cheapest state of each mode to leave it from (Text paying its pad),
  // as a key with the state.
  Key text_exit, byte_exit, digit_exit;
};

// The cheapest state of each mode to leave it from (Text paying its pad),
// and from there the cheapest into each mode by a latch, as keys.
struct Exits {
  Key to_text, to_bytes, to_digits;
};

// Whatever a Byte or Numeric state does with the rest of the bytes, the
// cheapest Text state can do too for at most kDetour halves more: pad its
// last codeword (counted in leaving Text), latch (2), and start the run
// afresh, which costs at most one more codeword (2) than going on with the
// current group: a group of 6 bytes ends at most once more from its middle
// than from its start within the same bytes, and Numeric's charges (the
// first digit of a group of 44 and every third) at most once.  So a Numeric
// state dearer than leaving Text plus kDetour is on no cheapest path, and
// neither is a state it alone reaches: the search drops it, which keeps the
// Numeric states alive few.
constexpr int kDetour = 4;

// The cheapest into each mode by a latch, from the others.
Exits Leave(const Column& cur) {
  const Key text = cur.text_exit, bytes = cur.byte_exit, digits = cur.digit_exit;
  return {std::min(bytes, digits), std::min(text, digits), std::min(text, bytes)};
}

// The cheapest way into text state `to` over a byte of submodes `subs`,
// by kTextWays, unrolled: a template, so each source and cost is a constant.
template <unsigned subs, int to>
Key PullInto(const std::array<Key, kTextStates>& from, Key enter) {
  constexpr const Ways& ways = kTextWays[subs].into[to];
  return [&]<size_t... k>(std::index_sequence<k...>) {
    Key b = kUnreached;
    ((b = std::min(b, (ways.from[k] == kEnter ? enter : from[ways.from[k]]) + ways.add[k])), ...);
    return b;
  }(std::make_index_sequence<static_cast<size_t>(ways.count)>{});
}

// The byte into the text states, and the cheapest of them to leave Text from.
template <unsigned subs>
void PullTextFor(const Column& cur, Key enter, Column& next, Record* record) {
  Key exit = kUnreached;
  [&]<int... to>(std::integer_sequence<int, to...>) {
    ((next.text[to] = PullInto<subs, to>(cur.text, enter),
      record[to] = static_cast<Record>(next.text[to]),  // the cost's low bits too: Back drops them
      next.text[to] &= ~kRecordMask,
      exit = std::min(exit, (next.text[to] + (to & 1 ? kOdd : 0)) | static_cast<Key>(to))),
     ...);
  }(std::make_integer_sequence<int, kTextStates>{});
  next.text_exit = exit;
}

using PullTextFn = void (*)(const Column&, Key, Column&, Record*);
constexpr auto kPullText = []<unsigned... subs>(std::integer_sequence<unsigned, subs...>) {
  return std::array<PullTextFn, sizeof...(subs)>{&PullTextFor<subs>...};
}(std::make_integer_sequence<unsigned, 1u << kSubs>{});

// The byte into Byte Compaction: each group position moves on, 2 halves,
// but the 6th byte of a group 0 (5 codewords for 6), where the others are
// a codeword dearer and dropped; and a latch (2 halves) to the first byte.
void PullByte(const Column& cur, Key to_bytes, Column& next, Record* record) {
  constexpr uint32_t kLast = 1u << (kByteGroup - 1), kFirst = 2, kAll = (1u << kByteGroup) - 1;
  const bool ends = (cur.phases & kLast) != 0;
  Key cost = ends ? cur.bytes : cur.bytes + Halves(2);
  uint32_t phases = ends ? 1 : (cur.phases << 1) & kAll;
  record[kByteStart] = static_cast<Record>(Way(0, kByteChar, kByteBase));  // after a whole group
  const Key latch = to_bytes + Way(4, kByteChar, 0), latch_cost = latch & ~kRecordMask;
  if (latch_cost < cost || (latch_cost == cost && (phases & kFirst) == 0)) {
    if (latch_cost < cost) cost = latch_cost, phases = 0;
    phases |= kFirst;
    record[kByteStart] = static_cast<Record>(latch & kRecordMask);
  }
  next.bytes = cost;
  next.phases = phases;
  next.byte_exit = cost | static_cast<Key>(kByteBase + std::countr_zero(phases | 1u << kByteGroup));
}

// kNumericCharge[w]: the halves of the w-th digit of a group (w 2-43).
constexpr auto kNumericCharge = [] {
  std::array<Key, kNumericGroup> c{};
  for (int w = 2; w < kNumericGroup; ++w) c[w] = w % 3 == 0 ? Halves(2) : 0;
  return c;
}();

// The digit into the Numeric states: the next digit of each group alive,
// or the first of a group (2 halves) after a whole one or a latch; those
// past kDetour beyond leaving Text (`next`'s text states come first) are
// dropped, and the cheapest of the others is the exit.
void PullDigit(const Column& cur, Key to_digits, int alive, Column& next, Record* record) {
  const Key keep = (next.text_exit & ~kRecordMask) + Halves(kDetour);
  Key exit = kUnreached;
  const auto settle = [&](int w, Key c) {
    c = c > keep ? kUnreached : c;
    next.digits[static_cast<size_t>(w)] = c;
    exit = std::min(exit, c | static_cast<Key>(kNumericBase + w));
  };
  if (alive >= kNumericGroup - 1) settle(0, cur.digits[kNumericGroup - 1]);  // the 44th: no charge
  for (int w = std::min(alive + 1, kNumericGroup - 1); w >= 2; --w) {
    settle(w, cur.digits[static_cast<size_t>(w - 1)] + kNumericCharge[static_cast<size_t>(w)]);
  }
  Key one = to_digits + Way(4, kDigit, 0);
  if (alive == kNumericGroup) one = std::min(one, cur.digits[0] + Way(2, kDigit, kNumericBase));
  settle(1, one & ~kRecordMask);
  record[kDigitStart] = static_cast<Record>(one & kRecordMask);
  next.digit_exit = exit;
}

// Byte `c` into column `next` from column `cur` (through `exits`), whose
// digits run `alive` long: the steps in `record`.
void Pull(const Column& cur, const Exits& exits, uint8_t c, int alive, Column& next, Record* record) {
  const unsigned cls = kClassOf[c], subs = cls & ((1u << kSubs) - 1);
  kPullText[subs](cur, exits.to_text, next, record);
  PullByte(cur, exits.to_bytes, next, record);
  if ((cls & kDigitBit) != 0) {
    PullDigit(cur, exits.to_digits, alive, next, record);
  } else {
    next.digit_exit = kUnreached;
  }
}

// The record of the step to `state` over a byte whose records are `record`.
Record Back(const Record* record, int state) {
  if (state < kTextStates) return static_cast<Record>(record[state] & kRecordMask);
  if (state < kNumericBase) {
    const int k = state - kByteBase;
    if (k == 1) return record[kByteStart];
    return static_cast<Record>(Way(0, kByteChar, kByteBase + (k + kByteGroup - 1) % kByteGroup));
  }
  const int w = state - kNumericBase;
  if (w == 1) return record[kDigitStart];
  return static_cast<Record>(Way(0, kDigit, kNumericBase + (w + kNumericGroup - 1) % kNumericGroup));
}

// The records of the steps, kRecords a byte: on the stack for short values.
// Once the path is found, a byte's first record holds instead the state
// after the byte on the path and the action that took it.
class Records {
 public:
  explicit Records(size_t n) {
    if (n > kSmall) large_.reset(new Record[n * kRecords]);  // default-initialised: each is written before it is read
    base_ = large_ ? large_.get() : small_.data();
  }
  Records(const Records&) = delete;
  Records& operator=(const Records&) = delete;
  Record* at(size_t i) { return base_ + i * kRecords; }
  int State(size_t i) { return at(i)[0] & kStateMask; }
  uint8_t ActionOf(size_t i) { return static_cast<uint8_t>(at(i)[0] >> kActionShift); }

 private:
  static constexpr size_t kSmall = 256;
  std::array<Record, kSmall * kRecords> small_;
  std::unique_ptr<Record[]> large_;
  Record* base_;
};

// The cheapest of the states at the end, the pad counted.
Key Finish(const Column& cost) { return std::min({cost.text_exit, cost.byte_exit, cost.digit_exit}); }

// The cheapest path, left in `records`; returns its cost in halves (even:
// the pad counted).  `byte_start`: the symbol starts in Byte Compaction
// (MicroPDF417), so the first byte takes a latch whatever its mode.
int ShortestPath(std::string_view bytes, bool byte_start, Records& records) {
  const size_t n = bytes.size();
  Column columns[2];
  columns[0].text.fill(kUnreached);
  columns[0].text[kAlpha] = 0;
  columns[0].text_exit = 0;  // Alpha, no pad
  columns[0].byte_exit = columns[0].digit_exit = kUnreached;
  columns[0].bytes = kUnreached;
  columns[0].phases = 0;
  int alive = 0;  // the digits just before the byte, capped at a group
  for (size_t i = 0; i < n; ++i) {
    Column& cur = columns[i % 2];
    Exits exits = Leave(cur);
    if (i == 0 && byte_start) {  // a latch from the start into any mode
      cur.text[kAlpha] = cur.text_exit = kUnreached;
      exits = {kAlpha, kAlpha, kAlpha};
    }
    const uint8_t c = static_cast<uint8_t>(bytes[i]);
    Pull(cur, exits, c, alive, columns[(i + 1) % 2], records.at(i));
    alive = IsDigit(c) ? std::min(alive + 1, kNumericGroup) : 0;
  }
  const Key best = Finish(columns[n % 2]);
  int state = static_cast<int>(best & kStateMask);
  for (size_t i = n; i-- > 0;) {
    Record* record = records.at(i);
    const Record back = Back(record, state);
    record[0] = static_cast<Record>((back & ~kStateMask) | static_cast<Key>(state));
    state = back & kStateMask;
  }
  return CostOf(best);
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

// The text run from byte `begin`, entered in Alpha, to the first byte of
// another mode, whose index it returns; each byte's record holds the state
// after it and its action (ShortestPath).
size_t EmitText(std::string_view bytes, Records& records, size_t begin, std::vector<uint16_t>& out) {
  TextRun run(out);
  int sub = kAlpha;
  size_t i = begin;
  for (; i < bytes.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(bytes[i]);
    const uint8_t action = records.ActionOf(i);
    if (action == kByteChar || action == kDigit) break;
    if (action == kShiftAlpha || action == kShiftPunct) {
      const bool alpha = action == kShiftAlpha;
      run.Push(alpha ? kShiftAlphaValue : kShiftPunctValue);
      run.Push(static_cast<uint8_t>(kTextValue[alpha ? kAlpha : kPunct][c]));
    } else if (action == kShiftOneByte) {
      if (run.Finish() && sub == kPunct) sub = kAlpha;
      out.push_back(kShiftByte);
      out.push_back(c);
    } else {
      const int t = SubOf(records.State(i));  // the state after the byte
      const Latch& latch = kLatches[sub][t];
      for (int k = 0; k < latch.length; ++k) run.Push(latch.values[k]);
      run.Push(static_cast<uint8_t>(kTextValue[t][c]));
      sub = t;
    }
  }
  run.Finish();
  return i;
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
  Records records(bytes.size());
  const int halves = ShortestPath(bytes, byte_start, records);
  out.reserve(out.size() + 3 + static_cast<size_t>(halves / 2));  // the designator, and the path's codewords
  if (eci >= 0) EmitEci(eci, out);
  size_t begin = 0;
  while (begin < bytes.size()) {
    const Run run = RunOf(records.ActionOf(begin));
    if (run == Run::kText) {
      if (begin > 0 || byte_start) out.push_back(kLatchText);
      begin = EmitText(bytes, records, begin, out);
      continue;
    }
    size_t end = begin + 1;
    while (end < bytes.size() && RunOf(records.ActionOf(end)) == run) ++end;
    (run == Run::kBytes ? EmitBytes : EmitDigits)(bytes.substr(begin, end - begin), out);
    begin = end;
  }
}

}  // namespace

void Compact(std::string_view bytes, int eci, std::vector<uint16_t>& out) { CompactFrom(bytes, eci, false, out); }

void CompactMicro(std::string_view bytes, int eci, std::vector<uint16_t>& out) { CompactFrom(bytes, eci, true, out); }

}  // namespace tavo::pdf417
