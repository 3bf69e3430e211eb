// Font support: face names of the bar code fonts and the per-character check
// for input forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

// Appends `prefix` and the face-name suffix of `symbology` (1..11), bar
// height `height` (0 L, 1 M, 2 H) and caption variant to `out`.  Returns 0 or
// 32511 for a symbology or height without a face.
int32_t GetFaceName(std::string_view prefix, int32_t symbology, int32_t height, bool caption,
                    std::string& out);

// Appends the text under which an input form shows character `ch` of
// `symbology` (the character, or its label with the Alt suffix when `alt`) to
// `out` and returns true when the character is valid; returns false and
// appends nothing otherwise.
bool CharCheck(int32_t symbology, int32_t ch, bool alt, std::string& out);

}  // namespace tavo
