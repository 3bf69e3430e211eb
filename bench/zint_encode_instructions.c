/* zint's ZBarcode_Encode N times on one value, with the symbology and
 * options given, for counting instructions per call under callgrind beside
 * tavo32_instructions (bench/compare.sh).  One symbol structure, created
 * once; ZBarcode_Clear before each call, as zint asks.
 *   zint_encode_instructions SYMBOLOGY OPTION_1 OPTION_2 OPTION_3 INPUT_MODE VALUE N
 * (the numbers are zint's own: BARCODE_..., DM_SQUARE, GS1_MODE ...). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zint.h>

int main(int argc, char **argv) {
  if (argc != 8) {
    fprintf(stderr, "usage: %s SYMBOLOGY OPTION_1 OPTION_2 OPTION_3 INPUT_MODE VALUE N\n", argv[0]);
    return 2;
  }
  const unsigned char *value = (const unsigned char *)argv[6];
  const int length = (int)strlen(argv[6]);
  const long n = atol(argv[7]);
  struct zint_symbol *symbol = ZBarcode_Create();
  if (!symbol) return 1;
  int rc = 0;
  for (long i = 0; i < n; ++i) {
    ZBarcode_Clear(symbol);
    symbol->symbology = atoi(argv[1]);
    symbol->option_1 = atoi(argv[2]);
    symbol->option_2 = atoi(argv[3]);
    symbol->option_3 = atoi(argv[4]);
    symbol->input_mode = atoi(argv[5]);
    rc |= ZBarcode_Encode(symbol, value, length) >= ZINT_ERROR;
  }
  if (rc) fprintf(stderr, "zint: %s\n", symbol->errtxt);
  ZBarcode_Delete(symbol);
  return rc;
}
