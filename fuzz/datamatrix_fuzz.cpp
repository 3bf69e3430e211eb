// Fuzzes the Data Matrix encoder and the decoder of its font text.  The
// first byte picks the check option (-1..4) and the mode; the rest is a value
// to encode and decode again (it must come back unchanged), or text for the
// decoder: as it is, or mapped onto glyphs in the lines and columns of a real
// symbol size so that the decoder gets past the shape checks into the
// codewords.  Checks, besides the sanitizers: encoding either fails with its
// two codes or reads back exactly, and the decoder never fails silently.
#include <cstdlib>
#include <string>
#include <string_view>

#include "readers/datamatrix/datamatrix_reader.h"

namespace {

void EncodeAndReadBack(std::string_view value, int32_t check) {
  tavo::FontString text;
  const int32_t rc = tavo::EncodeDataMatrix(value, check, text);
  if (rc != tavo::kOk) {
    if ((rc != tavo::kInvalidCheckOption && rc != tavo::kTooLongForLargestSymbol) || !text.empty()) std::abort();
    return;
  }
  tavo::DataMatrixReading r;
  if (!tavo::DecodeDataMatrixText(text.view(), r) || r.data != value || r.corrected != 0) std::abort();
}

void Decode(std::string_view text) {
  tavo::DataMatrixReading r;
  if (!tavo::DecodeDataMatrixText(text, r) && r.error.empty()) std::abort();
}

// The bytes as glyphs, shaped like the text of size `pick`.
std::string ShapedGlyphs(std::string_view bytes, uint8_t pick) {
  const auto& sizes = tavo::DataMatrixSizes();
  const tavo::DataMatrixSize& s = sizes[pick % sizes.size()];
  const int cols = (s.cols + 2 + tavo::kBlockWidth - 1) / tavo::kBlockWidth;
  const int lines = (s.rows + 2 + tavo::kBlockHeight - 1) / tavo::kBlockHeight;
  std::string text;
  size_t at = 0;
  for (int l = 0; l < lines; ++l) {
    if (l) text += "\r\n";
    for (int c = 0; c < cols; ++c) {
      const uint8_t b = at < bytes.size() ? static_cast<uint8_t>(bytes[at++]) : 0;
      text += tavo::kMatrixGlyphs[b % tavo::kMatrixGlyphs.size()];
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t head = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  switch (head % 3) {
    case 0: EncodeAndReadBack(rest, static_cast<int32_t>(head / 3 % 6) - 1); break;
    case 1: Decode(rest); break;
    default: Decode(ShapedGlyphs(rest, static_cast<uint8_t>(head / 3))); break;
  }
  return 0;
}
