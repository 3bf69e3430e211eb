// QR Code data segments: the value split into numeric, alphanumeric, byte
// and (on request) Kanji runs so that the bit stream is as short as
// possible, and the bit stream itself.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tavo {

enum class QrMode : uint8_t { kNumeric, kAlphanumeric, kByte, kKanji };
inline constexpr int32_t kQrModeCount = 4;

// Versions 1-9, 10-26 and 27-40 differ in the widths of the character count
// fields, so a value is segmented once per group.
inline constexpr int32_t kQrVersionGroups = 3;
constexpr int32_t QrVersionGroup(int32_t version) { return version <= 9 ? 0 : version <= 26 ? 1 : 2; }

namespace qr_modes {
// The alphanumeric mode's characters, index = value.
// ISO/IEC 18004:2015 Table 5.
inline constexpr std::string_view kAlphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
static_assert(kAlphanumeric.size() == 45);

constexpr std::array<int8_t, 256> MakeAlphanumericValues() {
  std::array<int8_t, 256> v{};
  for (auto& x : v) x = -1;
  for (size_t i = 0; i < kAlphanumeric.size(); ++i) {
    v[static_cast<unsigned char>(kAlphanumeric[i])] = static_cast<int8_t>(i);
  }
  return v;
}
inline constexpr std::array<int8_t, 256> kAlphanumericValues = MakeAlphanumericValues();

// Character count field widths: mode by version group.
// ISO/IEC 18004:2015 Table 3.
inline constexpr int32_t kCountBits[kQrModeCount][kQrVersionGroups] = {
    {10, 12, 14}, {9, 11, 13}, {8, 16, 16}, {8, 10, 12}};

}  // namespace qr_modes

// Width of the character count field of `mode` in `group`.
constexpr int32_t QrCountBits(QrMode mode, int32_t group) {
  return qr_modes::kCountBits[static_cast<int>(mode)][group];
}

// The value of an alphanumeric-mode character, or -1.
constexpr int32_t QrAlphanumericValue(char c) {
  return qr_modes::kAlphanumericValues[static_cast<unsigned char>(c)];
}

// A run of the value, [begin, end), in one mode.
struct QrSegment {
  QrMode mode;
  size_t begin;
  size_t end;
};

// The extended channel interpretation that marks byte data as UTF-8.
// AIM ECI Part 3 (Register): ECI 000026 is UTF-8.
inline constexpr int32_t kQrEciUtf8 = 26;

// How a value is carried beyond its segments: an ECI designator first
// (0 for none), FNC1 in first position (GS1: in alphanumeric mode a group
// separator 0x1D is written "%" and a literal "%" as "%%"), Kanji mode for
// the characters of JIS X 0208 (the value is then UTF-8), and byte mode
// limited to ASCII without backslash and tilde.  That limit goes with Kanji
// mode and no ECI: readers then take bytes as Shift JIS, whose single bytes
// are ASCII but for those two (a yen sign and an overline in JIS X 0201;
// zbar 0.23 reads them so).
// With `sjis_bytes` (and ECI 20, Shift JIS) byte mode also carries the
// characters of JIS X 0208 as their two Shift JIS bytes.
struct QrEncoding {
  int32_t eci = 0;
  bool fnc1 = false;
  bool kanji = false;
  bool ascii_bytes = false;
  bool sjis_bytes = false;
};

// The extended channel interpretation of Shift JIS.
// AIM ECI Part 3 (Register): ECI 000020 is Shift JIS (JIS X 0208).
inline constexpr int32_t kQrEciShiftJis = 20;

// The Kanji mode value (13 bits, ISO/IEC 18004:2015, 7.4.6) of the UTF-8
// character at `at`, and its length in bytes; -1 when it is none of JIS
// X 0208 (or not UTF-8).
int32_t QrKanjiValue(std::string_view value, size_t at, size_t& length);

// The Unicode code point of a Kanji mode value, or 0 for none.
uint32_t QrKanjiCodePoint(uint32_t kanji_value);

// The Shift JIS code of the UTF-8 character at `at` (JIS X 0208 only, as
// QrKanjiValue) and its length in bytes; -1 for none.
int32_t QrShiftJisCode(std::string_view value, size_t at, size_t& length);

// The code point of a Shift JIS double-byte code of JIS X 0208, or 0.
uint32_t QrShiftJisCodePoint(uint32_t shift_jis);

// Whether the value is carried with ECI 26: it is valid UTF-8 and holds a
// byte above 127.  Any other value goes as its bytes, which a reader takes
// as ISO/IEC 8859-1, the default of the symbology.
bool QrNeedsUtf8Eci(std::string_view value);

// The segments of the shortest bit stream for `value` in `group`, and its
// length in bits (the designator of ECI `eci` included unless it is 0).  Linear in the
// value's length.
// `bits` is SIZE_MAX / 2 or more when no segments can carry the value (a
// byte above 127 that neither ASCII bytes nor Kanji mode take).
std::vector<QrSegment> QrOptimalSegments(std::string_view value, int32_t group,
                                         const QrEncoding& encoding, size_t& bits);
inline std::vector<QrSegment> QrOptimalSegments(std::string_view value, int32_t group, int32_t eci,
                                                size_t& bits) {
  return QrOptimalSegments(value, group, QrEncoding{.eci = eci}, bits);
}

// A growing stream of bits, most significant first, packed into codewords.
class QrBitStream {
 public:
  void Append(uint32_t value, int32_t count);
  size_t size() const { return bits_; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t bits_ = 0;
};

// Appends the designator of the encoding's ECI (unless 0, one byte), the
// FNC1 mode indicator if asked, and the segments' mode indicators, counts
// and data.
void QrAppendSegments(std::string_view value, const std::vector<QrSegment>& segments,
                      int32_t group, const QrEncoding& encoding, QrBitStream& out);
inline void QrAppendSegments(std::string_view value, const std::vector<QrSegment>& segments,
                             int32_t group, int32_t eci, QrBitStream& out) {
  QrAppendSegments(value, segments, group, QrEncoding{.eci = eci}, out);
}

}  // namespace tavo
