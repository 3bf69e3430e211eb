// tavo decode: a font string pasted from a document, read back through the
// symbol model for support staff.
#include "decode.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace {

namespace m = tavo::model;
using tavo::cli::EscapeBytes;

// The library's GS1 errors (include/tavo32.h): an unknown AI to GS1-128's
// too many characters.  NUL in the data is no character of any GS1 set.
constexpr int32_t kFirstGs1Error = BC_FONT_ERR_GS1_UNKNOWN_AI;
constexpr int32_t kLastGs1Error = BC_FONT_ERR_GS1_TOO_LONG;
constexpr int32_t kGs1NulInData = BC_FONT_ERR_GS1_DATA_NOT_CSET82;

// One line per byte: the symbol characters it draws.  The characters are
// gathered by byte in one pass, so the listing is linear in the string.
void PrintCharacters(std::string_view s, const m::Symbol& symbol) {
  std::vector<std::string> names(s.size());
  for (const m::SymbolCharacter& c : symbol.characters) {
    if (c.byte_index >= s.size()) continue;
    std::string& n = names[c.byte_index];
    n += (n.empty() ? "" : " + ") + c.name;
  }
  for (size_t i = 0; i < s.size(); ++i) {
    if (names[i].empty()) names[i] = "(no bars: caption or spacer)";
    std::printf("  %3zu  %-5s %s\n", i, EscapeBytes(s.substr(i, 1)).c_str(), names[i].c_str());
  }
}

void PrintChecks(const m::Reading& reading) {
  for (const m::CheckFinding& c : reading.checks) {
    if (c.optional && c.found.empty()) {
      std::printf("check: %s: none (optional; it would be %s)\n", c.what.c_str(), c.expected.c_str());
    } else {
      std::printf("check: %s: %s, expected %s: %s\n", c.what.c_str(),
                  c.found.empty() ? "none" : c.found.c_str(), c.expected.c_str(),
                  c.Matches() ? "ok" : "WRONG");
    }
  }
}

// The check arguments worth trying for a symbology: 0 and 1; a 2D symbol's
// levels 0 to 4; QR Code's levels also with GS1 (8) and Kanji mode (32).
std::vector<int32_t> RoundTripChecks(int32_t symbology, bool matrix) {
  std::vector<int32_t> checks;
  for (int32_t check = 0; check <= (matrix ? 4 : 1); ++check) checks.push_back(check);
  for (int32_t flag : {8, 32}) {
    for (int32_t level = 0; level <= 4 && symbology == BC_SYM_QR; ++level) checks.push_back(flag | level);
  }
  return checks;
}

// Whether the library gives this very string for the data read back, with
// or without its check option.
// A two-dimensional symbol tries every check argument its levels take.
void PrintRoundTrip(int32_t symbology, std::string_view s, const std::string& data, bool matrix) {
  if (data.find('\0') != std::string::npos) return;  // a C string cannot carry it to the library
  std::vector<char> out(data.size() * 8 + 8192);
  for (int32_t check : RoundTripChecks(symbology, matrix)) {
    int32_t len = 0;
    if (BC_FontTranslate(symbology, data.c_str(), check, out.data(), static_cast<int32_t>(out.size()),
                         &len) == 0 &&
        std::string_view(out.data(), static_cast<size_t>(len)) == s) {
      const std::string how = !check ? "" : matrix ? " with check " + std::to_string(check) : " with the check option";
      std::printf("the library gives this string for the value \"%s\"%s\n", EscapeBytes(data).c_str(),
                  how.c_str());
      return;
    }
  }
  std::printf("the library gives another string for the value \"%s\"\n", EscapeBytes(data).c_str());
}

// GS1 data read back must meet the rules the library applies to a value:
// each AI's data, check digits, dates, companions and exclusions, and
// GS1-128's 48 characters.  The library's parser judges, through the
// export, with the GS1 form of the symbology (Data Matrix: check 2, QR
// Code: 8); its
// GS1 error is the fault.  Errors of another kind (a Data Matrix too long
// for the largest symbol cannot come from a symbol) say nothing of GS1.
bool Gs1Valid(int32_t symbology, const m::Reading& reading) {
  if (!reading.gs1) return true;
  int32_t rc = kGs1NulInData;
  if (reading.data.find('\0') == std::string::npos) {
    const int32_t check = symbology == BC_SYM_DATAMATRIX ? 2 : symbology == BC_SYM_QR ? 8 : 0;
    std::vector<char> out(reading.data.size() * 8 + 8192);
    int32_t len = 0;
    rc = BC_FontTranslate(symbology, reading.data.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len);
  }
  if (rc < kFirstGs1Error || rc > kLastGs1Error) {
    std::printf("check: GS1 element strings: valid, expected valid: ok\n");
    return true;
  }
  char message[128] = {};
  BC_StrErr(rc, message, sizeof message - 1);
  std::printf("check: GS1 element strings: %d %s, expected valid: WRONG\n", rc, message);
  return false;
}

}  // namespace

int RunDecode(int32_t symbology, std::string_view s) {
  if (tavo::cli::SymbologyName(symbology).empty()) {
    std::fprintf(stderr, "tavo: decode knows the symbologies tavo list prints\n");
    return 2;
  }
  std::printf("%s (%d), %zu bytes\n", std::string(tavo::cli::SymbologyName(symbology)).c_str(), symbology,
              s.size());
  m::Symbol symbol;
  m::ModelError error;
  if (!m::BuildSymbol(symbology, s, m::ModelOptions{}, symbol, error)) {
    std::printf("byte %zu: %s\nnot consistent\n", error.byte_index, error.reason.c_str());
    return 1;
  }
  m::Reading reading;
  m::ReadSymbol(symbology, s, reading, error);  // interprets what BuildSymbol did
  if (symbol.grid.empty()) {
    PrintCharacters(s, symbol);
  } else {
    std::printf("  %d x %d modules inside a quiet zone of %g\n", symbol.grid.width, symbol.grid.height,
                symbol.quiet_left);
  }
  std::printf("data: \"%s\"\n", EscapeBytes(reading.data).c_str());
  PrintChecks(reading);
  const bool gs1_valid = Gs1Valid(symbology, reading);
  for (const std::string& fault : reading.faults) std::printf("fault: %s\n", fault.c_str());
  const std::vector<std::string> warnings = m::ReadabilityWarnings(symbology, symbol);
  for (const std::string& w : warnings) std::printf("warning: %s\n", w.c_str());
  PrintRoundTrip(symbology, s, reading.data, !symbol.grid.empty());
  const bool consistent = reading.Consistent() && warnings.empty() && gs1_valid;
  std::printf("%s\n", consistent ? "consistent" : "not consistent");
  return consistent ? 0 : 1;
}
