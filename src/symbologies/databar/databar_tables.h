// The tables of GS1 DataBar (ISO/IEC 24724) that the encoder
// (databar.cpp, databar_expanded.cpp) and the model's reader (model/src/databar/) share.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavo {

// How the characters of one group of values are built: the first value of
// the group, the number of even-element patterns (which divides the value),
// and for the odd and the even elements their total modules and widest
// element.  Omnidirectional outside characters (values 0-2840, 16 modules)
// and inside characters (0-1596, 15 modules), and Limited characters
// (0-2013570, 26 modules): ISO/IEC 24724's tables of character groups.  The
// numbers as in zint's backend/rss.h (BSD-3-Clause, used as facts), checked
// against zint's symbols.
struct DatabarGroup {
  int first;
  int even_patterns;  // Omnidirectional inside characters: the odd patterns
  int8_t odd_modules, even_modules, odd_widest, even_widest;
};

inline constexpr DatabarGroup kDatabarOutsideGroups[] = {
    {0, 1, 12, 4, 8, 1}, {161, 10, 10, 6, 6, 3}, {961, 34, 8, 8, 4, 5}, {2015, 70, 6, 10, 3, 6},
    {2715, 126, 4, 12, 1, 8},
};
inline constexpr DatabarGroup kDatabarInsideGroups[] = {
    {0, 4, 5, 10, 2, 7}, {336, 20, 7, 8, 4, 5}, {1036, 48, 9, 6, 6, 3}, {1516, 81, 11, 4, 8, 1},
};
inline constexpr DatabarGroup kDatabarLimitedGroups[] = {
    {0, 28, 17, 9, 6, 3},          {183064, 728, 13, 13, 5, 4}, {820064, 6454, 9, 17, 3, 6},
    {1000776, 203, 15, 11, 5, 4},  {1491021, 2408, 11, 15, 4, 5}, {1979845, 1, 19, 7, 8, 1},
    {1996939, 16632, 7, 19, 1, 8},
};

// Omnidirectional finder patterns, values 0-8, as their five element widths
// from the left of the left finder: ISO/IEC 24724's finder table (zint's
// backend/rss.h, BSD-3-Clause).
inline constexpr uint8_t kDatabarFinders[9][5] = {
    {3, 8, 2, 1, 1}, {3, 5, 5, 1, 1}, {3, 3, 7, 1, 1}, {3, 1, 9, 1, 1}, {2, 7, 4, 1, 1},
    {2, 5, 6, 1, 1}, {2, 3, 8, 1, 1}, {1, 5, 7, 1, 1}, {1, 3, 9, 1, 1},
};

// Checksum weights of the 32 elements of the four characters, modulo 79:
// ISO/IEC 24724 table 5 (zint's rss.h).
inline constexpr uint8_t kDatabarWeights[4][8] = {
    {1, 3, 9, 27, 2, 6, 18, 54}, {4, 12, 36, 29, 8, 24, 72, 58},
    {16, 48, 65, 37, 32, 17, 51, 74}, {64, 34, 23, 69, 49, 68, 46, 59},
};

// Limited check characters, values 0-88: the 14 element widths of each
// (18 modules): ISO/IEC 24724's Limited check character table (zint's
// backend/rss.h, BSD-3-Clause).
inline constexpr std::string_view kDatabarLimitedChecks[89] = {
    "11111111113311", "11111111123211", "11111111133111", "11111112113211", "11111112123111",
    "11111113113111", "11111211113211", "11111211123111", "11111212113111", "11111311113111",
    "11121111113211", "11121111123111", "11121112113111", "11121211113111", "11131111113111",
    "12111111113211", "12111111123111", "12111112113111", "12111211113111", "12121111113111",
    "13111111113111", "11111111212311", "11111111222211", "11111111232111", "11111112212211",
    "11111112222111", "11111113212111", "11111211212211", "11111211222111", "11111212212111",
    "11111311212111", "11121111212211", "11121111222111", "11121112212111", "11121211212111",
    "11131111212111", "12111111212211", "12111111222111", "12111112212111", "12111211212111",
    "12121111212111", "13111111212111", "11111111311311", "11111111321211", "11111112311211",
    "11121111311211", "12111111311211", "11111121112311", "11111121122211", "11111121132111",
    "11111122112211", "11121121112211", "11121121122111", "11121122112111", "11121221112111",
    "11131121112111", "12111121112211", "12111121122111", "12121121112111", "11112111112311",
    "11112111122211", "11112111132111", "11112112112211", "11112112122111", "11112211112211",
    "12112111112211", "12112111122111", "12112112112111", "12112211112111", "12122111112111",
    "13112111112111", "11211111112311", "11211111122211", "11211111132111", "11211112112211",
    "11211112122111", "11211113112111", "11211211112211", "11211211122111", "11221111112211",
    "21111111122211", "21111111132111", "21111112112211", "21111112122111", "21111113112111",
    "21111211122111", "21111212112111", "21121111122111", "21111111221211",
};

// Checksum weights of the 28 elements of the two Limited characters,
// modulo 89: ISO/IEC 24724 table 7 (zint's rss.h).
inline constexpr uint8_t kDatabarLimitedWeights[28] = {
    1,  3,  9,  27, 81, 65, 17, 51, 64, 14, 42, 37, 22, 66,
    20, 60, 2,  6,  18, 54, 73, 41, 34, 13, 39, 28, 84, 74,
};

// Expanded characters (12 bits, 17 modules): groups of values 0-347,
// 348-1387, 1388-2947,
// 2948-3987 and 3988-4191, the even-pattern count of each, and odd/even
// modules and widest elements.  ISO/IEC 24724 table 13, the numbers as in
// zint's backend/rss.h (BSD-3-Clause, used as facts).
inline constexpr DatabarGroup kDatabarExpandedGroups[] = {
    {0, 4, 12, 5, 7, 2}, {348, 20, 10, 7, 5, 4}, {1388, 52, 8, 9, 4, 5}, {2948, 104, 6, 11, 3, 6},
    {3988, 204, 4, 13, 1, 8},
};

// Check-character weights of the 8 elements of each weight row, modulo
// 211: ISO/IEC 24724 table 14 (zint's rss.h).
inline constexpr uint8_t kDatabarExpandedWeights[23][8] = {
    {1, 3, 9, 27, 81, 32, 96, 77},         {20, 60, 180, 118, 143, 7, 21, 63},
    {189, 145, 13, 39, 117, 140, 209, 205}, {193, 157, 49, 147, 19, 57, 171, 91},
    {62, 186, 136, 197, 169, 85, 44, 132},  {185, 133, 188, 142, 4, 12, 36, 108},
    {113, 128, 173, 97, 80, 29, 87, 50},    {150, 28, 84, 41, 123, 158, 52, 156},
    {46, 138, 203, 187, 139, 206, 196, 166}, {76, 17, 51, 153, 37, 111, 122, 155},
    {43, 129, 176, 106, 107, 110, 119, 146}, {16, 48, 144, 10, 30, 90, 59, 177},
    {109, 116, 137, 200, 178, 112, 125, 164}, {70, 210, 208, 202, 184, 130, 179, 115},
    {134, 191, 151, 31, 93, 68, 204, 190},  {148, 22, 66, 198, 172, 94, 71, 2},
    {6, 18, 54, 162, 64, 192, 154, 40},     {120, 149, 25, 75, 14, 42, 126, 167},
    {79, 26, 78, 23, 69, 207, 199, 175},    {103, 98, 83, 38, 114, 131, 182, 124},
    {161, 61, 183, 127, 170, 88, 53, 159},  {55, 165, 73, 8, 24, 72, 5, 15},
    {45, 135, 194, 160, 58, 174, 100, 89},
};

// Finder patterns A1 (value 1) to F2 (12) as five widths from the left:
// ISO/IEC 24724 table 15 (zint's rss.h).
inline constexpr uint8_t kDatabarExpandedFinders[12][5] = {
    {1, 8, 4, 1, 1}, {1, 1, 4, 8, 1}, {3, 6, 4, 1, 1}, {1, 1, 4, 6, 3}, {3, 4, 6, 1, 1}, {1, 1, 6, 4, 3},
    {3, 2, 8, 1, 1}, {1, 1, 8, 2, 3}, {2, 6, 5, 1, 1}, {1, 1, 5, 6, 2}, {2, 2, 9, 1, 1}, {1, 1, 9, 2, 2},
};

// The finder of each pair for symbols of 2 to 11 pairs: ISO/IEC 24724
// table 16; and the weight row of each data character for the same sizes
// (zint's rss.h, BSD-3-Clause).
inline constexpr uint8_t kDatabarFinderSequences[10][11] = {
    {1, 2}, {1, 4, 3}, {1, 6, 3, 8}, {1, 10, 3, 8, 5}, {1, 10, 3, 8, 7, 12}, {1, 10, 3, 8, 9, 12, 11},
    {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 10, 9}, {1, 2, 3, 4, 5, 6, 7, 10, 11, 12},
    {1, 2, 3, 4, 5, 8, 7, 10, 9, 12, 11},
};
inline constexpr uint8_t kDatabarWeightRows[10][21] = {
    {0, 1, 2},
    {0, 5, 6, 3, 4},
    {0, 9, 10, 3, 4, 13, 14},
    {0, 17, 18, 3, 4, 13, 14, 7, 8},
    {0, 17, 18, 3, 4, 13, 14, 11, 12, 21, 22},
    {0, 17, 18, 3, 4, 13, 14, 15, 16, 21, 22, 19, 20},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 15, 16},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 19, 20, 21, 22},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 13, 14, 11, 12, 17, 18, 15, 16, 21, 22, 19, 20},
};

}  // namespace tavo
