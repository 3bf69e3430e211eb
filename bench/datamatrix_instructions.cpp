// Calls the Data Matrix encoder N times on one value, or zint's
// ZBarcode_Encode for the same bytes, for counting instructions per call
// under callgrind (see bench/datamatrix_instructions.sh).
//   tavo32_datamatrix_instructions tavo|zint VALUE N
#include <zint.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "symbologies/datamatrix/datamatrix.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s tavo|zint VALUE N\n", argv[0]);
    return 2;
  }
  const std::string value = argv[2];
  const long n = std::atol(argv[3]);
  int rc = 0;
  if (std::strcmp(argv[1], "zint") == 0) {
    for (long i = 0; i < n; ++i) {
      zint_symbol* symbol = ZBarcode_Create();
      symbol->symbology = BARCODE_DATAMATRIX;
      symbol->option_3 = DM_SQUARE;
      rc |= ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char*>(value.data()),
                            static_cast<int>(value.size()));
      ZBarcode_Delete(symbol);
    }
  } else {
    for (long i = 0; i < n; ++i) {
      tavo::FontString out;
      rc |= tavo::EncodeDataMatrix(value, 0, out);
    }
  }
  return rc == 0 ? 0 : 1;
}
