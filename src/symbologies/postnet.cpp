// PostNet: the postal bar code of a ZIP, ZIP+4 or ZIP+4 with delivery point,
// framed by full-height bars and closed by a modulo-10 check digit.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "symbologies/postnet.h"

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kFrameBar = '*';

// True when the eight bytes at `p` are all ASCII digits, tested at once: a
// byte outside '0'..'9' sets its top bit in itself (0x80 and up), in itself
// plus 0x46 (':' and up) or in itself minus 0x30 (below '0').  A carry or
// borrow crosses into the next byte only from a byte that fails already.
bool EightDigits(const char* p) {
  uint64_t x = 0;
  std::memcpy(&x, p, 8);
  constexpr uint64_t kTopBits = 0x8080808080808080u;
  return ((x | (x + 0x4646464646464646u) | (x - 0x3030303030303030u)) & kTopBits) == 0;
}

}  // namespace

int32_t EncodePostNet(std::string_view value, const Options&, FontString& out) {
  // The digits go straight into the output after the frame bar, without the
  // spaces and hyphens, which may stand anywhere.  Every character is tested
  // before the count, so a letter is reported as such whatever the length (a
  // failed encoding's output is discarded by the caller).  Room is taken for
  // the frame bars, every character and the check digit at once.
  const size_t begin = out.size();
  char* const first = out.Extend(value.size() + 3);
  char* w = first;
  *w++ = kFrameBar;
  // An unformatted value's first eight digits are copied at once; the rest,
  // and any value with a space or hyphen among them, one character at a time.
  size_t i = 0;
  if (value.size() >= 8 && EightDigits(value.data())) {
    std::memcpy(w, value.data(), 8);
    w += 8;
    i = 8;
  }
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ' ' || c == '-') continue;
    if (int32_t rc = ValidateDigit(c)) return rc;
    *w++ = c;
  }
  const auto count = static_cast<size_t>(w - first - 1);
  if (count > 11) return kTooManyCharacters;
  if (count != 5 && count != 9 && count != 11) return kIncompletePostNet;
  *w++ = PostNetCheckDigit(std::string_view(first + 1, count));
  *w++ = kFrameBar;
  out.resize(begin + static_cast<size_t>(w - first));
  return kOk;
}

}  // namespace tavo
