// Data Matrix ECC 200 as font text: the encoder the registry calls.
#include "symbologies/datamatrix/datamatrix.h"

#include <algorithm>
#include <string>

#include "symbologies/encoders.h"
#include "symbologies/gs1/gs1.h"

namespace tavo {

namespace {

// The most data characters any GS1 message in Data Matrix can have: two
// digits in each data codeword of the largest size but the leading FNC1's
// (digit pairs are the densest encodation).  A longer message fits no size,
// and is refused with the symbol's "too long" error before its elements are
// all stored and paired.
Gs1Limit Gs1DataMatrixLimit() {
  size_t most = 0;
  for (const DataMatrixSize& s : DataMatrixSizes()) most = std::max<size_t>(most, s.data_codewords);
  return Gs1Limit{2 * (most - 1), kTooLongForLargestSymbol, true};
}

}  // namespace

// A caller's GS1 value is in the bracketed form "(01)...(10)...": parsed and
// validated as for GS1-128 (the same errors; no 48-character limit and no
// limit of elements, the symbol's capacity is the limit), then carried as
// element strings with a group separator, encoded as FNC1, after each
// variable-length element that is not the last.
int32_t EncodeDataMatrix(std::string_view value, const Options& options, FontString& out) {
  const int32_t check = options.check_argument;
  if (check != 2 && check != 3) return EncodeDataMatrix(value, check, out);
  Gs1Message message;
  if (int32_t rc = ParseGs1ElementStrings(value, message, Gs1DataMatrixLimit())) return rc;
  constexpr char kGs1_128Fnc1 = static_cast<char>(185);  // the parser's FNC1, first and between elements
  std::string strings(message.code128.view().substr(1));
  std::replace(strings.begin(), strings.end(), kGs1_128Fnc1, kGroupSeparator);
  return EncodeDataMatrix(strings, check, out);
}

int32_t EncodeDataMatrix(std::string_view value, int32_t check, FontString& out) {
  DataMatrixForm form;
  if (!DataMatrixFormOf(check, form)) return kInvalidCheckOption;
  const DataMatrixSize* size = nullptr;
  std::vector<uint8_t> codewords;
  if (int32_t rc = DataMatrixEncodation(value, form, size, codewords)) return rc;
  DataMatrixAppendEcc(*size, codewords);
  AppendMatrixText(DataMatrixSymbol(*size, codewords), kDataMatrixQuietZone, out);
  return kOk;
}

}  // namespace tavo
