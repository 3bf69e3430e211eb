// TranslateValue: the dispatcher over the symbology codes of the registry,
// through its table of encoders.
#include "interface/translate.h"

#include "interface/errors.h"
#include "symbologies/dispatch.h"

namespace tavo {

int32_t TranslateValue(std::string_view value, int32_t symbology, const Options& options,
                       FontString& result) {
  const Encoder encode = FindEncoder(symbology);
  if (encode == nullptr) return kUnknownSymbology;
  // Every caller passes an empty string, so emptying it again on error leaves
  // it as it was.
  const int32_t rc = encode(value, options, result);
  if (rc) result.clear();
  return rc;
}

}  // namespace tavo
