// Face names of the bar code fonts (not yet written: every code reports unknown).
#include "fonts/fonts.h"
#include "interface/errors.h"

namespace tavo {

int32_t GetFaceName(std::string_view, int32_t, int32_t, bool, std::string&) {
  return kUnknownSymbology;
}

}  // namespace tavo
