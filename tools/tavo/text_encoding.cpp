// Text encodings for tavo batch: Windows-1252, UTF-8 and UTF-16.
#include "text_encoding.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavo::text {
namespace {

// Windows-1252 bytes 0x80..0x9F as Unicode code points, from the Unicode
// Consortium's mapping table MAPPINGS/VENDORS/MICSFT/WINDOWS/CP1252.TXT
// (bytes 0xA0..0xFF are the code points of the same number).  The five
// bytes the table leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for
// the C1 control of the same number, as Windows' own conversion maps them.
constexpr uint16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Each Windows-1252 byte in UTF-8: its length and bytes.
struct Utf8Char {
  uint8_t size;
  char bytes[3];
};

constexpr std::array<Utf8Char, 256> kUtf8Of1252 = [] {
  std::array<Utf8Char, 256> t{};
  for (unsigned b = 0; b < 256; ++b) {
    const uint32_t cp = (b >= 0x80 && b < 0xA0) ? kHigh1252[b - 0x80] : b;
    if (cp < 0x80) {
      t[b] = {1, {static_cast<char>(cp), 0, 0}};
    } else if (cp < 0x800) {
      t[b] = {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
    } else {
      t[b] = {3, {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                  static_cast<char>(0x80 | (cp & 0x3F))}};
    }
  }
  return t;
}();

// The number of continuation bytes a UTF-8 lead byte announces (-1: none
// may start here) and the least code point of that length.
int ContinuationsOf(unsigned char b0) {
  return b0 < 0x80 ? 0 : b0 < 0xC2 ? -1 : b0 < 0xE0 ? 1 : b0 < 0xF0 ? 2 : b0 < 0xF5 ? 3 : -1;
}
constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};

void AppendUtf16Le(std::string& out, uint32_t cp) {
  auto unit = [&out](uint32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  };
  if (cp < 0x10000) {
    unit(cp);
  } else {
    unit(0xD800 + ((cp - 0x10000) >> 10));
    unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
  }
}

}  // namespace

std::string_view EncodingName(Encoding e) {
  switch (e) {
    case Encoding::kUtf8: return "utf-8";
    case Encoding::kWindows1252: return "windows-1252";
    case Encoding::kUtf16Le: return "utf-16";
    case Encoding::kUtf16Be: return "utf-16be";
  }
  return "?";
}

std::optional<Encoding> ParseEncoding(std::string_view name) {
  if (name == "utf-8" || name == "utf8" || name == "UTF-8") return Encoding::kUtf8;
  if (name == "windows-1252" || name == "cp1252" || name == "ansi") return Encoding::kWindows1252;
  if (name == "utf-16" || name == "utf-16le" || name == "utf16" || name == "UTF-16") return Encoding::kUtf16Le;
  if (name == "utf-16be") return Encoding::kUtf16Be;
  return std::nullopt;
}

std::string_view ByteOrderMark(Encoding e) {
  switch (e) {
    case Encoding::kUtf8: return "\xEF\xBB\xBF";
    case Encoding::kUtf16Le: return "\xFF\xFE";
    case Encoding::kUtf16Be: return "\xFE\xFF";
    case Encoding::kWindows1252: break;
  }
  return "";
}

std::optional<Encoding> EncodingOfMark(std::string_view first_bytes) {
  for (Encoding e : {Encoding::kUtf8, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    if (first_bytes.substr(0, ByteOrderMark(e).size()) == ByteOrderMark(e)) return e;
  }
  return std::nullopt;
}

#if defined(__SSE2__)
// Sixteen bytes: 0 when they are ASCII and whole two-byte sequences (a lead
// byte C2..DF, then a continuation byte 80..BF: the Latin letters), else
// the bytes above 127 (bit k for byte k), among which the first fault or a
// sequence that goes on past the sixteen.  Signed bytes: 80..BF are
// -128..-65, C2..DF -62..-33.
inline unsigned TwoByteBlockFault(__m128i v) {
  const auto high = static_cast<unsigned>(_mm_movemask_epi8(v));
  if (high == 0) return 0;
  const auto continuations = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmplt_epi8(v, _mm_set1_epi8(-64))));
  const auto leads = static_cast<unsigned>(_mm_movemask_epi8(
      _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-63)), _mm_cmplt_epi8(v, _mm_set1_epi8(-32)))));
  // Every high byte a lead or a continuation, each lead followed by a
  // continuation and each continuation preceded by a lead, none cut at the end.
  const bool pairs = (leads | continuations) == high && continuations == (leads << 1) && leads < 0x8000;
  return pairs ? 0 : high;
}

// From i, thirty-two bytes at a time (one test when all are ASCII), then
// sixteen, while they are ASCII and whole two-byte sequences: where that
// stops (at a byte above 127), or the last 15 bytes or fewer.
size_t SkipTwoByteText(std::string_view bytes, size_t i) {
  auto load = [&](size_t at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at)); };
  for (; i + 32 <= bytes.size(); i += 32) {
    const __m128i a = load(i), b = load(i + 16);
    if (_mm_movemask_epi8(_mm_or_si128(a, b)) == 0) continue;
    const unsigned fault = TwoByteBlockFault(a) | (TwoByteBlockFault(b) << 16);
    if (fault != 0) return i + static_cast<size_t>(std::countr_zero(fault));
  }
  for (; i + 16 <= bytes.size(); i += 16) {
    const unsigned fault = TwoByteBlockFault(load(i));
    if (fault != 0) return i + static_cast<size_t>(std::countr_zero(fault));
  }
  return i;
}
#endif

bool Utf8Validator::Feed(std::string_view bytes) {
  size_t i = 0;
  if (need_ == 0 && IsAscii(bytes)) return ok_;
  while (ok_ && i < bytes.size()) {
    if (need_ == 0) {  // ASCII eight bytes at a time, up to the first byte above 127
#if defined(__SSE2__)
      i = SkipTwoByteText(bytes, i);
#endif
      uint64_t v;
      while (i + 8 <= bytes.size()) {
        std::memcpy(&v, bytes.data() + i, 8);
        const uint64_t high = v & 0x8080808080808080u;
        if (high != 0 && std::endian::native == std::endian::little) {
          i += static_cast<size_t>(std::countr_zero(high) / 8);
          break;
        }
        if (high != 0) break;
        i += 8;
      }
      if (i == bytes.size()) break;
    }
    const auto b = static_cast<unsigned char>(bytes[i++]);
    if (need_ > 0) {
      if ((b & 0xC0) != 0x80) return ok_ = false;
      partial_ = (partial_ << 6) | (b & 0x3F);
      if (--need_ == 0) {
        ok_ = partial_ >= min_ && partial_ <= 0x10FFFF && (partial_ < 0xD800 || partial_ > 0xDFFF);
      }
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF && i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0xC0) == 0x80) {
      ++i;  // a two-byte sequence (Latin letters), whole in this piece
      continue;
    }
    const int extra = ContinuationsOf(b);
    if (extra < 0) return ok_ = false;
    need_ = extra;
    partial_ = b & (0x7F >> (extra + 1));
    min_ = kLeast[extra];
  }
  return ok_;
}

uint32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  const int extra = ContinuationsOf(b0);
  if (extra == 0) return b0;
  if (extra < 0 || i + static_cast<size_t>(extra) > s.size()) return kBadCodePoint;
  uint32_t cp = b0 & (0x7F >> (extra + 1));
  for (int k = 0; k < extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i++]);
    if ((b & 0xC0) != 0x80) return kBadCodePoint;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kBadCodePoint;
  return cp;
}

uint32_t CodePointOf1252(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kHigh1252[b - 0x80] : b; }

int ByteOf1252(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] == cp) return 0x80 + i;
  }
  return -1;
}

bool IsAscii(std::string_view s) {
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    uint64_t v;
    std::memcpy(&v, s.data() + i, 8);
    if (v & 0x8080808080808080u) return false;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  }
  return true;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void Append1252AsUtf8(std::string& out, std::string_view bytes) {
  if (IsAscii(bytes)) {
    out.append(bytes);
    return;
  }
  const size_t at = out.size();
  out.resize(at + 3 * bytes.size());
  char* w = out.data() + at;
  size_t i = 0;
  while (i < bytes.size()) {
    uint64_t v;
    if (i + 8 <= bytes.size() && (std::memcpy(&v, bytes.data() + i, 8), (v & 0x8080808080808080u) == 0)) {
      std::memcpy(w, &v, 8);  // eight ASCII bytes as they are
      w += 8;
      i += 8;
      continue;
    }
    const Utf8Char& u = kUtf8Of1252[static_cast<unsigned char>(bytes[i++])];
    std::memcpy(w, u.bytes, 3);
    w += u.size;
  }
  out.resize(static_cast<size_t>(w - out.data()));
}

bool Utf8To1252(std::string_view text, std::string& out, uint32_t& bad) {
  out.clear();
  if (IsAscii(text)) {
    out.assign(text);
    return true;
  }
  for (size_t i = 0; i < text.size();) {
    const uint32_t cp = NextCodePoint(text, i);
    const int b = cp == kBadCodePoint ? -1 : ByteOf1252(cp);
    if (b < 0) {
      bad = cp;
      return false;
    }
    out.push_back(static_cast<char>(b));
  }
  return true;
}

std::string DescribeCodePoint(uint32_t cp) {
  if (cp == kBadCodePoint) return "a byte sequence that is not UTF-8";
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return std::string("the character ") + buf;
}

bool Transcoder::Put(std::string& out, uint32_t cp) {
  if (cp == kBadCodePoint) {
    bad_ = cp;
    return false;
  }
  switch (to_) {
    case Encoding::kUtf8: AppendUtf8(out, cp); return true;
    case Encoding::kUtf16Le: AppendUtf16Le(out, cp); return true;
    case Encoding::kUtf16Be: {
      std::string le;
      AppendUtf16Le(le, cp);
      for (size_t i = 0; i < le.size(); i += 2) out.append({le[i + 1], le[i]});
      return true;
    }
    case Encoding::kWindows1252: break;
  }
  const int b = ByteOf1252(cp);
  if (b < 0) {
    bad_ = cp;
    return false;
  }
  out.push_back(static_cast<char>(b));
  return true;
}

bool Transcoder::AppendUtf8Source(std::string& out, std::string_view text) {
  if (!carry_.empty()) {
    // Complete the sequence cut at the last piece's end first.
    const size_t want = static_cast<size_t>(ContinuationsOf(static_cast<unsigned char>(carry_[0]))) + 1;
    const size_t take = std::min(want - carry_.size(), text.size());
    carry_.append(text.substr(0, take));
    text.remove_prefix(take);
    if (carry_.size() < want) return true;
    size_t i = 0;
    const std::string whole = std::move(carry_);
    carry_.clear();
    if (!Put(out, NextCodePoint(whole, i))) return false;
  }
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = ContinuationsOf(b);
    if (extra > 0 && i + static_cast<size_t>(extra) >= text.size()) {
      carry_.assign(text.substr(i));  // cut: finished by the next piece
      return true;
    }
    if (b < 0x80 && to_ == Encoding::kUtf16Le) {
      size_t j = i + 1;  // the whole run of ASCII, each byte then a zero byte
      while (j < text.size() && static_cast<unsigned char>(text[j]) < 0x80) ++j;
      const size_t at = out.size();
      out.resize(at + 2 * (j - i));
      char* w = out.data() + at;
      for (; i < j; ++i, w += 2) {
        w[0] = text[i];
        w[1] = '\0';
      }
      continue;
    }
    if (b < 0x80 && to_ != Encoding::kUtf16Be) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (!Put(out, NextCodePoint(text, i))) return false;
  }
  return true;
}

bool Transcoder::Append(std::string& out, std::string_view text) {
  if (from_ == to_) {
    out.append(text);
    return true;
  }
  if (from_ == Encoding::kWindows1252 && to_ == Encoding::kUtf8) {
    Append1252AsUtf8(out, text);
    return true;
  }
  if (from_ == Encoding::kWindows1252) {
    for (char c : text) Put(out, CodePointOf1252(static_cast<unsigned char>(c)));
    return true;
  }
  if (to_ != Encoding::kUtf16Le && to_ != Encoding::kUtf16Be && carry_.empty() && IsAscii(text)) {
    out.append(text);
    return true;
  }
  return AppendUtf8Source(out, text);
}

bool Utf16Decoder::Unit(std::string& out, uint32_t unit) {
  if (high_ != 0) {
    if (unit < 0xDC00 || unit > 0xDFFF) return false;
    AppendUtf8(out, 0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00));
    high_ = 0;
    return true;
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    high_ = unit;
    return true;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
  AppendUtf8(out, unit);
  return true;
}

bool Utf16Decoder::Append(std::string& out, std::string_view bytes) {
  size_t i = 0;
  auto unit_at = [this](unsigned char first, unsigned char second) {
    return big_endian_ ? (uint32_t{first} << 8) | second : (uint32_t{second} << 8) | first;
  };
  if (have_byte_ && !bytes.empty()) {
    have_byte_ = false;
    if (!Unit(out, unit_at(byte_, static_cast<unsigned char>(bytes[0])))) return false;
    i = 1;
  }
  out.reserve(out.size() + bytes.size() * 3 / 2 + 4);
  auto unit_of = [&](size_t at) {
    return unit_at(static_cast<unsigned char>(bytes[at]), static_cast<unsigned char>(bytes[at + 1]));
  };
  // Four units read as one word (on a little-endian machine): ASCII when
  // each unit's high byte and its low byte's top bit are clear; the low
  // byte of a unit is the first of its two in UTF-16 LE, the second in BE.
  constexpr bool kWords = std::endian::native == std::endian::little;
  const uint64_t not_ascii = big_endian_ ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
  const int low = big_endian_ ? 8 : 0;
  while (i + 2 <= bytes.size()) {
    // A run of ASCII (most text) is measured, then written at once.
    size_t j = i;
    uint64_t v = 0;
    if (high_ == 0) {
      while (kWords && j + 8 <= bytes.size() && (std::memcpy(&v, bytes.data() + j, 8), (v & not_ascii) == 0)) j += 8;
      while (j + 2 <= bytes.size() && unit_of(j) < 0x80) j += 2;
    }
    if (j > i) {
      const size_t at = out.size();
      out.resize(at + (j - i) / 2);
      char* o = out.data() + at;
      for (; kWords && i + 8 <= j; i += 8, o += 4) {
        std::memcpy(&v, bytes.data() + i, 8);
        for (int k = 0; k < 4; ++k) o[k] = static_cast<char>(v >> (16 * k + low));
      }
      for (; i < j; i += 2) *o++ = static_cast<char>(unit_of(i));
      continue;
    }
    if (!Unit(out, unit_of(i))) return false;
    i += 2;
  }
  if (i < bytes.size()) {
    have_byte_ = true;
    byte_ = static_cast<unsigned char>(bytes[i]);
  }
  return true;
}

}  // namespace tavo::text
