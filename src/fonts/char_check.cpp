// Character check for input forms (not yet written: no character is valid).
#include "fonts/fonts.h"

namespace tavo {

bool CharCheck(int32_t, int32_t, bool, std::string&) { return false; }

}  // namespace tavo
