// Data Matrix ECC 200 encodation: the value as data codewords, with the
// fewest codewords over the six schemes (ASCII, C40, Text, X12, EDIFACT,
// Base 256).
//
// The choice is a shortest path over (position, scheme, values pending in
// the scheme's current codeword group).  Costs are counted in twelfths of a
// codeword so that every scheme's step is whole: an ASCII codeword is 12, a
// C40/Text/X12 value 8 (three values fill two codewords), an EDIFACT value 9
// (four fill three).  Each node keeps the cheapest way to reach it, so the
// work is linear in the value's length.  The end of the data has rules of its
// own per scheme (unlatch, implied return to ASCII, padding a last C40 pair)
// which allow some endings only when they fill the symbol exactly; each
// ending is kept as a window of capacities it suits, the smallest symbol
// that one window admits wins, and in it the ending that takes the fewest
// codewords.
#include <algorithm>
#include <limits>

#include "symbologies/datamatrix/datamatrix.h"

namespace tavo {
namespace {

// ASCII-scheme codewords.
// ISO/IEC 16022:2006 Table 2 (ASCII encodation values).
constexpr uint8_t kPad = 129;
constexpr uint8_t kDigitPairBase = 130;
constexpr uint8_t kLatchC40 = 230;
constexpr uint8_t kLatchBase256 = 231;
constexpr uint8_t kFnc1 = 232;
constexpr uint8_t kUpperShift = 235;
constexpr uint8_t kLatchX12 = 238;
constexpr uint8_t kLatchText = 239;
constexpr uint8_t kLatchEdifact = 240;
// C40/Text/X12: back to ASCII.  EDIFACT: the value that returns to ASCII.
constexpr uint8_t kUnlatch = 254;
constexpr uint8_t kEdifactUnlatch = 31;

constexpr int32_t kCw = 12;        // one codeword
constexpr int32_t kTripleValue = 8;  // one C40/Text/X12 value
constexpr int32_t kEdifactValue = 9;

// The nodes at one position: ASCII, C40/Text/X12 with 0..2 values pending,
// EDIFACT with 0..3 values pending, Base 256 in a run of up to 249 bytes (a
// 1-codeword length) and in a longer run (2 codewords).
enum Node : uint8_t {
  kAscii = 0,
  kC40 = 1,      // + pending (0..2)
  kText = 4,     // + pending
  kX12 = 7,      // + pending
  kEdifact = 10, // + pending (0..3)
  kBase256 = 14,
  kBase256Long = 15,
  kNodes = 16,
};

constexpr bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The C40 (or Text) values of one byte: up to four (upper shift, then a
// shift and the value).  In the GS1 forms the group separator is FNC1.
struct TripleValues {
  uint8_t count = 0;
  std::array<uint8_t, 4> v{};
  constexpr void Push(int x) { v[count++] = static_cast<uint8_t>(x); }
};

constexpr TripleValues C40Values(uint8_t c, bool text, bool gs1) {
  TripleValues out;
  if (gs1 && c == static_cast<uint8_t>(kGroupSeparator)) {
    out.Push(1);
    out.Push(27);
    return out;
  }
  if (c >= 128) {
    out.Push(1);
    out.Push(30);
    c = static_cast<uint8_t>(c - 128);
  }
  const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
  if (c == ' ') {
    out.Push(3);
  } else if (IsDigit(c)) {
    out.Push(c - '0' + 4);
  } else if ((upper && !text) || (lower && text)) {
    out.Push((c | 0x20) - 'a' + 14);
  } else if (c < 32) {
    out.Push(0);
    out.Push(c);
  } else if (c <= 47) {
    out.Push(1);
    out.Push(c - 33);
  } else if (c <= 64) {
    out.Push(1);
    out.Push(c - 58 + 15);
  } else if (c >= 91 && c <= 95) {
    out.Push(1);
    out.Push(c - 91 + 22);
  } else if (c == 96) {
    out.Push(2);
    out.Push(0);
  } else if (upper || lower) {
    out.Push(2);
    out.Push((c | 0x20) - 'a' + 1);
  } else {  // 123..127
    out.Push(2);
    out.Push(c - 123 + 27);
  }
  return out;
}

// The X12 value of a byte, or -1.
constexpr int X12Value(uint8_t c) {
  if (c == '\r') return 0;
  if (c == '*') return 1;
  if (c == '>') return 2;
  if (c == ' ') return 3;
  if (IsDigit(c)) return c - '0' + 4;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 14;
  return -1;
}

constexpr bool IsEdifact(uint8_t c) { return c >= 32 && c <= 94; }

// What the search needs of a byte, looked up once a byte rather than worked
// out for every node: the number of C40 and of Text values it takes, whether
// X12 and EDIFACT can carry it, and its ASCII codewords.  The group
// separator of the GS1 forms (FNC1) has a row of its own (index 256).
struct ByteClass {
  uint8_t c40, text;
  bool x12, edifact;
  uint8_t ascii;
};

constexpr auto kByteClasses = [] {
  std::array<ByteClass, 257> out{};
  for (int i = 0; i < 256; ++i) {
    const auto c = static_cast<uint8_t>(i);
    out[i] = {C40Values(c, false, false).count, C40Values(c, true, false).count, X12Value(c) >= 0,
              IsEdifact(c), static_cast<uint8_t>(c >= 128 ? 2 : 1)};
  }
  const auto gs = static_cast<uint8_t>(kGroupSeparator);
  out[256] = {C40Values(gs, false, true).count, C40Values(gs, true, true).count, false, false, 1};
  return out;
}();

// ASCII codewords one byte takes (2 for bytes above 127: upper shift first).
int32_t AsciiCost(uint8_t c) { return c >= 128 ? 2 * kCw : kCw; }

// Codewords the EDIFACT unlatch takes after `pending` values: the unlatch
// value itself, then the bits up to the next codeword boundary.
int32_t EdifactUnlatchCost(int pending) {
  const int bytes = ((pending + 1) * 6 + 7) / 8;
  return bytes * kCw - pending * kEdifactValue;
}

struct Step {
  int32_t cost = std::numeric_limits<int32_t>::max();
  int32_t from_pos = -1;
  uint8_t from_node = 0;
};

constexpr int32_t kUnreached = std::numeric_limits<int32_t>::max();

// How the data ends: the last node, and the symbol capacities it suits.
enum class Ending : uint8_t {
  kPlain,           // ASCII or Base 256 at the end; pads follow
  kTripleBoundary,  // C40/Text/X12 group complete; unlatch unless full
  kTriplePadded,    // two C40/Text values left: shift 1 completes the pair
  kTripleAsciiLast, // the last byte in ASCII with the unlatch implied
  kEdifactBoundary, // EDIFACT group complete; unlatch unless within 2 of full
  kEdifactAsciiTail,// EDIFACT, then 1 or 2 ASCII codewords, unlatch implied
};

struct EndOption {
  Ending ending;
  int32_t pos;   // position of the node the path ends at
  uint8_t node;
  int32_t lo, hi;  // capacities (codewords) it suits
  // Codewords it takes in a symbol of `capacity`: the boundary endings add
  // their unlatch unless the symbol is full, or for EDIFACT within two
  // codewords of full.
  int32_t Used(int32_t capacity) const {
    if (ending == Ending::kTripleBoundary) return capacity == lo ? lo : lo + 1;
    if (ending == Ending::kEdifactBoundary) return capacity - lo <= 2 ? lo : lo + 1;
    return lo;
  }
};

// One node of the cheapest path: a position in the value and a scheme's state.
struct Hop {
  int32_t pos;
  uint8_t node;
};

class Writer;

class Encodation {
 public:
  Encodation(std::string_view value, bool gs1)
      : value_(reinterpret_cast<const uint8_t*>(value.data())), length_(static_cast<int32_t>(value.size())),
        gs1_(gs1), steps_(static_cast<size_t>(length_ + 1) * kNodes) {}

  void Run();
  std::vector<EndOption> Endings() const;
  void Emit(const EndOption& end, int32_t capacity, std::vector<uint8_t>& out) const;

 private:
  Step& At(int32_t pos, int node) { return steps_[static_cast<size_t>(pos) * kNodes + node]; }
  const Step& At(int32_t pos, int node) const {
    return steps_[static_cast<size_t>(pos) * kNodes + node];
  }
  void Relax(int32_t pos, int node, int32_t cost, int32_t from_pos, int from_node) {
    Step& s = At(pos, node);
    if (cost < s.cost) s = {cost, from_pos, static_cast<uint8_t>(from_node)};
  }
  bool IsFnc1(uint8_t c) const { return gs1_ && c == static_cast<uint8_t>(kGroupSeparator); }
  void SwitchSchemes(int32_t pos);
  void Advance(int32_t pos);
  void Base256Runs(int32_t pos);
  std::vector<Hop> PathTo(const EndOption& end) const;
  void EmitSwitch(Hop from, Hop to, Writer& w, int32_t base256_start) const;
  void EmitValues(Hop from, Hop to, Writer& w) const;
  void EmitEnding(const EndOption& end, int32_t capacity, int32_t base256_start, Writer& w) const;

  const uint8_t* value_;
  int32_t length_;
  bool gs1_;
  std::vector<Step> steps_;
  // Base 256 runs: the positions where a short run may start, a queue whose
  // ASCII costs (less the bytes up to there) rise from front to back.
  // Each start with its ASCII cost less its position's, the queue's order.
  struct Start {
    int32_t pos, key;
  };
  std::vector<Start> starts_;
  size_t starts_head_ = 0;
  int32_t last_fnc1_ = -1;
};

// Latches and unlatches at one position: first everything back to ASCII,
// then from ASCII into every other scheme.
void Encodation::SwitchSchemes(int32_t pos) {
  for (int base : {kC40, kText, kX12}) {
    const Step& s = At(pos, base);
    if (s.cost != kUnreached) Relax(pos, kAscii, s.cost + kCw, pos, base);
  }
  for (int pending = 0; pending < 4; ++pending) {
    const Step& s = At(pos, kEdifact + pending);
    if (s.cost != kUnreached) {
      Relax(pos, kAscii, s.cost + EdifactUnlatchCost(pending), pos, kEdifact + pending);
    }
  }
  for (int run : {kBase256, kBase256Long}) {
    if (At(pos, run).cost != kUnreached) Relax(pos, kAscii, At(pos, run).cost, pos, run);
  }
  const int32_t ascii = At(pos, kAscii).cost;
  if (ascii == kUnreached || pos == length_) return;
  for (int base : {kC40, kText, kX12, kEdifact}) Relax(pos, base, ascii + kCw, pos, kAscii);
}

// Base 256 runs ending at `pos`.  A run from ASCII at position i costs the
// latch, its length (1 codeword up to 249 bytes, else 2) and one codeword a
// byte.  Short runs: the cheapest start among the last 249 positions, kept
// in a sliding-window minimum.  Long runs: the one 250 bytes back, or the
// long run to the position before, one byte longer.  Both node steps point
// straight back to the run's start.
void Encodation::Base256Runs(int32_t pos) {
  if (pos > 0 && IsFnc1(value_[pos - 1])) {  // FNC1 cannot be inside a run
    starts_head_ = starts_.size();
    last_fnc1_ = pos - 1;
    return;
  }
  while (starts_head_ < starts_.size() && starts_[starts_head_].pos < pos - 249) ++starts_head_;
  if (starts_head_ < starts_.size()) {
    const int32_t i = starts_[starts_head_].pos;
    Relax(pos, kBase256, At(i, kAscii).cost + (2 + pos - i) * kCw, i, kAscii);
  }
  if (pos >= 250) {
    const Step& prev = At(pos - 1, kBase256Long);
    if (prev.cost != kUnreached) Relax(pos, kBase256Long, prev.cost + kCw, prev.from_pos, kAscii);
    const int32_t i = pos - 250;
    if (At(i, kAscii).cost != kUnreached && last_fnc1_ < i) {
      Relax(pos, kBase256Long, At(i, kAscii).cost + (3 + 250) * kCw, i, kAscii);
    }
  }
}

// Every way to take the byte (or digit pair) at `pos`.
void Encodation::Advance(int32_t pos) {
  const uint8_t c = value_[pos];
  const ByteClass& k = kByteClasses[IsFnc1(c) ? 256 : c];
  if (const int32_t a = At(pos, kAscii).cost; a != kUnreached) {
    if (pos + 1 < length_ && IsDigit(c) && IsDigit(value_[pos + 1])) Relax(pos + 2, kAscii, a + kCw, pos, kAscii);
    Relax(pos + 1, kAscii, a + k.ascii * kCw, pos, kAscii);
  }
  // (pending + values) % 3 for pending 0..2 and 1..4 values.
  static constexpr std::array<uint8_t, 7> kNextPending{0, 1, 2, 0, 1, 2, 0};
  const int32_t c40_cost = k.c40 * kTripleValue, text_cost = k.text * kTripleValue;
  for (int pending = 0; pending < 3; ++pending) {
    if (const int32_t s = At(pos, kC40 + pending).cost; s != kUnreached) {
      Relax(pos + 1, kC40 + kNextPending[pending + k.c40], s + c40_cost, pos, kC40 + pending);
    }
    if (const int32_t s = At(pos, kText + pending).cost; s != kUnreached) {
      Relax(pos + 1, kText + kNextPending[pending + k.text], s + text_cost, pos, kText + pending);
    }
  }
  if (k.x12) {
    for (int pending = 0; pending < 3; ++pending) {
      if (const int32_t s = At(pos, kX12 + pending).cost; s != kUnreached) {
        Relax(pos + 1, kX12 + kNextPending[pending + 1], s + kTripleValue, pos, kX12 + pending);
      }
    }
  }
  if (k.edifact) {
    for (int pending = 0; pending < 4; ++pending) {
      if (const int32_t s = At(pos, kEdifact + pending).cost; s != kUnreached) {
        Relax(pos + 1, kEdifact + (pending + 1) % 4, s + kEdifactValue, pos, kEdifact + pending);
      }
    }
  }
}

void Encodation::Run() {
  At(0, kAscii) = {gs1_ ? kCw : 0, -1, 0};  // GS1: FNC1 comes first
  starts_.reserve(static_cast<size_t>(length_) + 1);
  for (int32_t pos = 0; pos <= length_; ++pos) {
    Base256Runs(pos);
    SwitchSchemes(pos);
    if (pos == length_) break;
    if (const int32_t a = At(pos, kAscii).cost; a != kUnreached && !IsFnc1(value_[pos])) {
      const int32_t k = a - pos * kCw;
      while (starts_.size() > starts_head_ && starts_.back().key >= k) {
        starts_.pop_back();
      }
      starts_.push_back({pos, k});
    }
    Advance(pos);
  }
}

std::vector<EndOption> Encodation::Endings() const {
  constexpr int32_t kAny = std::numeric_limits<int32_t>::max();
  std::vector<EndOption> out;
  out.reserve(14);  // at most: 3 plain, 8 C40/Text/X12, 3 EDIFACT
  const auto add = [&](Ending e, int32_t pos, int node, int32_t lo, int32_t hi) {
    out.push_back({e, pos, static_cast<uint8_t>(node), lo, hi});
  };
  const auto cw = [&](int32_t pos, int node) { return At(pos, node).cost / kCw; };
  const auto reached = [&](int32_t pos, int node) { return pos >= 0 && At(pos, node).cost != kUnreached; };
  if (reached(length_, kAscii)) {
    // An EDIFACT unlatch of one value spans two codewords; a reader takes a
    // group that starts within two codewords of the end as ASCII, so at
    // least one codeword must follow it.
    const Step& s = At(length_, kAscii);
    const bool short_group = s.from_pos == length_ && s.from_node == kEdifact + 1;
    add(Ending::kPlain, length_, kAscii, cw(length_, kAscii) + (short_group ? 1 : 0), kAny);
  }
  for (int run : {kBase256, kBase256Long}) {
    if (reached(length_, run)) add(Ending::kPlain, length_, run, cw(length_, run), kAny);
  }
  for (int base : {kC40, kText, kX12}) {
    if (reached(length_, base)) add(Ending::kTripleBoundary, length_, base, cw(length_, base), kAny);
    if (base != kX12 && reached(length_, base + 2)) {
      const int32_t t = (At(length_, base + 2).cost + kTripleValue) / kCw;
      add(Ending::kTriplePadded, length_, base + 2, t, t);
    }
    if (length_ > 0 && reached(length_ - 1, base) && value_[length_ - 1] < 128) {
      const int32_t t = cw(length_ - 1, base) + 1;
      add(Ending::kTripleAsciiLast, length_ - 1, base, t, t);
    }
  }
  if (reached(length_, kEdifact)) add(Ending::kEdifactBoundary, length_, kEdifact, cw(length_, kEdifact), kAny);
  // EDIFACT, then the last byte or two in ASCII within the two codewords a
  // reader takes as ASCII without an unlatch.
  for (int32_t tail = 1; tail <= 2; ++tail) {
    const int32_t from = length_ - tail;
    if (!reached(from, kEdifact)) continue;
    int32_t a = 0;
    if (tail == 2 && IsDigit(value_[from]) && IsDigit(value_[from + 1])) {
      a = 1;
    } else {
      for (int32_t i = from; i < length_; ++i) a += IsFnc1(value_[i]) ? 1 : AsciiCost(value_[i]) / kCw;
    }
    if (a > 2) continue;
    const int32_t t = cw(from, kEdifact);
    add(Ending::kEdifactAsciiTail, from, kEdifact, t + a, t + 2);
  }
  return out;
}

// Writes the codewords of the path that ends as `end` describes, then pads.
class Writer {
 public:
  Writer(const uint8_t* v, bool gs1, int32_t capacity, std::vector<uint8_t>& out)
      : value_(v), gs1_(gs1), capacity_(capacity), out_(out) {}

  void Ascii(int32_t pos, bool pair) {
    const uint8_t c = value_[pos];
    if (pair) {
      out_.push_back(static_cast<uint8_t>(kDigitPairBase + (c - '0') * 10 + (value_[pos + 1] - '0')));
    } else if (gs1_ && c == static_cast<uint8_t>(kGroupSeparator)) {
      out_.push_back(kFnc1);
    } else if (c >= 128) {
      out_.push_back(kUpperShift);
      out_.push_back(static_cast<uint8_t>(c - 128 + 1));
    } else {
      out_.push_back(static_cast<uint8_t>(c + 1));
    }
  }
  void TripleValue(uint8_t x) {
    pending_[pending_count_++] = x;
    if (pending_count_ == 3) FlushTriple();
  }
  void FlushTriple() {
    const int32_t packed = 1600 * pending_[0] + 40 * pending_[1] + pending_[2] + 1;
    out_.push_back(static_cast<uint8_t>(packed >> 8));
    out_.push_back(static_cast<uint8_t>(packed & 0xFF));
    pending_count_ = 0;
  }
  void EdifactValue(uint8_t x) {
    bits_ = (bits_ << 6) | (x & 0x3F);
    nbits_ += 6;
    while (nbits_ >= 8) {
      nbits_ -= 8;
      out_.push_back(static_cast<uint8_t>(bits_ >> nbits_));
    }
    bits_ &= (1u << nbits_) - 1;
  }
  void EdifactUnlatch() {
    EdifactValue(kEdifactUnlatch);
    if (nbits_ > 0) out_.push_back(static_cast<uint8_t>(bits_ << (8 - nbits_)));
    bits_ = 0;
    nbits_ = 0;
  }
  void Base256(int32_t start, int32_t end) {
    const int32_t length = end - start;
    const size_t header = out_.size();
    if (length <= 249) {
      out_.push_back(static_cast<uint8_t>(length));
    } else {
      out_.push_back(static_cast<uint8_t>(length / 250 + 249));
      out_.push_back(static_cast<uint8_t>(length % 250));
    }
    out_.insert(out_.end(), value_ + start, value_ + end);
    // The 255-state randomising of every Base 256 codeword, by position.
    for (size_t i = header; i < out_.size(); ++i) {
      const int32_t pseudo = ((149 * static_cast<int32_t>(i + 1)) % 255) + 1;
      const int32_t r = out_[i] + pseudo;
      out_[i] = static_cast<uint8_t>(r <= 255 ? r : r - 256);
    }
  }
  int32_t size() const { return static_cast<int32_t>(out_.size()); }
  int32_t capacity() const { return capacity_; }
  void Push(uint8_t cw) { out_.push_back(cw); }
  // Pads with the 253-state randomising after the first pad.
  void Pad() {
    if (size() < capacity_) out_.push_back(kPad);
    while (size() < capacity_) {
      const int32_t pseudo = ((149 * (size() + 1)) % 253) + 1;
      const int32_t r = kPad + pseudo;
      out_.push_back(static_cast<uint8_t>(r <= 254 ? r : r - 254));
    }
  }

 private:
  const uint8_t* value_;
  bool gs1_;
  int32_t capacity_;
  std::vector<uint8_t>& out_;
  std::array<uint8_t, 3> pending_{};
  int pending_count_ = 0;
  uint32_t bits_ = 0;
  int nbits_ = 0;
};

int SchemeOf(int node) {
  if (node >= kBase256) return kBase256;
  if (node >= kEdifact) return kEdifact;
  if (node >= kX12) return kX12;
  if (node >= kText) return kText;
  if (node >= kC40) return kC40;
  return kAscii;
}

// Walked twice, back from the end: once to count the hops, once to put
// them in order, so the path is allocated once.
std::vector<Hop> Encodation::PathTo(const EndOption& end) const {
  const auto back = [&](Hop h) -> Hop {
    const Step& s = At(h.pos, h.node);
    return {s.from_pos, s.from_node};
  };
  size_t count = 0;
  for (Hop h{end.pos, end.node}; h.pos >= 0; h = back(h)) ++count;
  std::vector<Hop> path(count);
  for (Hop h{end.pos, end.node}; h.pos >= 0; h = back(h)) path[--count] = h;
  return path;
}

void Encodation::EmitSwitch(Hop from, Hop to, Writer& w, int32_t base256_start) const {
  const int from_scheme = SchemeOf(from.node), to_scheme = SchemeOf(to.node);
  if (from_scheme == kAscii) {
    static constexpr std::array<uint8_t, kNodes> kLatch{0, kLatchC40, 0, 0, kLatchText, 0, 0,
                                                        kLatchX12, 0, 0, kLatchEdifact};
    w.Push(kLatch[to_scheme]);
  } else if (from_scheme == kBase256) {
    w.Base256(base256_start, to.pos);
  } else if (from_scheme == kEdifact) {
    // Within two codewords of the end a reader returns to ASCII unasked.
    if (from.node != kEdifact || w.capacity() - w.size() > 2) w.EdifactUnlatch();
  } else {
    w.Push(kUnlatch);
  }
}

void Encodation::EmitValues(Hop from, Hop to, Writer& w) const {
  const int scheme = SchemeOf(from.node);
  const uint8_t c = value_[from.pos];
  if (scheme == kAscii) {
    w.Ascii(from.pos, to.pos - from.pos == 2);
  } else if (scheme == kC40 || scheme == kText) {
    const TripleValues values = C40Values(c, scheme == kText, gs1_);
    for (int k = 0; k < values.count; ++k) w.TripleValue(values.v[k]);
  } else if (scheme == kX12) {
    w.TripleValue(static_cast<uint8_t>(X12Value(c)));
  } else if (scheme == kEdifact) {
    w.EdifactValue(static_cast<uint8_t>(c & 0x3F));
  }
}

void Encodation::EmitEnding(const EndOption& end, int32_t capacity, int32_t base256_start,
                            Writer& w) const {
  switch (end.ending) {
    case Ending::kPlain:
      if (SchemeOf(end.node) == kBase256) w.Base256(base256_start, length_);
      break;
    case Ending::kTripleBoundary:
      if (w.size() < capacity) w.Push(kUnlatch);
      break;
    case Ending::kTriplePadded:
      w.TripleValue(0);
      break;
    case Ending::kTripleAsciiLast:
      w.Ascii(length_ - 1, false);
      break;
    case Ending::kEdifactBoundary:
      if (capacity - w.size() > 2) w.EdifactUnlatch();
      break;
    case Ending::kEdifactAsciiTail:
      for (int32_t pos = end.pos; pos < length_;) {
        const bool pair = pos + 1 < length_ && IsDigit(value_[pos]) && IsDigit(value_[pos + 1]);
        w.Ascii(pos, pair);
        pos += pair ? 2 : 1;
      }
      break;
  }
}

void Encodation::Emit(const EndOption& end, int32_t capacity, std::vector<uint8_t>& out) const {
  const std::vector<Hop> path = PathTo(end);
  Writer w(value_, gs1_, capacity, out);
  if (gs1_) w.Push(kFnc1);
  int32_t base256_start = -1;  // where the open Base 256 run began
  for (size_t i = 1; i < path.size(); ++i) {
    const Hop from = path[i - 1], to = path[i];
    if (SchemeOf(to.node) == kBase256 && SchemeOf(from.node) == kAscii) {
      w.Push(kLatchBase256);  // a whole run, written back to its start when it ends
      base256_start = from.pos;
    } else if (to.pos == from.pos) {
      EmitSwitch(from, to, w, base256_start);  // a latch or an unlatch
    } else {
      EmitValues(from, to, w);
    }
  }
  EmitEnding(end, capacity, base256_start, w);
  w.Pad();
}

}  // namespace

bool DataMatrixFormOf(int32_t check, DataMatrixForm& form) {
  if (check < 0 || check > 3) return false;
  form.rectangles = check == 1 || check == 3;
  form.gs1 = check >= 2;
  return true;
}

int32_t DataMatrixEncodation(std::string_view value, const DataMatrixForm& form,
                             const DataMatrixSize*& size, std::vector<uint8_t>& codewords) {
  const int32_t largest = DataMatrixSizes().back().data_codewords;
  // No scheme packs more than two bytes (a digit pair) into a codeword.
  if (value.size() > static_cast<size_t>(largest) * 2) return kTooLongForLargestSymbol;
  Encodation enc(value, form.gs1);
  enc.Run();
  const std::vector<EndOption> endings = enc.Endings();
  for (const DataMatrixSize& s : DataMatrixSizes()) {
    if (!s.square() && !form.rectangles) continue;
    const int32_t cap = s.data_codewords;
    const EndOption* best = nullptr;
    for (const EndOption& e : endings) {
      if (e.lo <= cap && cap <= e.hi && (!best || e.Used(cap) < best->Used(cap))) best = &e;
    }
    if (!best) continue;
    size = &s;
    codewords.clear();
    codewords.reserve(static_cast<size_t>(cap) + s.ecc_codewords);
    enc.Emit(*best, cap, codewords);
    return kOk;
  }
  return kTooLongForLargestSymbol;
}

}  // namespace tavo
