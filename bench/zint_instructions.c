/* zint's Intelligent Mail encoder N times on one value, for the same count
 * under callgrind as tavo32_instructions (see bench/instructions.sh): one
 * symbol structure, ZBarcode_Encode then ZBarcode_Clear per call, so the
 * count is the encoding and not the allocation of the structure.
 *   zint_instructions VALUE N */
#include <stdio.h>
#include <stdlib.h>
#include <zint.h>

int main(int argc, char **argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s VALUE N\n", argv[0]);
    return 2;
  }
  const long n = atol(argv[2]);
  struct zint_symbol *symbol = ZBarcode_Create();
  if (!symbol) return 1;
  int rc = 0;
  for (long i = 0; i < n; ++i) {
    symbol->symbology = BARCODE_USPS_IMAIL;
    rc |= ZBarcode_Encode(symbol, (const unsigned char *)argv[1], 0);
    ZBarcode_Clear(symbol);
  }
  ZBarcode_Delete(symbol);
  return rc == 0 ? 0 : 1;
}
