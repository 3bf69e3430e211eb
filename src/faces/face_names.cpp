// Face names of the bar code fonts: the caller's family prefix followed by the
// suffix that names symbology, bar height and caption variant.
//
// The suffix is the family of the symbology's row in the registry ("39",
// "UPC EAN JAN"); a family with bar heights adds " L", " M" or " H" (bar
// height low, medium, high) and "C" for the face that draws the
// human-readable caption, so it comes in six faces: L, LC, M, MC, H, HC.
#include <cstdint>
#include <string_view>

#include "faces/faces.h"
#include "interface/errors.h"
#include "symbologies/registry.h"

namespace tavo {
namespace {

constexpr std::string_view kHeightLetters = "LMH";

}  // namespace

int32_t GetFaceName(std::string_view prefix, int32_t symbology, int32_t height, bool caption,
                    std::string& out) {
  const SymbologyInfo* row = FindSymbology(symbology);
  if (row == nullptr || row->faces == FaceVariants::kNone) return kUnknownSymbology;
  const bool by_height = row->faces == FaceVariants::kHeightAndCaption;
  // Unsigned, so negative heights are turned away as well.
  if (by_height && static_cast<uint32_t>(height) >= kHeightLetters.size()) return kUnknownSymbology;
  out.append(prefix);
  out.append(row->family);
  if (by_height) {
    out.push_back(' ');
    out.push_back(kHeightLetters[static_cast<size_t>(height)]);
    if (caption) out.push_back('C');
  }
  return kOk;
}

}  // namespace tavo
