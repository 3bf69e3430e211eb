// The routines of the Code 128 encoder: font codes of the symbol values, the
// look-ahead tests that choose code sets, the removal of redundant code-set
// changes and the modulo-103 check character.
//
// Value bytes: 1..127 are ASCII data, 185/178/179/188 are FNC1/FNC2/FNC3/FNC4,
// and 199 (or 0 inside the library) is NUL as data.
#pragma once

#include <string_view>

#include "interface/translate.h"

namespace tavo {

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
