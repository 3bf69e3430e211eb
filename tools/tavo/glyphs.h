// tavo glyphs: every glyph of a symbology's bar code font as the symbol
// model draws it, in JSON, for the font build.
#pragma once

#include <cstdint>

#include "tavo_model.h"

// Prints on stdout, for the font that prints `symbology` (a code of the registry), each code
// point's advance, bars (offset, width and height class, in modules) and
// captions.  Returns the exit status: 0, or 2 for a symbology without a row in the registry.
int RunGlyphs(int32_t symbology, const tavo::model::ModelOptions& options);
