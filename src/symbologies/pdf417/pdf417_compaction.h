// The data codewords of PDF417 and MicroPDF417 (ISO/IEC 15438:2015, 5.4;
// ISO/IEC 24728): Text, Byte and Numeric Compaction, switched where the
// codeword count is smallest.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavo::pdf417 {

// The mode latches and shifts (ISO/IEC 15438:2015, 5.4.1, Table 4).
inline constexpr uint16_t kLatchText = 900;
inline constexpr uint16_t kLatchByte = 901;    // a byte count that is no multiple of 6
inline constexpr uint16_t kLatchNumeric = 902;
inline constexpr uint16_t kShiftByte = 913;    // one byte, from Text Compaction
inline constexpr uint16_t kLatchByte6 = 924;   // a byte count that is a multiple of 6
inline constexpr uint16_t kEciUser = 925;      // 810900 .. 811799, one codeword
inline constexpr uint16_t kEciGeneral = 926;   // 900 .. 810899, two codewords
inline constexpr uint16_t kEciCharset = 927;   // 0 .. 899, one codeword
inline constexpr int kMaxEci = 811799;

// Appends the data codewords of `bytes` to `out`, starting in Text
// Compaction's Alpha submode as both symbologies do, with an ECI designator
// first when `eci` >= 0 (at most kMaxEci).  The mode of each byte is chosen
// by a shortest path over the modes and submodes, so the count is as small
// as these three compactions allow.  No length descriptor, no padding, no
// error correction.  Time and memory are linear in the length.
void Compact(std::string_view bytes, int eci, std::vector<uint16_t>& out);

// The same for MicroPDF417, which starts in Byte Compaction (ISO/IEC 24728,
// 5.4.3): the first byte takes a latch whatever its mode (900 before text),
// and the modes are chosen with that cost counted.
void CompactMicro(std::string_view bytes, int eci, std::vector<uint16_t>& out);

}  // namespace tavo::pdf417
