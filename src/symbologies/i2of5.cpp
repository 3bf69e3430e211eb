// Interleaved 2 of 5 encoder (not yet written: the symbology code reports unknown).
#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeI2of5(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }

}  // namespace tavo
