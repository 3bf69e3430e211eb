// A literal Code 128 encoder for the tests: every code-set rule is applied as
// written, re-reading the whole rest of the value at each step (quadratic
// time, kept simple on purpose).  The library's encoder must produce the same
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::test::reference {

inline bool Digit(unsigned char b) { return b >= '0' && b <= '9'; }
inline bool AOnly(unsigned char b) { return b <= 31 || b == 199; }
inline bool BOnly(unsigned char b) { return b >= 96 && b <= 127; }
inline unsigned char At(std::string_view s, size_t i) { return static_cast<unsigned char>(s[i]); }

inline int FontCode(int value) {
  if (value == 0) return 243;
  if (value <= 2) return value + 243;
  if (value <= 13) return value + 127;
  if (value <= 17) return value + 232;
  if (value <= 29) return value + 127;
  if (value <= 32) return value + 220;
  return value + 128;
}

inline int PairCode(int pair) { return pair <= 92 ? pair + 33 : pair + 143; }

inline int CodeValue(int code) {
  if (code >= 33 && code <= 125) return code - 33;
  if ((code >= 130 && code <= 140) || (code >= 145 && code <= 156)) return code - 127;
  if (code >= 161 && code <= 233) return code - 128;
  if (code >= 236 && code <= 242) return code - 143;
  if (code >= 243 && code <= 245) return code - 243;
  if (code >= 246 && code <= 249) return code - 232;
  if (code >= 250 && code <= 252) return code - 220;
  return -1000000;  // never in a start character or body
}

inline int ValueInA(unsigned char b) {
  if (b <= 31) return b + 64;
  if (b == 199) return 64;
  if (b <= 95) return b - 32;
  return b == 178 ? 97 : b == 179 ? 96 : b == 185 ? 102 : 101;  // 188
}

inline int ValueInB(unsigned char b) {
  if (b <= 127) return b - 32;
  return b == 178 ? 97 : b == 179 ? 96 : b == 185 ? 102 : 100;  // 188
}

inline bool IsExactPair(std::string_view s) {
  return (s.size() == 2 && Digit(At(s, 0)) && Digit(At(s, 1))) || s == "\xB9";
}

inline bool HasPairAhead(std::string_view s) {
  return (s.size() >= 2 && (Digit(At(s, 0)) || At(s, 0) == 185) && Digit(At(s, 1))) ||
         s == "\xB9";
}

inline bool HasRunAhead(std::string_view s) {
  if (s.size() >= 4 && Digit(At(s, 0)) && Digit(At(s, 1)) && Digit(At(s, 2)) && Digit(At(s, 3)))
    return true;
  if (s.size() >= 3 && At(s, 0) == 185 && Digit(At(s, 1)) && Digit(At(s, 2))) return true;
  return s.size() >= 3 && Digit(At(s, 0)) && Digit(At(s, 1)) && At(s, 2) == 185;
}

inline bool HasEvenRun(std::string_view s) {
  int weight = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (Digit(At(s, i))) {
      weight += 1;
    } else if (At(s, i) == 185 && i % 2 == 0) {
      weight += 2;
    } else {
      break;
    }
  }
  return weight > 0 && weight % 2 == 0;
}

// first(s[i]) and second(s[j]) for some i < j: the first match of `first`,
// then any match of `second` after it.
template <class F, class G>
bool Before(std::string_view s, F first, G second) {
  size_t i = 0;
  while (i < s.size() && !first(At(s, i))) ++i;
  for (size_t j = i + 1; j < s.size(); ++j)
    if (second(At(s, j))) return true;
  return false;
}
inline bool HasAThenB(std::string_view s) { return Before(s, AOnly, BOnly); }
inline bool HasBThenA(std::string_view s) { return Before(s, BOnly, AOnly); }

// Sets are 'A', 'B', 'C'; change characters are 229 (CODE A), 228 (CODE B), 227 (CODE C).
inline int ChangeCode(char set) { return set == 'A' ? 229 : set == 'B' ? 228 : 227; }

// The set a code changes to when read in `set`, or 0.
inline char ChangeTarget(char set, int code) {
  if (set != 'A' && code == 229) return 'A';
  if (set != 'B' && code == 228) return 'B';
  if (set != 'C' && code == 227) return 'C';
  return 0;
}

inline std::vector<int> Body(std::string_view v) {
  char set = IsExactPair(v) || HasRunAhead(v) ? 'C' : HasAThenB(v) ? 'A' : 'B';
  std::vector<int> seq = {set == 'A' ? 231 : set == 'B' ? 232 : 233};
  auto write = [&](unsigned char b, char in) {
    seq.push_back(FontCode(in == 'A' ? ValueInA(b) : ValueInB(b)));
  };
  size_t p = 0;
  while (p < v.size()) {
    const std::string_view rest = v.substr(p);
    const unsigned char first = At(rest, 0);
    if (set == 'C') {
      if (HasPairAhead(rest)) {
        if (first == 185) {
          seq.push_back(230);
          p += 1;
        } else {
          seq.push_back(PairCode((first - '0') * 10 + (At(rest, 1) - '0')));
          p += 2;
        }
      } else {
        set = HasAThenB(rest) ? 'A' : 'B';
        seq.push_back(ChangeCode(set));
      }
      continue;
    }
    const char other = set == 'A' ? 'B' : 'A';
    if (HasRunAhead(rest)) {
      if (!HasEvenRun(rest)) {
        write(first, set);
        p += 1;
      }
      seq.push_back(227);
      set = 'C';
    } else if (set == 'A' ? BOnly(first) : AOnly(first)) {
      const std::string_view after = rest.substr(1);
      if (rest.size() >= 2 && (set == 'A' ? HasAThenB(after) : HasBThenA(after))) {
        seq.push_back(226);
        write(first, other);
        p += 1;
      } else {
        seq.push_back(ChangeCode(other));
        set = other;
      }
    } else {
      write(first, set);
      p += 1;
    }
  }
  return seq;
}

// Marks every change that another change (judged in the set the first
// selects) follows towards a set other than the one before the first, then
// leaves the marked ones out.
inline std::vector<int> DropRedundant(const std::vector<int>& seq) {
  std::vector<bool> drop(seq.size());
  char set = seq[0] == 231 ? 'A' : seq[0] == 232 ? 'B' : 'C';
  for (size_t i = 1; i < seq.size(); ++i) {
    if (set != 'C' && seq[i] == 226) {
      ++i;
      continue;
    }
    const char to = ChangeTarget(set, seq[i]);
    if (!to) continue;
    if (i + 1 < seq.size()) {
      const char then = ChangeTarget(to, seq[i + 1]);
      if (then && then != set) drop[i] = true;
    }
    set = to;
  }
  std::vector<int> kept;
  for (size_t i = 0; i < seq.size(); ++i)
    if (!drop[i]) kept.push_back(seq[i]);
  return kept;
}

// The whole font string of a value that holds only valid bytes.
inline std::string Encode(std::string_view raw) {
  std::string v(raw);
  for (char& c : v)
    if (c == '\0') c = static_cast<char>(199);
  const std::vector<int> seq = DropRedundant(Body(v));
  uint64_t sum = static_cast<uint64_t>(CodeValue(seq[0]));
  for (size_t k = 1; k < seq.size(); ++k) sum += k * static_cast<uint64_t>(CodeValue(seq[k]));
  std::string out;
  for (int c : seq) out.push_back(static_cast<char>(c));
  out.push_back(static_cast<char>(FontCode(static_cast<int>(sum % 103))));
  out.push_back(static_cast<char>(234));
  return out;
}

}  // namespace tavo::test::reference
