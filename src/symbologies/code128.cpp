// Code 128: start character, data in code sets A, B and C chosen by fixed
// look-ahead rules, shifts, function characters, the modulo-103 check
// character and the stop character.
#include "symbologies/code128.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "symbologies/encoders.h"

namespace tavo {
namespace {

// Value bytes with a meaning of their own.
constexpr unsigned char kFnc1 = 185;
constexpr unsigned char kFnc2 = 178;
constexpr unsigned char kFnc3 = 179;
constexpr unsigned char kFnc4 = 188;
constexpr unsigned char kNulData = 199;

// Symbol values of the fixed characters.
constexpr int kValueFnc3 = 96;
constexpr int kValueFnc2 = 97;
constexpr int kValueShift = 98;
constexpr int kValueFnc1 = 102;
constexpr int kValueStop = 106;

// Code sets, in the order of their start characters (Start A is 103).
enum CodeSet : int { kSetA = 0, kSetB = 1, kSetC = 2 };

constexpr int StartValue(CodeSet set) { return 103 + set; }
// CODE A is 101, CODE B 100, CODE C 99, whichever set they are read in.
constexpr int ChangeValue(CodeSet set) { return 101 - set; }

// The font codes of the symbol values and digit pairs (code128.h).
constexpr const auto& kValueChars = kCode128ValueCodes;
constexpr const auto& kPairChars = kCode128PairCodes;
static_assert(kValueChars.size() == 107 && kPairChars.size() == 100);
static_assert(kValueChars[0] == 243 && kValueChars[32] == 252 && kValueChars[106] == 234);
static_assert(kPairChars[0] == 33 && kPairChars[92] == 125 && kPairChars[99] == 242);

// Symbol value of each font code a start character or body may hold: every
// pair code and every value code but Stop's; -1 elsewhere.
constexpr std::array<int8_t, 256> kCharValues = [] {
  std::array<int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (size_t v = 0; v < kPairChars.size(); ++v) values[kPairChars[v]] = static_cast<int8_t>(v);
  for (size_t v = 0; v < kValueStop; ++v) values[kValueChars[v]] = static_cast<int8_t>(v);
  return values;
}();

// Every value code and pair code is distinct, so a font code reads back as
// one value and the body never mistakes a pair for a set change.
constexpr bool AllCodesDistinct() {
  std::array<bool, 256> seen{};
  for (unsigned char c : kValueChars) {
    if (seen[c] || c < 33) return false;
    seen[c] = true;
  }
  for (unsigned char c : kPairChars) {
    if (seen[c] || c < 33) return false;
    seen[c] = true;
  }
  return true;
}
static_assert(AllCodesDistinct());

constexpr unsigned char Byte(char c) { return static_cast<unsigned char>(c); }
constexpr bool IsDigit(unsigned char b) { return b >= '0' && b <= '9'; }
// Characters that set A holds and set B does not: control codes and NUL.
constexpr bool IsAOnly(unsigned char b) { return b < 32 || b == kNulData; }
// Characters that set B holds and set A does not: grave accent, lower case,
// braces, bar, tilde and DEL.
constexpr bool IsBOnly(unsigned char b) { return b >= 96 && b < 128; }

char ValueChar(int value) { return static_cast<char>(kValueChars[static_cast<size_t>(value)]); }

// Symbol value of a validated value byte written in set A or set B.  NUL as
// data arrives as 0 or as 199; both are value 64 in set A.
constexpr int ValueInSet(unsigned char b, CodeSet set) {
  switch (b) {
    case kFnc1: return kValueFnc1;
    case kFnc2: return kValueFnc2;
    case kFnc3: return kValueFnc3;
    case kFnc4: return set == kSetA ? 101 : 100;
    case kNulData: return 64;
    default: return b < 32 ? b + 64 : b - 32;
  }
}

// Bytes a value may hold: ASCII 0..127, the four function characters and 199.
constexpr bool IsLegal(unsigned char b) {
  return b < 128 || b == kFnc1 || b == kFnc2 || b == kFnc3 || b == kFnc4 || b == kNulData;
}

// Font code of each legal value byte written in set A and in set B (0 where
// the set cannot write it), so writing data is one table look-up.
constexpr std::array<std::array<unsigned char, 256>, 2> kDataChars = [] {
  std::array<std::array<unsigned char, 256>, 2> codes{};
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    if (!IsLegal(byte)) continue;
    if (!IsBOnly(byte)) codes[kSetA][byte] = kValueChars[static_cast<size_t>(ValueInSet(byte, kSetA))];
    if (!IsAOnly(byte)) codes[kSetB][byte] = kValueChars[static_cast<size_t>(ValueInSet(byte, kSetB))];
  }
  return codes;
}();
static_assert(kDataChars[kSetA]['A'] == 161 && kDataChars[kSetA][1] == 193 && kDataChars[kSetA][0] == 192);
static_assert(kDataChars[kSetB]['a'] == 193 && kDataChars[kSetB][kFnc4] == 228);

// One past the last position i of v from which `first` holds at some j >= i
// and `second` at some later k > j; the test holds for exactly the suffixes
// that start before it.
template <class First, class Second>
size_t FollowedByEnd(std::string_view v, First first, Second second) {
  bool second_seen = false;
  for (size_t i = v.size(); i-- > 0;) {
    if (second_seen && first(Byte(v[i]))) return i + 1;
    if (second(Byte(v[i]))) second_seen = true;
  }
  return 0;
}

// What the look-ahead tests say about the rest of the value at a position.
enum AheadFlag : char {
  kEvenRunAhead = 1,   // HasEvenRun
  kRunAhead = 2,       // HasRunAhead
  kPairAhead = 4,      // HasPairAhead
};

// What the code-set rules ask about the rest of the value at each position,
// worked out once so that every decision takes constant time.
struct Lookahead {
  size_t a_then_b_end = 0;  // HasAThenB(value from p) exactly when p < a_then_b_end
  size_t b_then_a_end = 0;  // HasBThenA(value from p) exactly when p < b_then_a_end
  FontString flags;         // AheadFlag bits of the value from p, one byte per position
};

// The look-ahead flags of a position follow from its own byte (a digit,
// FNC1 or anything else) and a little of what stands after it, so a backward
// pass carries that little as a state and looks the flags up.  State bits:
enum AheadState : uint8_t {
  kNext1Digit = 1,   // byte i + 1 is a digit
  kNext1Fnc1 = 2,    // byte i + 1 is FNC1
  kNext2Digit = 4,   // byte i + 2 ...
  kNext2Fnc1 = 8,
  kNext3Digit = 16,  // byte i + 3 is a digit
  // HasEvenRun: a run's weight depends on which bytes stand at even positions
  // from its start, so the weight parity of the suffix from i + 1 is carried
  // both as seen from an even and from an odd position.
  kOddFromEven = 32,
  kOddFromOdd = 64,
  kAtEnd = 128,      // nothing follows byte i
};

struct AheadStep {
  uint8_t state;  // the state for byte i - 1
  char flags;     // AheadFlag bits of the suffix from byte i
};

enum ByteKind : uint8_t { kOther = 0, kDigitKind = 1, kFnc1Kind = 2 };

// Byte classes the code-set rules test, one table look-up per byte: the
// ByteKind in the low two bits, and the rare classes in bits of their own so
// that one test per byte passes the common ones.
enum ByteClass : uint8_t {
  kKindBits = 3,
  kIllegal = 4,  // neither ASCII, a function character nor 199
  kAOnly = 8,
  kBOnly = 16,
};

constexpr std::array<uint8_t, 256> kByteClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    if (!IsLegal(byte)) {
      classes[byte] = kIllegal;
      continue;
    }
    const int kind = IsDigit(byte) ? kDigitKind : byte == kFnc1 ? kFnc1Kind : kOther;
    classes[byte] = static_cast<uint8_t>(kind | (IsAOnly(byte) ? kAOnly : 0) | (IsBOnly(byte) ? kBOnly : 0));
  }
  return classes;
}();

constexpr AheadStep NextAhead(uint8_t state, ByteKind kind) {
  const bool digit = kind == kDigitKind, fnc1 = kind == kFnc1Kind;
  const bool d1 = state & kNext1Digit, f1 = state & kNext1Fnc1;
  const bool d2 = state & kNext2Digit, f2 = state & kNext2Fnc1, d3 = state & kNext3Digit;
  const bool odd_from_even = state & kOddFromEven, odd_from_odd = state & kOddFromOdd;
  // FNC1 weighs 2 at an even position and ends the run at an odd one.
  const bool from_even = digit ? !odd_from_odd : fnc1 && odd_from_odd;
  const bool from_odd = digit && !odd_from_even;
  int flags = 0;
  if ((digit || fnc1) && !from_even) flags |= kEvenRunAhead;
  if ((digit && d1 && d2 && d3) || (fnc1 && d1 && d2) || (digit && d1 && f2)) flags |= kRunAhead;
  if ((fnc1 && (state & kAtEnd)) || ((digit || fnc1) && d1)) flags |= kPairAhead;
  int next = (digit ? kNext1Digit : 0) | (fnc1 ? kNext1Fnc1 : 0) | (d1 ? kNext2Digit : 0) |
             (f1 ? kNext2Fnc1 : 0) | (d2 ? kNext3Digit : 0) | (from_even ? kOddFromEven : 0) |
             (from_odd ? kOddFromOdd : 0);
  return {static_cast<uint8_t>(next), static_cast<char>(flags)};
}

// Indexed by state * 4 + kind (kind 3 never occurs).
constexpr std::array<AheadStep, 256 * 4> kAheadSteps = [] {
  std::array<AheadStep, 256 * 4> steps{};
  for (int state = 0; state < 256; ++state) {
    for (int kind = 0; kind < 3; ++kind) {
      steps[static_cast<size_t>(state * 4 + kind)] = NextAhead(static_cast<uint8_t>(state), static_cast<ByteKind>(kind));
    }
  }
  return steps;
}();

// Validates the value and fills the look-ahead in one backward pass.  Any
// byte above 127 that is no function character and not 199 gives 32505.
// The pass only gathers which classes of byte occur, so that its loop is a
// chain of two table look-ups; HasAThenB and HasBThenA are worked out after
// it, and only for a value that holds both an A-only and a B-only character.
int32_t ExamineValue(std::string_view v, Lookahead& ahead) {
  // Every byte of the flags is written below before anything reads it.
  char* flags = ahead.flags.Extend(v.size());
  uint8_t state = kAtEnd;
  unsigned seen = 0;  // the union of the bytes' classes
  for (size_t i = v.size(); i-- > 0;) {
    const uint8_t c = kByteClasses[Byte(v[i])];
    const AheadStep step = kAheadSteps[state * 4u + (c & kKindBits)];
    flags[i] = step.flags;
    state = step.state;
    seen |= c;
  }
  if (seen & kIllegal) return kIllegalCharacter;
  if ((seen & kAOnly) && (seen & kBOnly)) {
    ahead.a_then_b_end = FollowedByEnd(v, IsAOnly, IsBOnly);
    ahead.b_then_a_end = FollowedByEnd(v, IsBOnly, IsAOnly);
  }
  return kOk;
}

// Symbol value of each font code a start character or body may hold, 0 for
// any other code (never present), as the check character weighs them.
constexpr std::array<uint8_t, 256> kCheckValues = [] {
  std::array<uint8_t, 256> values{};
  for (size_t c = 0; c < values.size(); ++c) values[c] = static_cast<uint8_t>(std::max<int>(0, kCharValues[c]));
  return values;
}();

// A value byte takes at most three characters: CODE A or CODE B out of set
// C, a shift and the byte (two changes in a row lose one, and a change to
// set C is always followed by a pair or FNC1 that consumes bytes).
constexpr size_t kMaxCharsPerByte = 3;

// Writes the start character and body into room reserved for the longest
// possible sequence, drops redundant code-set changes as it goes by the rule
// of Code128DropRedundantChanges (a change that another change follows at
// once, towards a set other than the one before the first, is taken back),
// and sums the check character's terms as it writes.
class SequenceWriter {
 public:
  SequenceWriter(FontString& out, CodeSet start, size_t value_size)
      : out_(out), begin_(out.size()), set_(start) {
    at_ = first_ = out_.Extend(1 + kMaxCharsPerByte * value_size);
    *at_++ = ValueChar(StartValue(start));
  }
  CodeSet set() const { return set_; }
  void Data(char code) { Data(code, kCheckValues[Byte(code)]); }
  void Data(char code, int value) {
    Put(code, value);
    after_change_ = false;
  }
  void DataInSet(unsigned char b, CodeSet set) { Data(static_cast<char>(kDataChars[set][b])); }
  void Change(CodeSet to) {
    if (after_change_ && to != before_change_) {
      // The previous change only passed through the set in force.
      --at_;
      weighted_ -= total_;
      total_ -= kCheckValues[Byte(*at_)];
    } else {
      before_change_ = set_;
      after_change_ = true;
    }
    Put(ValueChar(ChangeValue(to)), ChangeValue(to));
    set_ = to;
  }
  // Gives back the unused room, and returns the check character.
  char Finish() {
    const size_t n = static_cast<size_t>(at_ - first_);
    out_.resize(begin_ + n);
    // Past this length the sums could pass 64 bits.
    if (n > kExactSumLength) return Code128CheckChar(std::string_view(first_, n));
    // Body character k of m weighs k: the sum of k x value is (m + 1) x the
    // sum of the values less the sum of the running sums.  The start
    // character weighs 1.
    const uint64_t body = (n * total_ - weighted_) % 103;  // n = m + 1
    return ValueChar(static_cast<int>((body + kCheckValues[Byte(*first_)]) % 103));
  }

 private:
  // Below kExactSumLength characters both sums stay under 106 x 2^52.
  static constexpr size_t kExactSumLength = size_t{1} << 26;
  void Put(char code, int value) {
    total_ += static_cast<unsigned>(value);
    weighted_ += total_;
    *at_++ = code;
  }

  FontString& out_;
  size_t begin_;
  char* first_;
  char* at_;
  uint64_t total_ = 0;     // the sum of the body's values
  uint64_t weighted_ = 0;  // the sum of total_ after each body character
  CodeSet set_;
  bool after_change_ = false;      // the last character written is a code-set change
  CodeSet before_change_ = kSetA;  // the set in force before that change
};

// Steps in set A or set B from position p: the bytes the set in force
// writes while no run for set C lies ahead, or else the first byte's own
// step.  Returns how many value bytes it wrote; a code-set change writes none.
size_t StepInSetAOrB(std::string_view v, size_t p, const Lookahead& ahead, SequenceWriter& w) {
  const CodeSet set = w.set();
  size_t q = p;
  for (; q < v.size() && !(ahead.flags[q] & kRunAhead); ++q) {
    const unsigned char code = kDataChars[set][Byte(v[q])];
    if (code == 0) break;  // a character only the other set holds
    w.Data(static_cast<char>(code));
  }
  if (q != p) return q - p;
  const unsigned char first = Byte(v[p]);
  if (ahead.flags[p] & kRunAhead) {
    // An odd run leaves its first byte to the set in force, so set C gets pairs.
    const size_t written = ahead.flags[p] & kEvenRunAhead ? 0 : 1;
    if (written) w.DataInSet(first, set);
    w.Change(kSetC);
    return written;
  }
  const bool in_a = set == kSetA;
  if (in_a ? IsBOnly(first) : IsAOnly(first)) {
    const CodeSet other = in_a ? kSetB : kSetA;
    // Shift when the rest still needs the set in force after this character.
    const bool back_later = in_a ? p + 1 < ahead.a_then_b_end : p + 1 < ahead.b_then_a_end;
    if (p + 2 <= v.size() && back_later) {
      w.Data(ValueChar(kValueShift));
      w.DataInSet(first, other);
      return 1;
    }
    w.Change(other);
    return 0;
  }
  w.DataInSet(first, set);
  return 1;
}

// Steps in set C from position p: the pairs and FNC1s written in place
// while they last, or else a change to set A (when an A-only character comes
// before a B-only one) or set B.  Returns how many value bytes it wrote.
size_t StepInSetC(std::string_view v, size_t p, const Lookahead& ahead, SequenceWriter& w) {
  size_t q = p;
  // A pair ahead is two digits, or FNC1 before a digit or at the end.
  while (q < v.size() && (ahead.flags[q] & kPairAhead)) {
    if (Byte(v[q]) == kFnc1) {
      w.Data(ValueChar(kValueFnc1));
      ++q;
    } else {
      const int pair = (v[q] - '0') * 10 + (v[q + 1] - '0');  // a pair's value is itself
      w.Data(static_cast<char>(kPairChars[static_cast<size_t>(pair)]), pair);
      q += 2;
    }
  }
  if (q == p) w.Change(p < ahead.a_then_b_end ? kSetA : kSetB);
  return q - p;
}

// Appends the start character and body of a validated value, without
// redundant code-set changes, and returns the check character.
char EncodeSequence(std::string_view v, const Lookahead& ahead, FontString& out) {
  CodeSet start = kSetB;
  if (IsExactPair(v) || (!v.empty() && (ahead.flags[0] & kRunAhead))) {
    start = kSetC;
  } else if (0 < ahead.a_then_b_end) {
    start = kSetA;
  }
  SequenceWriter w(out, start, v.size());
  // Each step writes a byte or changes set, and no more than two changes
  // come in a row, so the loop ends.
  for (size_t p = 0; p < v.size();) {
    p += w.set() == kSetC ? StepInSetC(v, p, ahead, w) : StepInSetAOrB(v, p, ahead, w);
  }
  return w.Finish();
}

// The set a font code changes to when read in `set`, if it is a change there.
// 228 in set B and 229 in set A are FNC4 and change nothing.
std::optional<CodeSet> ChangeIn(CodeSet set, unsigned char code) {
  // CODE C, CODE B and CODE A have the consecutive codes 227..229.
  constexpr unsigned char kCodeC = kValueChars[ChangeValue(kSetC)];
  static_assert(kValueChars[ChangeValue(kSetB)] == kCodeC + 1);
  static_assert(kValueChars[ChangeValue(kSetA)] == kCodeC + 2);
  if (code < kCodeC || code > kCodeC + 2) return std::nullopt;
  const auto target = static_cast<CodeSet>(kSetC - (code - kCodeC));
  if (target == set) return std::nullopt;
  return target;
}

std::optional<CodeSet> StartSetOf(unsigned char code) {
  for (CodeSet set : {kSetA, kSetB, kSetC}) {
    if (code == kValueChars[StartValue(set)]) return set;
  }
  return std::nullopt;
}

}  // namespace

char Code128ValueChar(int value) {
  return value >= 0 && value < 107 ? ValueChar(value) : '\0';
}

char Code128PairChar(int pair) {
  return pair >= 0 && pair < 100 ? static_cast<char>(kPairChars[static_cast<size_t>(pair)]) : '\0';
}

int Code128CharValue(char code) { return kCharValues[Byte(code)]; }

bool IsExactPair(std::string_view s) {
  return (s.size() == 2 && IsDigit(Byte(s[0])) && IsDigit(Byte(s[1]))) ||
         (s.size() == 1 && Byte(s[0]) == kFnc1);
}

bool HasPairAhead(std::string_view s) {
  if (s.size() == 1) return Byte(s[0]) == kFnc1;
  return s.size() >= 2 && (IsDigit(Byte(s[0])) || Byte(s[0]) == kFnc1) && IsDigit(Byte(s[1]));
}

bool HasRunAhead(std::string_view s) {
  auto digit = [s](size_t i) { return i < s.size() && IsDigit(Byte(s[i])); };
  auto fnc1 = [s](size_t i) { return i < s.size() && Byte(s[i]) == kFnc1; };
  return (digit(0) && digit(1) && digit(2) && digit(3)) || (fnc1(0) && digit(1) && digit(2)) ||
         (digit(0) && digit(1) && fnc1(2));
}

bool HasEvenRun(std::string_view s) {
  size_t weight = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = Byte(s[i]);
    if (IsDigit(b)) {
      weight += 1;
    } else if (b == kFnc1 && i % 2 == 0) {
      weight += 2;
    } else {
      break;
    }
  }
  return weight > 0 && weight % 2 == 0;
}

bool HasAThenB(std::string_view s) { return FollowedByEnd(s, IsAOnly, IsBOnly) > 0; }

bool HasBThenA(std::string_view s) { return FollowedByEnd(s, IsBOnly, IsAOnly) > 0; }

// The encoder applies this rule while it writes (SequenceWriter); this
// routine applies it to a finished sequence.
FontString Code128DropRedundantChanges(std::string_view sequence) {
  const std::optional<CodeSet> start =
      sequence.empty() ? std::nullopt : StartSetOf(Byte(sequence[0]));
  if (!start) return FontString(sequence);
  CodeSet set = *start;
  FontString kept(1, sequence[0]);  // the start character always stays
  for (size_t i = 1; i < sequence.size(); ++i) {
    const unsigned char code = Byte(sequence[i]);
    kept.push_back(static_cast<char>(code));
    if (set != kSetC && code == kValueChars[kValueShift]) {
      if (i + 1 < sequence.size()) kept.push_back(sequence[++i]);  // data of the other set
      continue;
    }
    const std::optional<CodeSet> change = ChangeIn(set, code);
    if (!change) continue;
    const std::optional<CodeSet> next =
        i + 1 < sequence.size() ? ChangeIn(*change, Byte(sequence[i + 1])) : std::nullopt;
    if (next && *next != set) {
      // The next change leaves at once for a third set, and its code names
      // that set from here as well: this change is redundant.
      kept.pop_back();
      continue;
    }
    set = *change;
  }
  return kept;
}

char Code128CheckChar(std::string_view sequence) {
  if (sequence.empty()) return ValueChar(0);
  // The weight of character k is k mod 103; it counts up through each block
  // of 103 characters, so no division is made per character.  Each term is
  // below 103 x 106 and the 64-bit sum cannot overflow for any sequence that
  // fits in memory.
  uint64_t sum = kCheckValues[Byte(sequence[0])];
  const size_t n = sequence.size();
  for (size_t k = 1; k < n;) {
    const size_t block_end = std::min(n, (k / 103 + 1) * 103);
    for (uint64_t weight = k % 103; k < block_end; ++k, ++weight) {
      sum += weight * kCheckValues[Byte(sequence[k])];
    }
  }
  return ValueChar(static_cast<int>(sum % 103));
}

int32_t EncodeCode128(std::string_view value, const Options&, FontString& out) {
  // Check, start and stop characters are always present, so the options
  // change nothing.
  Lookahead ahead;
  if (int32_t rc = ExamineValue(value, ahead)) return rc;
  const char check = EncodeSequence(value, ahead, out);
  out.push_back(check);
  out.push_back(ValueChar(kValueStop));
  return kOk;
}

}  // namespace tavo
