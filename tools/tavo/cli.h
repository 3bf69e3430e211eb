// Argument parsing and formatting of the tavo command-line tool, kept apart
// from main() so the tests can use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "symbologies/registry.h"

namespace tavo::cli {

// One registered symbology: the library's registry row itself (code, short
// name, face family, faces; tavo::FaceCount gives the number of faces).
using SymbologyEntry = tavo::SymbologyInfo;

// Every symbology of the library's registry, in the order of its rows.
constexpr std::span<const SymbologyEntry> SymbologyEntries() { return tavo::Symbologies(); }

// A symbology given by code ("6") or by short name ("upca"); nullopt when
// neither.  Codes without a row in the registry are passed through so the library can judge.
std::optional<int32_t> ParseSymbology(std::string_view text);

// The short name of a symbology code, "" for codes without one.
std::string_view SymbologyName(int32_t code);

// Decodes the escapes of a value typed on a command line: \xHH for any byte,
// \\ for a backslash, \F1..\F4 for the Code 128 function characters
// (bytes 185, 178, 179, 188) and \0 for NUL as data (byte 199).  Returns
// nullopt on a malformed escape.
std::optional<std::string> DecodeValueEscapes(std::string_view text);

// Printable ASCII as itself (backslash doubled), every other byte as \xHH.
std::string EscapeBytes(std::string_view bytes);

// A decimal integer, whole; nullopt otherwise.
std::optional<int32_t> ParseInt(std::string_view text);

}  // namespace tavo::cli
