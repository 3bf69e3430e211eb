// UPC-A and UPC-E encoder (not yet written: the symbology code reports unknown).
#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeUpcA(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }
int32_t EncodeUpcE(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }

}  // namespace tavo
