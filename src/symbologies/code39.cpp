// Code 39 for the library's Code 39 fonts encoder (not yet written: the symbology code reports unknown).
#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeCode39(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }

}  // namespace tavo
