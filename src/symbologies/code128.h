// The routines of the Code 128 encoder: font codes of the symbol values, the
// look-ahead tests that choose code sets, the removal of redundant code-set
// changes and the modulo-103 check character.
//
// Value bytes: 1..127 are ASCII data, 185/178/179/188 are FNC1/FNC2/FNC3/FNC4,
// and 199 (or 0 inside the library) is NUL as data.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "interface/translate.h"

namespace tavo {

// A run of consecutive symbol values drawn by consecutive font codes.
struct Code128CodeRun {
  int first_value;
  int last_value;
  int first_code;
};

// The Code 128 fonts: font codes of the symbol values 0..106, from which the
// encoders emit and which the symbol model (model/src/code128.cpp) reads
// back.  The fonts leave the control codes, 126..129, 141..144, 157..160 and
// 235 unused, so the values sit in runs.
inline constexpr Code128CodeRun kCode128ValueRuns[] = {
    {0, 0, 243},   {1, 2, 244},     {3, 13, 130},    {14, 17, 246},
    {18, 29, 145}, {30, 32, 250},   {33, 106, 161},
};
// Font codes of the set C digit pairs 00..99, apart from the value codes.
inline constexpr Code128CodeRun kCode128PairRuns[] = {{0, 92, 33}, {93, 99, 236}};

template <size_t N, size_t R>
constexpr std::array<unsigned char, N> ExpandCode128Runs(const Code128CodeRun (&runs)[R]) {
  std::array<unsigned char, N> codes{};
  for (const Code128CodeRun& run : runs) {
    for (int v = run.first_value; v <= run.last_value; ++v) {
      const int code = run.first_code + v - run.first_value;
      codes[static_cast<size_t>(v)] = static_cast<unsigned char>(code);
    }
  }
  return codes;
}

inline constexpr std::array<unsigned char, 107> kCode128ValueCodes = ExpandCode128Runs<107>(kCode128ValueRuns);
inline constexpr std::array<unsigned char, 100> kCode128PairCodes = ExpandCode128Runs<100>(kCode128PairRuns);

// Font code of a symbol value 0..106 (data in sets A and B, code-set changes,
// shifts, FNC1..FNC4, start, stop).  0 for a value out of range.
char Code128ValueChar(int value);

// Font code of a set C digit pair 00..99.  0 for a pair out of range.
char Code128PairChar(int pair);

// Symbol value of a font code that a symbol's start character or body may
// hold (pair codes, value codes 0..105); -1 for any other code.
int Code128CharValue(char code);

// s is exactly two digits, or exactly FNC1.
bool IsExactPair(std::string_view s);

// s begins with a digit or FNC1 followed by a digit, or is exactly FNC1:
// set C can write its head in place.
bool HasPairAhead(std::string_view s);

// s begins with four digits, with FNC1 and two digits, or with two digits
// and FNC1: worth entering set C for.
bool HasRunAhead(std::string_view s);

// The leading run of s has an even weight above 0: each digit weighs 1, FNC1
// at an even position weighs 2, anything else (FNC1 at an odd position too)
// ends the run.
bool HasEvenRun(std::string_view s);

// s holds a character only set A can write, and later one only set B can.
bool HasAThenB(std::string_view s);

// s holds a character only set B can write, and later one only set A can.
bool HasBThenA(std::string_view s);

// The sequence from the start character to the last body character, without
// each code-set change that another change follows at once towards a third
// set.  Two changes that lead back to the set before them both stay.
FontString Code128DropRedundantChanges(std::string_view sequence);

// Font code of the modulo-103 check character over the sequence from the
// start character to the last body character.
char Code128CheckChar(std::string_view sequence);

}  // namespace tavo
