// Data Matrix ECC 200 as font text: the encoder the registry calls.
#include "symbologies/datamatrix.h"

#include "symbologies/encoders.h"

namespace tavo {

int32_t EncodeDataMatrix(std::string_view value, const Options& options, FontString& out) {
  return EncodeDataMatrix(value, options.check_argument, out);
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
