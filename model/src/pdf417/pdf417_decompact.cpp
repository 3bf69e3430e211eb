// Decompaction of PDF417 data codewords: Text (with its submodes and the
// shift to Byte), Byte (901, 924), Numeric (902) and the ECI designators.
#include "pdf417/pdf417_decompact.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace tavo::pdf417 {
namespace {

// ISO/IEC 15438:2015 Table 2, Mixed values 0-24 and Punctuation 0-28.
constexpr std::string_view kMixed = "0123456789&\r\t,:#-.$/+%*=^";
constexpr std::string_view kPunct = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'";

constexpr int kByteMarker = 1000;  // a text value list's shifted byte b is kByteMarker + b

enum Sub { kAlpha, kLower, kMixed_, kPunct_ };

bool IsEci(uint16_t c) { return c >= 925 && c <= 927; }
bool EndsRun(uint16_t c) { return c >= 900 && c != 913 && !IsEci(c); }

// Reads an ECI designator at `at` (the designator itself); false when cut.
bool ReadEci(std::span<const uint16_t> cw, size_t& at, Decompacted& out) {
  const uint16_t kind = cw[at++];
  const size_t need = kind == 926 ? 2 : 1;
  if (at + need > cw.size()) return false;
  int eci = kind == 927 ? cw[at] : kind == 926 ? 900 * (cw[at] + 1) + cw[at + 1] : 810900 + cw[at];
  if (out.eci < 0) out.eci = eci;
  at += need;
  return true;
}

// One text value in submode `sub` (with a one-value shift in `shift`, -1
// for none); `next` is the value after it, -1 at the end of the run.
void TextValue(int value, int next, int& sub, int& shift, std::string& out) {
  const bool shifted = shift >= 0;
  const int in = shifted ? shift : sub;
  shift = -1;
  if (in == kPunct_) {
    if (value < 29) out += kPunct[value];
    else sub = kAlpha;
    return;
  }
  if (value == 26) { out += ' '; return; }
  if (value < 26 && in != kMixed_) { out += static_cast<char>((in == kAlpha ? 'A' : 'a') + value); return; }
  if (value < 25) { out += kMixed[value]; return; }
  if (shifted) return;  // after as, 27-29 only fill
  if (value == 29) {  // a shift to Punctuation, or the pad before a byte shift or the end
    if (next >= 0 && next < kByteMarker) shift = kPunct_;
    return;
  }
  if (in == kMixed_) { sub = value == 25 ? kPunct_ : value == 27 ? kLower : kAlpha; return; }
  if (value == 28) { sub = kMixed_; return; }
  if (in == kAlpha) sub = kLower;  // 27: ll in Alpha, as in Lower
  else shift = kAlpha;
}

bool TextRun(std::span<const uint16_t> cw, size_t& at, Decompacted& out) {
  std::vector<int> values;
  while (at < cw.size() && !EndsRun(cw[at])) {
    const uint16_t c = cw[at];
    if (IsEci(c)) {
      if (!ReadEci(cw, at, out)) return false;
    } else if (c == 913) {
      if (at + 1 >= cw.size() || cw[at + 1] > 255) return false;
      values.push_back(kByteMarker + cw[at + 1]);
      at += 2;
    } else {
      values.push_back(c / 30);
      values.push_back(c % 30);
      ++at;
    }
  }
  int sub = kAlpha, shift = -1;
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] >= kByteMarker) {
      out.bytes += static_cast<char>(values[i] - kByteMarker);
      continue;
    }
    TextValue(values[i], i + 1 < values.size() ? values[i + 1] : -1, sub, shift, out.bytes);
  }
  return true;
}

bool ByteRun(std::span<const uint16_t> cw, size_t& at, bool by6, Decompacted& out) {
  size_t end = at;
  while (end < cw.size() && cw[end] < 900) ++end;
  const size_t count = end - at;
  size_t groups = count / 5, singles = count % 5;
  if (by6 && singles != 0) return false;
  if (!by6 && singles == 0 && groups > 0) --groups, singles = 5;
  for (size_t g = 0; g < groups; ++g, at += 5) {
    uint64_t value = 0;
    for (size_t k = 0; k < 5; ++k) value = value * 900 + cw[at + k];
    if (value >> 48) return false;
    for (int k = 5; k >= 0; --k) out.bytes += static_cast<char>(value >> (8 * k) & 0xFF);
  }
  for (size_t k = 0; k < singles; ++k, ++at) {
    if (cw[at] > 255) return false;
    out.bytes += static_cast<char>(cw[at]);
  }
  return true;
}

// A group of up to 15 base-900 codewords: decimal digits, a leading 1 dropped.
bool NumericGroup(std::span<const uint16_t> group, std::string& out) {
  std::vector<uint8_t> digits{0};  // least significant first
  for (uint16_t c : group) {
    uint32_t carry = c;
    for (uint8_t& d : digits) {
      const uint32_t v = d * 900u + carry;
      d = static_cast<uint8_t>(v % 10);
      carry = v / 10;
    }
    for (; carry > 0; carry /= 10) digits.push_back(static_cast<uint8_t>(carry % 10));
  }
  while (digits.size() > 1 && digits.back() == 0) digits.pop_back();
  if (digits.back() != 1 || digits.size() < 2) return false;
  for (size_t k = digits.size() - 1; k-- > 0;) out += static_cast<char>('0' + digits[k]);
  return true;
}

bool NumericRun(std::span<const uint16_t> cw, size_t& at, Decompacted& out) {
  size_t end = at;
  while (end < cw.size() && cw[end] < 900) ++end;
  while (at < end) {
    const size_t n = end - at < 15 ? end - at : 15;
    if (!NumericGroup(cw.subspan(at, n), out.bytes)) return false;
    at += n;
  }
  return true;
}

}  // namespace

bool Decompact(std::span<const uint16_t> codewords, Decompacted& out) {
  out = {};
  size_t at = 0;
  uint16_t mode = 900;
  while (at < codewords.size()) {
    bool ok = true;
    if (mode == 900) ok = TextRun(codewords, at, out);
    else if (mode == 901 || mode == 924) ok = ByteRun(codewords, at, mode == 924, out);
    else ok = NumericRun(codewords, at, out);
    if (!ok) return false;
    if (at >= codewords.size()) break;
    mode = codewords[at++];
    if (mode != 900 && mode != 901 && mode != 902 && mode != 924) return false;
  }
  return true;
}

}  // namespace tavo::pdf417
