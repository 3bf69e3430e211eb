// EAN/JAN-8 and EAN/JAN-13 encoder (not yet written: the symbology code reports unknown).
#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeEan8(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }
int32_t EncodeEan13(std::string_view, const Options&, FontString&) { return kUnknownSymbology; }

}  // namespace tavo
