// What the DataBar readers of the model share (databar.cpp and
// databar_expanded.cpp): the face's text as its grid of modules, and the
// rank of a width pattern among the patterns of its kind.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model_internal.h"

namespace tavo::model::detail {

// The modules of the text's lines, one module row per line, every glyph
// six modules wide; false, with `error`, for a byte outside the face or
// lines of unequal length.
bool TextModules(std::string_view s, ModuleGrid& grid, ModelError& error);

// The value of a width pattern: how many patterns of its kind come before it
// in order of their widths from the left.  `need_one`: the kind holds only
// patterns with an element of width 1.  -1 for a pattern outside the kind.
int64_t PatternRank(const std::vector<int>& widths, int widest, bool need_one);

}  // namespace tavo::model::detail
