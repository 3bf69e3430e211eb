// tavo decode: reads a font string back into its symbol characters and data,
// recomputes its check characters and says whether the symbol holds together.
#pragma once

#include <cstdint>
#include <string_view>

// `font_string` holds the bytes themselves (the command line's escapes
// already decoded).  Prints the report on stdout and usage faults on stderr.  Returns the exit status: 0 consistent, 1 not (a
// byte the font does not hold, a check character that does not match, a
// missing start or stop, or a symbol no reader reads back as its value), 2
// for a symbology without a row in the registry.
int RunDecode(int32_t symbology, std::string_view font_string);
