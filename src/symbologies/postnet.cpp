// PostNet: the postal bar code of a ZIP, ZIP+4 or ZIP+4 with delivery point,
// framed by full-height bars and closed by a modulo-10 check digit.
#include <cstdint>
#include <string_view>

#include "symbologies/postnet.h"

#include "symbologies/encoders.h"

namespace tavo {
namespace {

constexpr char kFrameBar = '*';

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
  for (char c : value) {
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
