/* Translates an EAN-13 value, names the font to set it in, and shows the
 * message of a refused value. */
#include <stdio.h>

#include "tavo32.h"

static int show(const char *value) {
  char font[64], face[64];
  int32_t font_len = 0, face_len = 0;
  int32_t rc = BC_FontTranslate(BC_SYM_EAN13, value, 0, font, sizeof font, &font_len);
  if (rc != 0) {
    char message[112] = {0}; /* no terminator is written: start from zeros */
    BC_StrErr(rc, message, sizeof message - 1); /* the longest message is 111 bytes */
    printf("%s: %d %s\n", value, rc, message);
    return rc;
  }
  BC_FontGetFaceName("TAVO ", BC_SYM_EAN13, 0, 0, face, sizeof face, &face_len);
  printf("%s: %.*s in \"%.*s\"\n", value, (int)font_len, font, (int)face_len, face);
  return 0;
}

int main(void) {
  int ok = show("978012345678") == 0;
  int refused = show("97801234567X") == BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC;
  return ok && refused ? 0 : 1;
}
