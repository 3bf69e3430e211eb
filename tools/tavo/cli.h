// Argument parsing and formatting of the tavo command-line tool, kept apart
// from main() so the tests can use them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/registry.h"

namespace tavo::cli {

// One registered symbology: the library's registry row itself (code, short
// name, face family, faces; tavo::FaceCount gives the number of faces).
using SymbologyEntry = tavo::SymbologyInfo;

// Every symbology of the library's registry, in the order of its rows.
constexpr std::span<const SymbologyEntry> SymbologyEntries() { return tavo::Symbologies(); }

// A symbology given by code ("6"), short name or alias ("upca", "UPC-A",
// "dm"; names are compared without regard to case, '-', '_' or '.');
// nullopt when neither.  Codes without a row in the registry are passed
// through so the library can judge.
std::optional<int32_t> ParseSymbology(std::string_view text);

// The message for a symbology name that matched nothing, naming it and the
// nearest names: "unknown symbology 'ean31' (did you mean ean13, ean8?)".
std::string UnknownSymbologyMessage(std::string_view text);

// Up to three of `candidates` nearest to `typed` (edit distance at most a
// third of the longer, at least 1; or `typed` a prefix), nearest first.
std::vector<std::string> NearestWords(std::string_view typed, std::span<const std::string> candidates);

// " (did you mean a, b?)", or "" when `nearest` is empty.
std::string DidYouMean(std::span<const std::string> nearest);

// One named option as the user gave it: a registry option name in any case
// and spelling ("level", "check-digit") and its value ("" for a flag given
// without one, which means on).
struct NamedOption {
  std::string name;
  std::string value;
};

// The `check` argument for a symbology and its named options (see
// OptionInfo in the registry), or nullopt with `why` saying what was wrong:
// an option the symbology does not have (naming the ones it has), a value
// the option does not take (naming the ones it takes), or an option given
// twice.
std::optional<int32_t> ResolveCheck(const SymbologyInfo& row, std::span<const NamedOption> options,
                                    std::string& why);

// How the options of a symbology are written on the command line:
// "--level L|M|Q|H", "--shape square|rect --gs1"; "no options" for none.
std::string OptionSynopsis(const SymbologyInfo& row);

// The short name of a symbology code, "" for codes without one.
std::string_view SymbologyName(int32_t code);

// Decodes the escapes of a value typed on a command line: \xHH for any byte,
// \\ for a backslash, \F1..\F4 for the Code 128 function characters
// (bytes 185, 178, 179, 188) and \0 for NUL as data (byte 199).  Returns
// nullopt on a malformed escape, and its offset in `bad_at` when given.
std::optional<std::string> DecodeValueEscapes(std::string_view text, size_t* bad_at = nullptr);

// "'\q' at byte 4": the malformed escape DecodeValueEscapes found at
// `offset` of `text`, for a message.
std::string DescribeBadEscape(std::string_view text, size_t offset);

// Printable ASCII as itself (backslash doubled), every other byte as \xHH.
std::string EscapeBytes(std::string_view bytes);

// A decimal integer, whole; nullopt otherwise.
std::optional<int32_t> ParseInt(std::string_view text);

}  // namespace tavo::cli
