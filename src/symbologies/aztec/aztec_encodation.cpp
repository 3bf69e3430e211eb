// Aztec Code's high-level encodation: the shortest bit stream of the five
// character modes, their latches and shifts, and binary shifts, by a
// dynamic programme over (position, latched mode).  Binary runs are found
// by looking back over the 31 bytes a short run can hold and by carrying
// the best long run along, so the programme stays linear in the length.
//
// The byte's class (kClasses) gives, per mode, the one character step it
// allows; the latches (the "close") are a minimum over keys cost * 8 +
// mode, which breaks ties towards the lower mode as the plain programme
// does; binary runs are looked for only where a bound says one may count
// (Search::Run); a position's back-pointers are one record in an array
// allocated once.  The stream, its length and its ties are those of the
// plain programme (tests/aztec: against a plain search; the same bytes as
// before over tens of thousands of seeded values).
#include <algorithm>
#include <array>
#include <memory>

#include "symbologies/aztec/aztec.h"

namespace tavo {
namespace {

constexpr int kU = kAztecUpper, kL = kAztecLower, kM = kAztecMixed, kP = kAztecPunct, kD = kAztecDigit;

// The code of each byte in each mode, -1 where the mode lacks it.
constexpr auto kCodeOf = [] {
  std::array<std::array<int8_t, 256>, kAztecModes> t{};
  for (auto& row : t) row.fill(-1);
  for (int m = 0; m < kAztecModes; ++m) {
    for (size_t code = 0; code < kAztecChars[m].size(); ++code) {
      const auto c = static_cast<unsigned char>(kAztecChars[m][code]);
      if (c != 0) t[m][c] = static_cast<int8_t>(code);
    }
  }
  return t;
}();

// Shortest latches between modes (Floyd-Warshall over the one-code latches
// of Table 2): their cost in bits and the first mode on the way.
struct LatchPaths {
  int cost[kAztecModes][kAztecModes];
  int next[kAztecModes][kAztecModes];
};
constexpr LatchPaths kLatchPaths = [] {
  LatchPaths p{};
  for (int a = 0; a < kAztecModes; ++a) {
    for (int b = 0; b < kAztecModes; ++b) {
      p.cost[a][b] = a == b ? 0 : kAztecLatch[a][b] >= 0 ? AztecCodeBits(a) : 1000;
      p.next[a][b] = b;
    }
  }
  for (int k = 0; k < kAztecModes; ++k) {
    for (int a = 0; a < kAztecModes; ++a) {
      for (int b = 0; b < kAztecModes; ++b) {
        if (p.cost[a][k] + p.cost[k][b] < p.cost[a][b]) {
          p.cost[a][b] = p.cost[a][k] + p.cost[k][b];
          p.next[a][b] = p.next[a][k];
        }
      }
    }
  }
  return p;
}();
static_assert(kLatchPaths.cost[kL][kU] == 9 && kLatchPaths.cost[kD][kP] == 14);

// The codes of each shortest latch as one field: its bits and their count.
struct Code {
  uint32_t value;
  int count;
};
constexpr auto kLatchCodes = [] {
  std::array<std::array<Code, kAztecModes>, kAztecModes> t{};
  for (int a = 0; a < kAztecModes; ++a) {
    for (int b = 0; b < kAztecModes; ++b) {
      Code c{0, 0};
      for (int at = a; at != b; at = kLatchPaths.next[at][b]) {
        const int bits = AztecCodeBits(at);
        c.value = c.value << bits | static_cast<uint32_t>(kAztecLatch[at][kLatchPaths.next[at][b]]);
        c.count += bits;
      }
      t[a][b] = c;
    }
  }
  return t;
}();
static_assert(kLatchCodes[kL][kU].count == 9 && kLatchCodes[kL][kU].value == (30u << 4 | 14u));

// The pair code of value[i..i+1] in Punct, or -1.
int PairAt(std::string_view value, size_t i) {
  if (i + 1 >= value.size()) return -1;
  const char first = value[i], second = value[i + 1];
  if (second != ' ' && second != '\n') return -1;  // the pairs end in LF or a space
  for (size_t p = 0; p < kAztecPunctPairs.size(); ++p) {
    if (first == kAztecPunctPairs[p][0] && second == kAztecPunctPairs[p][1]) {
      return static_cast<int>(p) + kAztecFirstPunctPair;
    }
  }
  return -1;
}

// Costs are in eighths of a bit, so that a closed state's cost carries in
// its 3 low bits the mode it latched from (keys cost * 8 + mode; their
// least breaks ties towards the lower mode).  kInf marks a state not
// reached; kInf plus any cost still fits an int32_t.
constexpr int32_t kBit = 8;
constexpr int32_t kInf = 1 << 28;
constexpr int32_t kTag = kBit - 1;
constexpr int kShortRun = 31, kLongestRun = 2078;
constexpr int32_t kShortRunHead = 10 * kBit, kLongRunHead = 21 * kBit;  // B/S and its length field
constexpr int32_t kByte = 8 * kBit;

// How a state was reached, 3 bits of a position's record per mode.
enum Step : uint32_t { kNone, kChar, kPunctShift, kUpperShift, kPair, kBinary };

// What a byte allows: per mode, the cost of its one character step (the
// code itself, else P/S or U/S and the code; kInf for none) and that step;
// the one mode with a step, if only one has (a lower-case letter, a digit,
// a Mixed control character); whether it can start a pair.
// Where a mode holds the byte its code beats any shift, and no byte is in
// both Punct and Upper, so each mode has at most one step.
struct ByteClass {
  std::array<int32_t, kAztecModes> cost;
  std::array<uint32_t, kAztecModes> emit;  // the step's codes << 8 + their bits
  uint32_t steps;      // Step of mode m at bits 3m
  int8_t only;  // the one mode with a step, or -1
  bool pair_start;
};
constexpr auto kClasses = [] {
  std::array<ByteClass, 256> t{};
  for (int c = 0; c < 256; ++c) {
    ByteClass& k = t[static_cast<size_t>(c)];
    for (int m = 0; m < kAztecModes; ++m) {
      const int32_t bits = AztecCodeBits(m);
      Step step = kNone;
      int32_t cost = kInf;
      int codes = 0;
      if (kCodeOf[m][c] >= 0) {
        cost = bits, step = kChar, codes = kCodeOf[m][c];
      } else if (m != kP && kCodeOf[kP][c] >= 0) {
        cost = bits + 5, step = kPunctShift, codes = kAztecPunctShift << 5 | kCodeOf[kP][c];
      } else if ((m == kL || m == kD) && kCodeOf[kU][c] >= 0) {
        cost = bits + 5, step = kUpperShift;
        codes = (m == kD ? kAztecUpperShiftDigit : kAztecUpperShiftLower) << 5 | kCodeOf[kU][c];
      }
      k.emit[static_cast<size_t>(m)] = step == kNone ? 0 : static_cast<uint32_t>(codes) << 8 | static_cast<uint32_t>(cost);
      k.cost[static_cast<size_t>(m)] = step == kNone ? kInf : cost * kBit;
      k.steps |= static_cast<uint32_t>(step) << (3 * m);
    }
    int with_step = 0;
    for (int m = 0; m < kAztecModes; ++m) with_step += (k.steps >> (3 * m) & 7) != kNone;
    k.only = -1;
    for (int m = 0; m < kAztecModes && with_step == 1; ++m) {
      if ((k.steps >> (3 * m) & 7) != kNone) k.only = static_cast<int8_t>(m);
    }
    for (std::string_view pair : kAztecPunctPairs) k.pair_start = k.pair_start || static_cast<unsigned char>(pair[0]) == c;
  }
  return t;
}();
static_assert(kClasses['A'].cost[kL] == 10 * kBit && kClasses['.'].cost[kD] == 4 * kBit &&
              kClasses[0x80].cost[kU] == kInf);
static_assert(kClasses['\r'].pair_start && kClasses[':'].pair_start && !kClasses[' '].pair_start);
static_assert(kClasses['a'].only == kL && kClasses['7'].only == kD && kClasses['@'].only == kM &&
              kClasses['A'].only == -1 && kClasses[' '].only == -1 && kClasses[0x80].only == -1);

// A position's record: each mode's closed key (cost, and the mode latched
// from), the step that reached each mode (3 bits each) and, for Upper,
// Lower and Mixed, the binary run's bytes.
struct Record {
  std::array<int32_t, kAztecModes> closed;
  std::array<int32_t, 3> free;  // no binary run into the position costs less
  uint16_t steps;
  std::array<uint16_t, 3> run;
};

// The closed keys from the arrivals: the least arrival plus its shortest
// latch.  Every shortest latch into Lower, Mixed or Digit is one code or
// goes through Upper, and into Punct through Mixed (Table 2), so five
// minima over the one-code latches give all of kLatchPaths.
constexpr int32_t Min(int32_t a, int32_t b) { return b < a ? b : a; }
constexpr void Close(const std::array<int32_t, kAztecModes>& arrival, std::array<int32_t, kAztecModes>& closed) {
  const int32_t u = arrival[kU], l = arrival[kL] | kL, m = arrival[kM] | kM, p = arrival[kP] | kP, d = arrival[kD] | kD;
  const int32_t to_u = Min(Min(u, l + 9 * kBit), Min(Min(m, p) + 5 * kBit, d + 4 * kBit));
  const int32_t via_u = to_u + 5 * kBit;
  const int32_t to_m = Min(m, Min(l + 5 * kBit, via_u));
  closed[kU] = to_u;
  closed[kL] = Min(l, Min(m + 5 * kBit, via_u));
  closed[kM] = to_m;
  closed[kP] = Min(p, to_m + 5 * kBit);
  closed[kD] = Min(d, Min(l + 5 * kBit, via_u));
}

// The closed keys when only mode `from` was reached: its shortest latches.
constexpr auto kLatchKeys = [] {
  std::array<std::array<int32_t, kAztecModes>, kAztecModes> t{};
  for (int a = 0; a < kAztecModes; ++a) {
    for (int b = 0; b < kAztecModes; ++b) t[static_cast<size_t>(a)][static_cast<size_t>(b)] = kLatchPaths.cost[a][b] * kBit + a;
  }
  return t;
}();

constexpr bool CloseTakesTheShortestLatches() {
  for (int from = 0; from < kAztecModes; ++from) {
    std::array<int32_t, kAztecModes> arrival{}, closed{};
    arrival.fill(kInf);
    arrival[static_cast<size_t>(from)] = 0;
    Close(arrival, closed);
    for (int to = 0; to < kAztecModes; ++to) {
      if (closed[static_cast<size_t>(to)] != kLatchPaths.cost[from][to] * kBit + from) return false;
    }
  }
  return true;
}
static_assert(CloseTakesTheShortestLatches());

// The cheapest binary run into a mode: a run from j to i costs
// key(j) + head + 8 bits * i, where key(j) = closed(j) - 8 bits * j.  A
// short run (up to 31 bytes) starts in the last 31 positions: the least
// key there, ties to the later start.  A long one (32 to 2078 bytes)
// starts at least 32 back: the least key, ties to the earlier start,
// started afresh where the run would pass 2078 bytes.  Both are brought up
// to date only where a run may be wanted (Search::ArriveByBinary), folding
// in the positions passed since.  FreeRun, the cheapest run of any length
// with a short head, is kept at every position: a bound on both, and the
// short run itself when it starts in the window.
struct FreeRun {
  int32_t cost = kInf, start = 0;
  // One byte more, or a run of one byte from `from` (ties to the later).
  void Extend(int32_t one_byte, int32_t from) {
    if (one_byte <= cost + kByte) {
      cost = one_byte, start = from;
    } else {
      cost += kByte;
    }
  }
};
struct Runs {
  int32_t short_start = 0, short_key = kInf;
  size_t short_upto = 0;  // positions before it folded in
  int32_t long_start = 0, long_key = kInf;
  size_t long_upto = kShortRun;  // the last position whose long run is known
};

class Search {
 public:
  explicit Search(std::string_view value) : v_(value), n_(value.size()), records_(new Record[n_ + 1]) {}

  void Run();
  void Emit(AztecBits& out) const;

 private:
  using Costs = std::array<int32_t, kAztecModes>;
  int32_t Key(size_t j, size_t m) const { return (records_[j].closed[m] & ~kTag) - kByte * static_cast<int32_t>(j); }
  void Arrive(size_t i, const ByteClass& k, const Costs& before, bool paired, Costs& cost, uint32_t& steps);
  void ArriveByBinary(size_t i, size_t m, FreeRun free, int32_t limit, Costs& cost, uint32_t& steps);
  void BringShortUpTo(size_t i, size_t m);
  void BringLongUpTo(size_t i, size_t m);
  bool OfferPair(size_t i);

  std::string_view v_;
  size_t n_;
  std::unique_ptr<Record[]> records_;
  std::array<Costs, 2> pair_{};  // pairs landing at even / odd positions
  std::array<Runs, 3> runs_{};
};

// Each position: the arrivals by a character step (and a pair), their
// close; then binary runs, only into the modes where one might count.
// Every run the search offers into i costs at least `free`, the cheapest
// run of any length with a short head: 18 bits more than the mode's closed
// cost at i - 1, or 8 bits more than `free` at i - 1.  Where that exceeds
// the mode's closed cost without runs, no run can lower or tie any closed
// cost (closed costs already hold every latch), so a run taken there would
// change nothing the plan reads, and none is looked for.
void Search::Run() {
  Costs cost;
  cost.fill(kInf);
  cost[kU] = 0;
  Close(cost, records_[0].closed);
  records_[0].steps = kNone;
  std::array<FreeRun, 3> free{};  // no run into i costs less, by mode
  const ByteClass* next = n_ > 0 ? &kClasses[static_cast<unsigned char>(v_[0])] : nullptr;
  uint32_t pairs = n_ > 1 && next->pair_start && OfferPair(0) ? 1u : 0u;  // bit i & 1: a pair lands at i
  for (size_t i = 1; i <= n_; ++i) {
    const ByteClass& k = *next;
    const Costs& before = records_[i - 1].closed;
    Record& r = records_[i];
    Costs& now = r.closed;
    uint32_t steps = k.steps;
    bool paired = false;
    if (pairs != 0) {  // rare: only after ". ", ", ", ": " or CR LF
      paired = (pairs >> (i & 1) & 1) != 0;
      pairs &= ~(1u << (i & 1));
    }
    const bool arrived = k.only < 0 || paired;
    if (arrived) {
      Arrive(i, k, before, paired, cost, steps);
      Close(cost, now);
    } else {  // one mode reached: the close is its latches
      const auto only = static_cast<size_t>(k.only);
      const int32_t reached = (before[only] & ~kTag) + k.cost[only];
      for (size_t to = 0; to < kAztecModes; ++to) now[to] = reached + kLatchKeys[only][to];
    }
    const auto from = static_cast<int32_t>(i - 1);
    free[kU].Extend((before[kU] & ~kTag) + kShortRunHead + kByte, from);
    free[kL].Extend((before[kL] & ~kTag) + kShortRunHead + kByte, from);
    free[kM].Extend((before[kM] & ~kTag) + kShortRunHead + kByte, from);
    const bool want_u = free[kU].cost <= (now[kU] & ~kTag), want_l = free[kL].cost <= (now[kL] & ~kTag),
               want_m = free[kM].cost <= (now[kM] & ~kTag);
    r.free = {free[kU].cost, free[kL].cost, free[kM].cost};
    if (want_u || want_l || want_m) {
      if (!arrived) Arrive(i, k, before, false, cost, steps);
      const uint32_t by_chars = steps;
      if (want_u) ArriveByBinary(i, kU, free[kU], now[kU] & ~kTag, cost, steps);
      if (want_l) ArriveByBinary(i, kL, free[kL], now[kL] & ~kTag, cost, steps);
      if (want_m) ArriveByBinary(i, kM, free[kM], now[kM] & ~kTag, cost, steps);
      if (steps != by_chars) Close(cost, now);
    }
    r.steps = static_cast<uint16_t>(steps);
    if (i == n_) break;
    next = &kClasses[static_cast<unsigned char>(v_[i])];
    if (next->pair_start && i + 1 < n_ && OfferPair(i)) pairs |= 1u << (i & 1);
  }
}

// The arrivals at i by a pair from i - 2 (offered first, so it wins ties)
// and by the character step over byte i - 1.
void Search::Arrive(size_t i, const ByteClass& k, const Costs& before, bool paired, Costs& cost, uint32_t& steps) {
  for (size_t m = 0; m < kAztecModes; ++m) cost[m] = (before[m] & ~kTag) + k.cost[m];
  steps = k.steps;
  if (!paired) return;
  const Costs& pair = pair_[i & 1];
  for (size_t m = 0; m < kAztecModes; ++m) {
    if (pair[m] > cost[m]) continue;
    cost[m] = pair[m];
    steps = (steps & ~(7u << (3 * m))) | static_cast<uint32_t>(kPair) << (3 * m);
  }
}

// The short run, then the long one, into mode m at i where cheaper than
// its arrival (the step becomes kBinary).  The cheapest run of any length
// with a short head (`free`) is the short run when it starts in the last
// 31 positions; a long run costs at least 11 + 8 * 31 bits more than such a
// run into i - 31 (its start is one of theirs), and is looked for only
// where that bound does not exceed `limit`, the mode's closed cost without
// runs.
void Search::ArriveByBinary(size_t i, size_t m, FreeRun free, int32_t limit, Costs& cost, uint32_t& steps) {
  const Runs& r = runs_[m];
  const auto at = static_cast<int32_t>(i);
  int32_t by_short = free.cost, start = free.start;
  if (at - start > kShortRun) {
    BringShortUpTo(i, m);
    by_short = r.short_key + kShortRunHead + kByte * at, start = r.short_start;
  }
  int32_t run = -1;
  if (by_short < cost[m]) cost[m] = by_short, run = at - start;
  constexpr int32_t kLongOverFree = kLongRunHead - kShortRunHead + kShortRun * kByte;
  if (at > kShortRun && records_[i - kShortRun].free[m] + kLongOverFree <= limit) {
    BringLongUpTo(i, m);
    const int32_t by_long = r.long_key + kLongRunHead + kByte * at;
    if (by_long < cost[m]) cost[m] = by_long, run = at - r.long_start;
  }
  if (run < 0) return;
  steps = (steps & ~(7u << (3 * m))) | static_cast<uint32_t>(kBinary) << (3 * m);
  records_[i].run[m] = static_cast<uint16_t>(run);
}

// The least key of the 31 positions before i, ties to the later: the
// positions since the last call folded in, and the window searched again
// when its least has left it.
void Search::BringShortUpTo(size_t i, size_t m) {
  Runs& r = runs_[m];
  const size_t first = i > kShortRun ? i - kShortRun : 0;
  for (size_t j = std::max(r.short_upto, first); j < i; ++j) {
    const int32_t key = Key(j, m);
    if (key <= r.short_key) r.short_start = static_cast<int32_t>(j), r.short_key = key;
  }
  r.short_upto = i;
  if (r.short_start >= static_cast<int32_t>(first)) return;
  r.short_key = kInf;
  for (size_t j = first; j < i; ++j) {
    const int32_t key = Key(j, m);
    if (key <= r.short_key) r.short_start = static_cast<int32_t>(j), r.short_key = key;
  }
}

// The long run into each position up to i, in order: the key 32 back
// taken where strictly less, or where the run carried would pass 2078
// bytes.
void Search::BringLongUpTo(size_t i, size_t m) {
  Runs& r = runs_[m];
  for (size_t to = r.long_upto + 1; to <= i; ++to) {
    const auto start = static_cast<int32_t>(to - kShortRun - 1);
    const int32_t key = Key(to - kShortRun - 1, m);
    if (static_cast<int32_t>(to) - r.long_start > kLongestRun || key < r.long_key) r.long_start = start, r.long_key = key;
  }
  r.long_upto = i;
}

// P/S and the pair code from every mode (the code alone in Punct), landing
// at i + 2.
bool Search::OfferPair(size_t i) {
  if (PairAt(v_, i) < 0) return false;
  std::array<int32_t, kAztecModes>& pair = pair_[i & 1];
  for (int m = 0; m < kAztecModes; ++m) {
    const int32_t bits = m == kP ? 5 : AztecCodeBits(m) + 5;
    pair[static_cast<size_t>(m)] = (records_[i].closed[static_cast<size_t>(m)] & ~kTag) + bits * kBit;
  }
  return true;
}

// More bits than a byte of the value takes in any plan: a shift and a
// code (10) and the longest latch (14); a binary run's first byte with its
// head and the latch after it (8 + 10 + 10).  The start's latch is at most
// 10 bits.
constexpr size_t kMostBitsPerByte = 32;

// A step of the plan as the bits it writes: its codes and the latch after
// it, (field << 8) + their count.  A binary run has 0 in the low 8 bits (a
// count no other step has but the start's empty latch), its start in bits
// 8 to 39, its bytes in bits 40 to 55, and the modes of the latch after it
// in bits 56 to 58 and 59 to 61.
using Planned = uint64_t;
constexpr Planned kRunMark = 0;

// A step's codes (codes << 8 + their bits) and the latch after it.
constexpr Planned Join(uint64_t emit, const Code& latch) {
  return ((emit >> 8) << latch.count | latch.value) << 8 | ((emit & 0xFF) + static_cast<uint64_t>(latch.count));
}

Planned PlanBinary(size_t at, uint32_t run, size_t latch_from, int latch_to) {
  return static_cast<uint64_t>(latch_to) << 59 | static_cast<uint64_t>(latch_from) << 56 |
         static_cast<uint64_t>(run) << 40 | static_cast<uint64_t>(at) << 8 | kRunMark;
}

void EmitBinary(std::string_view v, Planned p, AztecBitWriter& out) {
  const auto run = static_cast<uint32_t>(p >> 40 & 0xFFFF), at = static_cast<uint32_t>(p >> 8 & 0xFFFFFFFF);
  if (run <= kShortRun) {
    out.Put(kAztecBinaryShift << 5 | run, 10);
  } else {
    out.Put(static_cast<uint64_t>(kAztecBinaryShift) << 16 | (run - kShortRun), 21);
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(v.data() + at);
  uint32_t k = 0;
  for (; k + 4 <= run; k += 4) {
    out.Put(uint64_t{bytes[k]} << 24 | uint64_t{bytes[k + 1]} << 16 | uint64_t{bytes[k + 2]} << 8 | bytes[k + 3], 32);
  }
  for (; k < run; ++k) out.Put(bytes[k], 8);
  const Code latch = kLatchCodes[p >> 56 & 7][p >> 59 & 7];
  if (latch.count > 0) out.Put(latch.value, latch.count);
}

void Search::Emit(AztecBits& out) const {
  // Back from the end: each position's record names the mode each latched
  // state came from, and the step that reached that mode.
  const std::array<int32_t, kAztecModes>& end = records_[n_].closed;
  int latched = kU;
  for (int m = 1; m < kAztecModes; ++m) {
    if ((end[static_cast<size_t>(m)] & ~kTag) < (end[static_cast<size_t>(latched)] & ~kTag)) latched = m;
  }
  out.end_mode = latched;
  std::unique_ptr<Planned[]> plan(new Planned[n_ + 1]);
  size_t steps = 0, i = n_;
  while (true) {
    const Record& r = records_[i];
    const auto m = static_cast<size_t>(r.closed[static_cast<size_t>(latched)] & kTag);
    const auto step = r.steps >> (3 * m) & 7;
    const Code& latch = kLatchCodes[m][static_cast<size_t>(latched)];
    if (step == kBinary) {
      const uint16_t run = r.run[m];
      i -= run;
      plan[steps++] = PlanBinary(i, run, m, latched);
      latched = static_cast<int>(m);
      continue;
    }
    uint64_t emit = 0;  // the start: only its latch
    if (step == kPair) {
      i -= 2;
      emit = static_cast<uint64_t>(PairAt(v_, i)) << 8 | (m == kP ? 5u : AztecCodeBits(static_cast<int>(m)) + 5u);
    } else if (step != kNone) {
      emit = kClasses[static_cast<unsigned char>(v_[--i])].emit[m];
    }
    plan[steps++] = latch.count == 0 ? emit : Join(emit, latch);
    if (step == kNone) break;
    latched = static_cast<int>(m);
  }
  // The start (Upper and a latch) comes last in the plan, so first out.
  AztecBitWriter writer(out, kMostBitsPerByte * n_ + 64);
  for (size_t s = steps; s-- > 0;) {
    const Planned p = plan[s];
    if ((p & 0xFF) != kRunMark) {
      writer.Put(p >> 8, static_cast<int>(p & 0xFF));
    } else if ((p >> 40 & 0xFFFF) != 0) {
      EmitBinary(v_, p, writer);
    }
  }
  writer.Finish();
}

}  // namespace

void AztecEncodation(std::string_view value, bool utf8_eci, AztecBits& out) {
  if (utf8_eci) {  // P/S FLG(2) "2" "6": ECI 26, UTF-8 (7.3.1.1)
    out.Append(kAztecPunctShift, 5);
    out.Append(kAztecFlg, 5);
    out.Append(2, 3);
    out.Append(2 + 2, 4);
    out.Append(6 + 2, 4);
  }
  Search search(value);
  search.Run();
  search.Emit(out);
}

}  // namespace tavo
