// Fuzzes the readers behind `tavo decode`: the first byte picks a row of the
// registry (every symbology, whatever its code), the rest is font text, or
// for QR Code and Data Matrix (with every other first byte) a value whose
// symbol is damaged in a few modules.  The
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
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "symbologies/matrix/matrix_text.h"
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
    case tavo::CheckFlag::kSecondDigit:
    case tavo::CheckFlag::kTruncated: return {0, 1};
    case tavo::CheckFlag::kSegments: return {0, 2, 6};
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

// For the 2D rows: the library's text for a value, with a few modules
// flipped, so that the readers see sound symbols with damage in their
// patterns and codewords rather than text that is no symbol at all.  The
// input: a count of flips (0 to 7), three bytes per flip (the glyph's place,
// the module in the block), then the value.
std::string DamagedSymbol(const tavo::SymbologyInfo& row, std::string_view in) {
  const size_t flips = in.empty() ? 0 : static_cast<uint8_t>(in[0]) % 8;
  const size_t header = std::min(in.size(), 1 + 3 * flips);
  std::string text;
  const int32_t check = row.check == tavo::CheckFlag::kLevel ? 2 : 0;
  if (Translate(row.code, std::string(in.substr(header)), check, text) != 0) return text;
  for (size_t f = 0; f < flips && 3 + 3 * f < header; ++f) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(in[1 + 3 * f + k]); };
    char& c = text[(byte(0) * 256u + byte(1)) % text.size()];
    const int bits = tavo::MatrixGlyphBits(c);
    if (bits >= 0) c = tavo::kMatrixGlyphs[static_cast<size_t>(bits ^ (1 << (byte(2) % 6)))];
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto rows = tavo::Symbologies();
  const tavo::SymbologyInfo& row = rows[data[0] % rows.size()];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const bool matrix = row.check == tavo::CheckFlag::kLevel || row.check == tavo::CheckFlag::kShapeAndGs1;
  const bool damaged = matrix && data[0] / rows.size() % 2 == 1;
  const std::string made = damaged ? DamagedSymbol(row, rest) : std::string();
  const std::string_view text = damaged ? std::string_view(made) : rest;
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
