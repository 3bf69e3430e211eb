// Code 128 encoder (not yet written: the symbology code reports unknown).
#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeCode128(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }

}  // namespace tavo
