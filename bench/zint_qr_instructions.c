/* Calls zint's ZBarcode_Encode N times on one value as QR Code, for
 * counting instructions per call under callgrind beside tavo32_instructions
 * (see bench/qr_instructions.sh).  The symbol is cleared between calls, as
 * zint asks, and created once.
 *   zint_qr_instructions VALUE LEVEL N      (LEVEL 1-4 = L, M, Q, H) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zint.h>

int main(int argc, char **argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s VALUE LEVEL N\n", argv[0]);
    return 2;
  }
  const unsigned char *value = (const unsigned char *)argv[1];
  const int length = (int)strlen(argv[1]);
  const int level = atoi(argv[2]);
  const long n = atol(argv[3]);
  struct zint_symbol *symbol = ZBarcode_Create();
  int rc = 0;
  for (long i = 0; i < n; ++i) {
    ZBarcode_Clear(symbol);
    symbol->symbology = BARCODE_QRCODE;
    symbol->option_1 = level;
    rc |= ZBarcode_Encode(symbol, value, length) >= ZINT_ERROR;
  }
  ZBarcode_Delete(symbol);
  return rc;
}
