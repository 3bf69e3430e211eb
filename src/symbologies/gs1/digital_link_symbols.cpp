// QR Code and Data Matrix straight from GS1 element strings, as the symbol
// of their GS1 Digital Link URI: the encoders the dispatch table gives both
// codes, which pass every other `check` on unchanged, so that no other
// symbology pays for the test.
#include <cstdint>
#include <string>
#include <string_view>

#include "interface/errors.h"
#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1_digital_link.h"

namespace tavo {
namespace {

// The flag of `check` that asks for the Digital Link symbol, the GS1 flag
// it may not stand beside, and the stem (QR Code: upper case, so that a URI
// of digits and capitals stays in alphanumeric mode).
struct DigitalLinkFlag {
  int32_t flag;
  int32_t gs1_flag;
  std::string_view stem;
  Encoder encode;
};
constexpr DigitalLinkFlag kQrDigitalLink{16, 8, kGs1DlStemUpper, EncodeQr};
constexpr DigitalLinkFlag kDataMatrixDigitalLink{4, 2, kGs1DlStem, EncodeDataMatrix};

// The symbol of the URI, the flag taken off `check` and the rest of it read
// by the symbology; or the symbology itself when the flag is not set.
int32_t EncodeOrDigitalLink(const DigitalLinkFlag& dl, std::string_view value, const Options& options,
                            FontString& out) {
  const int32_t check = options.check_argument;
  if (check <= 0 || !(check & dl.flag)) return dl.encode(value, options, out);
  if (check & dl.gs1_flag) return kInvalidCheckOption;
  std::string uri;
  if (int32_t rc = MakeGs1DigitalLink(value, dl.stem, uri)) return rc;
  const int32_t rest = check & ~dl.flag;
  return dl.encode(uri, Options{.check = rest != 0, .check_argument = rest}, out);
}

}  // namespace

int32_t EncodeQrOrDigitalLink(std::string_view value, const Options& options, FontString& out) {
  return EncodeOrDigitalLink(kQrDigitalLink, value, options, out);
}

int32_t EncodeDataMatrixOrDigitalLink(std::string_view value, const Options& options, FontString& out) {
  return EncodeOrDigitalLink(kDataMatrixDigitalLink, value, options, out);
}

}  // namespace tavo
