// Code 128: start character, data in code sets A, B and C chosen by fixed
// look-ahead rules, shifts, function characters, the modulo-103 check
// character and the stop character.
#include "symbologies/code128.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// A run of consecutive symbol values drawn by consecutive font codes.
struct CodeRun {
  int first_value;
  int last_value;
  int first_code;
};

// Font codes of the symbol values 0..106: the fonts leave the control codes,
// 126..129, 141..144, 157..160 and 235 unused, so the values sit in runs.
constexpr CodeRun kValueRuns[] = {
    {0, 0, 243},   {1, 2, 244},     {3, 13, 130},    {14, 17, 246},
    {18, 29, 145}, {30, 32, 250},   {33, 106, 161},
};
// Font codes of the set C digit pairs 00..99, apart from the value codes.
constexpr CodeRun kPairRuns[] = {{0, 92, 33}, {93, 99, 236}};

template <size_t N, size_t R>
constexpr std::array<unsigned char, N> ExpandRuns(const CodeRun (&runs)[R]) {
  std::array<unsigned char, N> codes{};
  for (const CodeRun& run : runs) {
    for (int v = run.first_value; v <= run.last_value; ++v) {
      const int code = run.first_code + v - run.first_value;
      codes[static_cast<size_t>(v)] = static_cast<unsigned char>(code);
    }
  }
  return codes;
}

constexpr std::array<unsigned char, 107> kValueChars = ExpandRuns<107>(kValueRuns);
constexpr std::array<unsigned char, 100> kPairChars = ExpandRuns<100>(kPairRuns);
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

// Symbol value of a validated value byte written in set A or set B.
int ValueInSet(unsigned char b, CodeSet set) {
  switch (b) {
    case kFnc1: return kValueFnc1;
    case kFnc2: return kValueFnc2;
    case kFnc3: return kValueFnc3;
    case kFnc4: return set == kSetA ? 101 : 100;
    case kNulData: return 64;
    default: return b < 32 ? b + 64 : b - 32;
  }
}

void AppendInSet(unsigned char b, CodeSet set, FontString& out) {
  out.push_back(ValueChar(ValueInSet(b, set)));
}

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

// What the code-set rules ask about the rest of the value at each position,
// worked out once so that every decision takes constant time.
struct Lookahead {
  size_t a_then_b_end;         // HasAThenB(value from p) exactly when p < a_then_b_end
  size_t b_then_a_end;         // HasBThenA(value from p) exactly when p < b_then_a_end
  std::vector<bool> even_run;  // HasEvenRun(value from p)
};

// HasEvenRun for every suffix in one backward pass.  A run's weight depends on
// which bytes stand at even positions from its start, so the pass carries the
// weight parity of the next suffix seen from an even and from an odd position.
std::vector<bool> EvenRuns(std::string_view v) {
  std::vector<bool> even(v.size());
  bool odd_from_even = false;  // weight of suffix i + 1 is odd when i + 1 is an even position
  bool odd_from_odd = false;   // ... when i + 1 is an odd position
  for (size_t i = v.size(); i-- > 0;) {
    const unsigned char b = Byte(v[i]);
    bool from_even = false, from_odd = false;
    if (IsDigit(b)) {
      from_even = !odd_from_odd;
      from_odd = !odd_from_even;
    } else if (b == kFnc1) {
      from_even = odd_from_odd;  // weighs 2 at an even position, ends the run at an odd one
    }
    even[i] = (IsDigit(b) || b == kFnc1) && !from_even;
    odd_from_even = from_even;
    odd_from_odd = from_odd;
  }
  return even;
}

Lookahead ExamineValue(std::string_view v) {
  return {FollowedByEnd(v, IsAOnly, IsBOnly), FollowedByEnd(v, IsBOnly, IsAOnly), EvenRuns(v)};
}

// The working copy: NUL as 199, and error 32505 at the first byte above 127
// that is no function character and not 199.
int32_t CopyValidated(std::string_view value, std::string& work) {
  work.reserve(value.size());
  for (char c : value) {
    unsigned char b = Byte(c);
    if (b == 0) b = kNulData;
    if (b > 127 && b != kFnc1 && b != kFnc2 && b != kFnc3 && b != kFnc4 && b != kNulData) {
      return kIllegalCharacter;
    }
    work.push_back(static_cast<char>(b));
  }
  return kOk;
}

// One step in set A or set B at position p.  Returns how many value bytes it
// wrote; a code-set change writes none and updates `set`.
size_t StepInSetAOrB(std::string_view rest, size_t p, const Lookahead& ahead, CodeSet& set,
                     FontString& out) {
  const unsigned char first = Byte(rest[0]);
  if (HasRunAhead(rest)) {
    // An odd run leaves its first byte to the set in force, so set C gets pairs.
    const size_t written = ahead.even_run[p] ? 0 : 1;
    if (written) AppendInSet(first, set, out);
    out.push_back(ValueChar(ChangeValue(kSetC)));
    set = kSetC;
    return written;
  }
  const bool in_a = set == kSetA;
  if (in_a ? IsBOnly(first) : IsAOnly(first)) {
    const CodeSet other = in_a ? kSetB : kSetA;
    // Shift when the rest still needs the set in force after this character.
    const bool back_later = in_a ? p + 1 < ahead.a_then_b_end : p + 1 < ahead.b_then_a_end;
    if (rest.size() >= 2 && back_later) {
      out.push_back(ValueChar(kValueShift));
      AppendInSet(first, other, out);
      return 1;
    }
    out.push_back(ValueChar(ChangeValue(other)));
    set = other;
    return 0;
  }
  AppendInSet(first, set, out);
  return 1;
}

// One step in set C at position p: a pair or FNC1 in place, or a change to
// set A (when an A-only character comes before a B-only one) or set B.
size_t StepInSetC(std::string_view rest, size_t p, const Lookahead& ahead, CodeSet& set,
                  FontString& out) {
  if (HasPairAhead(rest)) {
    if (Byte(rest[0]) == kFnc1) {
      out.push_back(ValueChar(kValueFnc1));
      return 1;
    }
    out.push_back(Code128PairChar((rest[0] - '0') * 10 + (rest[1] - '0')));
    return 2;
  }
  set = p < ahead.a_then_b_end ? kSetA : kSetB;
  out.push_back(ValueChar(ChangeValue(set)));
  return 0;
}

// Start character and body of a validated value, before redundant changes go.
FontString EncodeSequence(std::string_view v) {
  const Lookahead ahead = ExamineValue(v);
  CodeSet set = kSetB;
  if (IsExactPair(v) || HasRunAhead(v)) {
    set = kSetC;
  } else if (0 < ahead.a_then_b_end) {
    set = kSetA;
  }
  FontString out;
  out.reserve(2 * v.size() + 4);
  out.push_back(ValueChar(StartValue(set)));
  // Each step writes a byte or changes set, and no more than two changes
  // come in a row, so the loop ends.
  for (size_t p = 0; p < v.size();) {
    const std::string_view rest = v.substr(p);
    p += set == kSetC ? StepInSetC(rest, p, ahead, set, out)
                      : StepInSetAOrB(rest, p, ahead, set, out);
  }
  return out;
}

// The set a font code changes to when read in `set`, if it is a change there.
// 228 in set B and 229 in set A are FNC4 and change nothing.
std::optional<CodeSet> ChangeIn(CodeSet set, unsigned char code) {
  for (CodeSet target : {kSetA, kSetB, kSetC}) {
    if (target != set && code == kValueChars[ChangeValue(target)]) return target;
  }
  return std::nullopt;
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

FontString Code128DropRedundantChanges(std::string_view sequence) {
  const std::optional<CodeSet> start =
      sequence.empty() ? std::nullopt : StartSetOf(Byte(sequence[0]));
  if (!start) return FontString(sequence);
  CodeSet set = *start;
  FontString kept(1, sequence[0]);  // the start character always stays
  kept.reserve(sequence.size());
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
  // Codes outside the start character and body ranges (never present) count 0.
  auto value = [](char code) {
    return static_cast<uint64_t>(std::max(0, Code128CharValue(code)));
  };
  if (sequence.empty()) return ValueChar(0);
  // Weights are kept modulo 103, so each term is below 103 x 106 and the
  // 64-bit sum cannot overflow for any sequence that fits in memory.
  uint64_t sum = value(sequence[0]);
  uint64_t weight = 0;
  for (size_t k = 1; k < sequence.size(); ++k) {
    weight = weight == 102 ? 0 : weight + 1;  // k mod 103
    sum += weight * value(sequence[k]);
  }
  return ValueChar(static_cast<int>(sum % 103));
}

int32_t EncodeCode128(std::string_view value, const Options&, FontString& out) {
  // Check, start and stop characters are always present, so the options
  // change nothing.
  std::string work;
  if (int32_t rc = CopyValidated(value, work)) return rc;
  const FontString sequence = Code128DropRedundantChanges(EncodeSequence(work));
  out.reserve(out.size() + sequence.size() + 2);
  out.append(sequence);
  out.push_back(Code128CheckChar(sequence));
  out.push_back(ValueChar(kValueStop));
  return kOk;
}

}  // namespace tavo
