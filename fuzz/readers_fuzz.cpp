// Fuzzes the readers behind `tavo decode`: the first byte picks a row of the
// registry (every symbology, whatever its code), the rest is font text.  The
// text goes through what decode calls: BuildSymbol, ReadSymbol,
// ReadabilityWarnings and, for GS1 data, the library's GS1 parser.
// Checks, besides the sanitizers and libFuzzer's time limit:
// - BuildSymbol and ReadSymbol agree on whether the text can be interpreted,
//   and a refusal always says why;
// - whatever decode would call consistent, encoded again by the library
//   with one of the check options the symbology takes, reads back as the
//   same data, or as the normal form of that value which the library
//   writes as the same text (data a C string cannot carry, or longer than
//   the library writes, aside).
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/registry.h"
#include "tavo32.h"
#include "tavo_model.h"

namespace {

namespace m = tavo::model;

// The check arguments a symbology's encoder tells apart.
std::vector<int32_t> CheckOptions(tavo::CheckFlag flag, bool gs1) {
  switch (flag) {
    case tavo::CheckFlag::kIgnored: return {0};
    case tavo::CheckFlag::kOptional:
    case tavo::CheckFlag::kSecondDigit: return {0, 1};
    case tavo::CheckFlag::kLevel: return {1, 2, 3, 4};
    case tavo::CheckFlag::kShapeAndGs1: return gs1 ? std::vector<int32_t>{2, 3} : std::vector<int32_t>{0, 1};
  }
  return {0};
}

// Reads `text` as decode does; true when decode would call it consistent.
bool ReadsConsistently(int32_t code, std::string_view text, m::Reading& reading) {
  m::Symbol symbol;
  m::ModelError error;
  const bool built = m::BuildSymbol(code, text, m::ModelOptions{}, symbol, error);
  if (!built && error.reason.empty()) std::abort();  // a refusal says why
  m::ModelError read_error;
  if (m::ReadSymbol(code, text, reading, read_error) != built) std::abort();
  if (!built) return false;
  return reading.Consistent() && m::ReadabilityWarnings(code, symbol).empty();
}

int32_t Translate(int32_t code, const std::string& value, int32_t check, std::string& text) {
  std::vector<char> out(value.size() * 16 + 65536);
  int32_t len = 0;
  const int32_t rc = BC_FontTranslate(code, value.c_str(), check, out.data(), static_cast<int32_t>(out.size()), &len);
  if (rc == 0) text.assign(out.data(), static_cast<size_t>(len));
  return rc;
}

bool IsGs1Error(int32_t rc) { return rc >= BC_FONT_ERR_GS1_UNKNOWN_AI && rc <= BC_FONT_ERR_GS1_TOO_LONG; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto rows = tavo::Symbologies();
  const tavo::SymbologyInfo& row = rows[data[0] % rows.size()];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  m::Reading reading;
  if (!ReadsConsistently(row.code, text, reading)) return 0;
  if (reading.data.find('\0') != std::string::npos) return 0;  // no C string carries it to the library
  // The option the text was made with is unknown: one of them must give
  // the data back (another may not: I2of5's check digit changes the
  // leading zero, for one).
  for (int32_t check : CheckOptions(row.check, reading.gs1)) {
    std::string again;
    const int32_t rc = Translate(row.code, reading.data, check, again);
    if (rc != 0) {
      if (reading.gs1 && IsGs1Error(rc)) return 0;  // decode reports it: not consistent
      // Longer than the library writes (MSI's 14 digits, for one): a symbol
      // scanners read, but nothing to compare with.
      if (rc == BC_FONT_ERR_TOO_MANY_CHARACTERS) return 0;
      continue;
    }
    m::Reading second;
    if (!ReadsConsistently(row.code, again, second)) continue;
    if (second.data == reading.data) return 0;
    // A value the library writes in a normal form (UPC-E: one of two
    // numbers that expand to the same UPC-A) reads back as that form, which
    // the library must write as the same text.
    std::string third;
    if (Translate(row.code, second.data, check, third) == 0 && third == again) return 0;
  }
  std::abort();
}
