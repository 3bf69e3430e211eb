// `tavo list --json`: everything the registry says of each symbology, for
// the bindings, their tests and the README's table (docs/list-json.md is
// the schema).
#pragma once

#include <string>

namespace tavo::cli {

std::string SymbologiesJson();

}  // namespace tavo::cli
