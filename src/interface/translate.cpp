// TranslateValue: the dispatcher over the symbology codes of the registry,
// through its table of encoders.
#include "interface/translate.h"

#include <string>

#include "interface/errors.h"
#include "symbologies/dispatch.h"
#include "symbologies/gs1/gs1_digital_link.h"

namespace tavo {
namespace {

// The flag of `check` that asks QR Code or Data Matrix for the GS1 Digital
// Link URI of element strings, and the GS1 flag it may not stand beside.
struct DigitalLinkFlag {
  int32_t code;
  int32_t flag;
  int32_t gs1_flag;
  std::string_view stem;  // QR Code: upper case, for alphanumeric mode
};
constexpr DigitalLinkFlag kDigitalLinkFlags[] = {
    {symbology::kQr, 16, 8, kGs1DlStemUpper},
    {symbology::kDataMatrix, 4, 2, kGs1DlStem},
};

// The symbol of the URI: the flag taken off `check`, the rest of it as the
// symbology reads it.
int32_t TranslateDigitalLink(std::string_view value, const DigitalLinkFlag& dl, Encoder encode,
                             const Options& options, FontString& result) {
  if (options.check_argument & dl.gs1_flag) return kInvalidCheckOption;
  std::string uri;
  if (int32_t rc = MakeGs1DigitalLink(value, dl.stem, uri)) return rc;
  const int32_t rest = options.check_argument & ~dl.flag;
  return encode(uri, Options{.check = rest != 0, .check_argument = rest}, result);
}

}  // namespace

int32_t TranslateValue(std::string_view value, int32_t symbology, const Options& options,
                       FontString& result) {
  const Encoder encode = FindEncoder(symbology);
  if (encode == nullptr) return kUnknownSymbology;
  int32_t rc = -1;
  for (const DigitalLinkFlag& dl : kDigitalLinkFlags) {
    if (dl.code == symbology && options.check_argument > 0 && (options.check_argument & dl.flag)) {
      rc = TranslateDigitalLink(value, dl, encode, options, result);
    }
  }
  // Every caller passes an empty string, so emptying it again on error leaves
  // it as it was.
  if (rc < 0) rc = encode(value, options, result);
  if (rc) result.clear();
  return rc;
}

}  // namespace tavo
