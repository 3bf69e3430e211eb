// Aztec Code's high-level encodation: the shortest bit stream of the five
// character modes, their latches and shifts, and binary shifts, by a
// dynamic programme over (position, latched mode).  Binary runs are found
// by looking back over the 31 bytes a short run can hold and by carrying
// the best long run along, so the programme stays linear in the length.
#include <algorithm>
#include <array>
#include <climits>

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

constexpr int32_t kInf = INT32_MAX / 2;
constexpr int kShortRun = 31, kLongestRun = 2078;
constexpr int32_t kShortRunHead = 10, kLongRunHead = 21;  // B/S and its length field

enum class Step : uint8_t { kNone, kChar, kPunctShift, kUpperShift, kPair, kBinary };
struct Arrival {
  int32_t cost = kInf;
  Step step = Step::kNone;
  uint16_t run = 0;  // the binary run's bytes
};

class Search {
 public:
  explicit Search(std::string_view value)
      : v_(value), n_(value.size()), arrive_((n_ + 1) * kAztecModes), closed_((n_ + 1) * kAztecModes, kInf),
        from_((n_ + 1) * kAztecModes, 0) {}

  void Run() {
    arrive_[kU].cost = 0;
    for (size_t i = 0; i <= n_; ++i) {
      ArriveByBinary(i);
      Close(i);
      if (i < n_) PushChars(i);
    }
  }
  void Emit(AztecBits& out) const;

 private:
  Arrival& At(size_t i, int m) { return arrive_[i * kAztecModes + static_cast<size_t>(m)]; }
  int32_t Closed(size_t i, int m) const { return closed_[i * kAztecModes + static_cast<size_t>(m)]; }
  void Offer(size_t i, int m, int32_t cost, Step step, int run = 0) {
    Arrival& a = At(i, m);
    if (cost < a.cost) a = {cost, step, static_cast<uint16_t>(run)};
  }

  // Binary runs from Upper, Lower or Mixed ending before byte i.  A short
  // run from j costs Closed(j) - 8j + 10 + 8i: the least over the last 31
  // positions is the front of a window kept in increasing order of
  // Closed(j) - 8j (each position enters and leaves it once).
  void ArriveByBinary(size_t i) {
    for (int m : {kU, kL, kM}) {
      Window& w = windows_[static_cast<size_t>(m)];
      if (i > 0) w.Push(static_cast<int32_t>(i - 1), Closed(i - 1, m) - 8 * static_cast<int32_t>(i - 1));
      w.DropBefore(static_cast<int32_t>(i) - kShortRun);
      if (!w.empty()) {
        const int32_t from = w.Front();
        Offer(i, m, w.FrontKey() + kShortRunHead + 8 * static_cast<int32_t>(i), Step::kBinary,
              static_cast<int>(i) - from);
      }
      Long& l = long_[m];
      if (l.cost < kInf && l.run < kLongestRun) {
        l.cost += 8;
        ++l.run;
      } else {
        l = {};
      }
      if (i > kShortRun) {
        const int32_t fresh = Closed(i - kShortRun - 1, m) + kLongRunHead + 8 * (kShortRun + 1);
        if (fresh < l.cost) l = {fresh, kShortRun + 1};
      }
      if (l.cost < kInf) Offer(i, m, l.cost, Step::kBinary, l.run);
    }
  }

  // The latched costs at i: an arrival, then the shortest latch.
  void Close(size_t i) {
    for (int to = 0; to < kAztecModes; ++to) {
      int32_t best = kInf;
      int best_from = to;
      for (int m = 0; m < kAztecModes; ++m) {
        const int32_t c = At(i, m).cost + kLatchPaths.cost[m][to];
        if (c < best) best = c, best_from = m;
      }
      closed_[i * kAztecModes + static_cast<size_t>(to)] = best;
      from_[i * kAztecModes + static_cast<size_t>(to)] = static_cast<uint8_t>(best_from);
    }
  }

  void PushChars(size_t i) {
    const auto c = static_cast<unsigned char>(v_[i]);
    const int pair = PairAt(v_, i);
    for (int m = 0; m < kAztecModes; ++m) {
      const int32_t base = Closed(i, m);
      if (base >= kInf) continue;
      const int32_t bits = AztecCodeBits(m);
      if (kCodeOf[m][c] >= 0) Offer(i + 1, m, base + bits, Step::kChar);
      if (m != kP && kCodeOf[kP][c] >= 0) Offer(i + 1, m, base + bits + 5, Step::kPunctShift);
      if ((m == kL || m == kD) && kCodeOf[kU][c] >= 0) Offer(i + 1, m, base + bits + 5, Step::kUpperShift);
      if (pair >= 0) Offer(i + 2, m, base + (m == kP ? 5 : bits + 5), Step::kPair);
    }
  }

  struct Long {
    int32_t cost = kInf;
    int run = 0;
  };
  // Positions of the last kShortRun, keys increasing from the front.
  class Window {
   public:
    bool empty() const { return size_ == 0; }
    int32_t Front() const { return pos_[head_]; }
    int32_t FrontKey() const { return key_[head_]; }
    void Push(int32_t pos, int32_t key) {
      while (size_ > 0 && key_[Back()] >= key) --size_;
      const size_t at = (head_ + size_) % kRing;
      pos_[at] = pos;
      key_[at] = key;
      ++size_;
    }
    void DropBefore(int32_t first) {
      while (size_ > 0 && pos_[head_] < first) head_ = (head_ + 1) % kRing, --size_;
    }

   private:
    static constexpr size_t kRing = kShortRun + 1;
    size_t Back() const { return (head_ + size_ - 1) % kRing; }
    std::array<int32_t, kRing> pos_{}, key_{};
    size_t head_ = 0, size_ = 0;
  };
  std::string_view v_;
  size_t n_;
  std::vector<Arrival> arrive_;
  std::vector<int32_t> closed_;
  std::vector<uint8_t> from_;
  std::array<Long, 3> long_{};
  std::array<Window, 3> windows_{};
};

// The codes of the latch from mode a to mode b, hop by hop.
void EmitLatch(int a, int b, AztecBits& out) {
  while (a != b) {
    const int hop = kLatchPaths.next[a][b];
    out.Append(static_cast<uint32_t>(kAztecLatch[a][hop]), AztecCodeBits(a));
    a = hop;
  }
}

// One step that arrived at (position, mode).
struct Planned {
  size_t at;  // the position the step starts at
  int mode;   // the latched mode it is taken in
  Arrival arrival;
  int latch_to;  // the mode latched to after it
};

void EmitStep(std::string_view v, const Planned& p, AztecBits& out) {
  const int m = p.mode;
  const auto c = static_cast<unsigned char>(v[p.at]);
  switch (p.arrival.step) {
    case Step::kChar:
      out.Append(static_cast<uint32_t>(kCodeOf[m][c]), AztecCodeBits(m));
      break;
    case Step::kPunctShift:
      out.Append(kAztecPunctShift, AztecCodeBits(m));
      out.Append(static_cast<uint32_t>(kCodeOf[kP][c]), 5);
      break;
    case Step::kUpperShift:
      out.Append(m == kD ? kAztecUpperShiftDigit : kAztecUpperShiftLower, AztecCodeBits(m));
      out.Append(static_cast<uint32_t>(kCodeOf[kU][c]), 5);
      break;
    case Step::kPair:
      if (m != kP) out.Append(kAztecPunctShift, AztecCodeBits(m));
      out.Append(static_cast<uint32_t>(PairAt(v, p.at)), 5);
      break;
    case Step::kBinary: {
      const uint32_t run = p.arrival.run;
      out.Append(kAztecBinaryShift, 5);
      if (run <= kShortRun) {
        out.Append(run, 5);
      } else {
        out.Append(0, 5);
        out.Append(run - kShortRun, 11);
      }
      for (uint32_t k = 0; k < run; ++k) out.Append(static_cast<unsigned char>(v[p.at + k]), 8);
      break;
    }
    case Step::kNone:
      break;
  }
  EmitLatch(m, p.latch_to, out);
}

void Search::Emit(AztecBits& out) const {
  int mode = kU;
  for (int m = 0; m < kAztecModes; ++m) {
    if (Closed(n_, m) < Closed(n_, mode)) mode = m;
  }
  // Back from the end: each closed state names the mode it latched from, and
  // that mode's arrival the step and where it started.
  out.end_mode = mode;
  std::vector<Planned> plan;
  plan.reserve(n_ + 1);
  size_t i = n_;
  int latched = mode;
  while (true) {
    const int m = from_[i * kAztecModes + static_cast<size_t>(latched)];
    const Arrival& a = arrive_[i * kAztecModes + static_cast<size_t>(m)];
    if (a.step == Step::kNone) {
      plan.push_back({i, m, a, latched});  // the start: Upper, then a latch
      break;
    }
    const size_t len = a.step == Step::kBinary ? a.run : a.step == Step::kPair ? 2 : 1;
    plan.push_back({i - len, m, a, latched});
    i -= len;
    latched = m;
  }
  // Each planned step is taken in the mode of the step after it in the plan
  // (its latch_to is where the latch after it leads).
  for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
    if (it->arrival.step == Step::kNone) {
      EmitLatch(it->mode, it->latch_to, out);
    } else {
      EmitStep(v_, *it, out);
    }
  }
}

}  // namespace

void AztecEncodation(std::string_view value, bool utf8_eci, AztecBits& out) {
  out.bits.reserve(value.size() * 6 + 32);
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
