/*
 * tavo32.h - bar code font translation library (TAVO32).
 *
 * A caller passes a symbology code and a bar code value and gets back the
 * bytes that, set in the matching bar code font, print a complete symbol:
 * start/stop characters, guards, check characters, supplements and caption
 * digits.  The library draws nothing and keeps no state between calls; every
 * entry may be called from several threads at once.
 *
 * Conventions shared by every entry:
 *  - Only 32-bit integers and pointers cross the boundary.  On 32-bit Windows
 *    every function uses the standard calling convention (__stdcall, the
 *    callee removes its arguments) and is exported by name and by ordinal.
 *  - Text is copied to the start of the caller's buffer by length; no
 *    terminating NUL is written and the bytes after the text keep their
 *    values.  A text that does not fit is never written in part.
 *  - Every capacity is compared as a signed number: a negative capacity never
 *    lets anything be written.  A null buffer counts as capacity 0 and a null
 *    length pointer is simply not written.
 *  - On every error the caller's buffer and length variable stay exactly as
 *    they were.  When memory runs out the entry returns BC_FONT_ERR_OUT_OF_MEMORY.
 *    Two entries differ: BC_StrErr writes its replacement text when a message
 *    does not fit, and BC_CharCheck has no error codes (it returns 0 for an
 *    invalid character or a text that does not fit, and writes nothing then).
 *
 * Compiles as C (C99) and as C++.
 */
#ifndef TAVO32_H
#define TAVO32_H

#include <stdint.h>

#if defined(_WIN32)
#  define BC_CALL __stdcall
#  define BC_API /* names and ordinals come from res/tavo32.def */
#elif defined(__GNUC__)
#  define BC_CALL
#  define BC_API __attribute__((visibility("default")))
#else
#  define BC_CALL
#  define BC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Symbology codes, argument 1 of BC_FontTranslate. */
enum {
  BC_SYM_CODE39_FULL_ASCII = 0, /* Code 39 Full ASCII in the 43 standard characters, "*" start/stop */
  BC_SYM_CODE39 = 1,            /* Code 39 for the library's Code 39 fonts, one font character each */
  BC_SYM_I2OF5 = 2,             /* Interleaved 2 of 5 */
  BC_SYM_CODABAR = 3,           /* Codabar */
  BC_SYM_MSI = 4,               /* MSI (modulo 10, optionally double modulo 10) */
  BC_SYM_CODE93 = 5,            /* Code 93 (full ASCII) */
  BC_SYM_UPCA = 6,              /* UPC-A */
  BC_SYM_UPCE = 7,              /* UPC-E */
  BC_SYM_POSTNET = 8,           /* PostNet */
  BC_SYM_EAN8 = 9,              /* EAN/JAN-8 */
  BC_SYM_EAN13 = 10,            /* EAN/JAN-13 */
  BC_SYM_CODE128 = 11,          /* Code 128 */
  BC_SYM_GS1_128 = 12,          /* GS1-128 from element strings "(01)09501101530003(10)AB12" or
                                   "[01]09501101530003[10]AB12" (the first byte picks the form);
                                   a parenthesis in data is written \( or \) (plain in the [ ] form) */
  BC_SYM_IMB = 13,              /* Intelligent Mail (USPS 4-state), 65 bars A D F T */
  BC_SYM_QR = 14,               /* QR Code; check is the error correction level: 0 M, 1 L, 2 M, 3 Q, 4 H,
                                   plus 8 for GS1 "(01)..." (FNC1 first), 16 for the GS1 Digital Link URI
                                   of element strings (not with 8) and 32 for Kanji mode (JIS X 0208) */
  BC_SYM_DATAMATRIX = 15,       /* Data Matrix ECC 200; check: 0 square, 1 rectangles too, 2/3 GS1 "(01)...",
                                   4/5 (0/1 | 4) the GS1 Digital Link URI of element strings */
  BC_SYM_GTIN13 = 16,           /* EAN/JAN-13 from 13 digits including the check digit */
  BC_SYM_GTIN8 = 17,            /* EAN/JAN-8 from 8 digits including the check digit */
  BC_SYM_GTIN12 = 18,           /* UPC-A from 12 digits including the check digit */
  BC_SYM_UPCE8 = 19,            /* UPC-E from 8 digits: number system 0 or 1, six, check digit */
  BC_SYM_ITF14 = 20,            /* ITF-14 with bearer bars: 13 digits, or 14 with the check digit */
  /* GS1 DataBar from a GTIN (13 or 14 digits, "(01)" optional), lines of the TAVO DATABAR face */
  BC_SYM_DATABAR = 21,              /* Omnidirectional; check 1: Truncated */
  BC_SYM_DATABAR_STACKED = 23,      /* Stacked */
  BC_SYM_DATABAR_STACKED_OMNI = 24, /* Stacked Omnidirectional */
  BC_SYM_DATABAR_LIMITED = 25,      /* Limited: first digit 0 or 1 */
  BC_SYM_DATABAR_EXPANDED = 26,     /* Expanded: GS1 element strings */
  BC_SYM_DATABAR_EXPANDED_STACKED = 27, /* Expanded Stacked: check = segments per row, 0 for 4 */
  /* PDF417, lines of the TAVO PDF417 face; check: the error correction level + 1 (0: the
   * recommended level), plus 16 x the data columns (0: about square), plus 512 for truncated */
  BC_SYM_PDF417 = 28,
  BC_SYM_MICROPDF417 = 29,          /* MicroPDF417, lines of the TAVO PDF417 face; check: columns 1-4, 0 the smallest */
  /* Aztec Code (UTF-8 text with ECI 26), lines of the TAVO AZTEC face;
     check = ec_percent (0: 23% + 3 words, or 5..95) + 128 * size (0: smallest,
     1..4 compact, 5..36 full-range of 1..32 layers) */
  BC_SYM_AZTEC = 30
};

/* Code 128 values carry the function characters as these single bytes, and
 * NUL as data as BC_CODE128_NUL. */
enum {
  BC_CODE128_FNC1 = 185,
  BC_CODE128_FNC2 = 178,
  BC_CODE128_FNC3 = 179,
  BC_CODE128_FNC4 = 188,
  BC_CODE128_NUL = 199
};

/* Error codes.  0 is success.  BC_StrErr gives the English message of each.
 * (The five incomplete-length codes are also returned by the exported
 * functions BC_Font_ERR_INCOMPLETE_UPCA and friends, declared below.) */
enum {
  BC_FONT_OK = 0,
  BC_FONT_ERR_INCOMPLETE_UPCA = 32500,
  BC_FONT_ERR_INCOMPLETE_UPCE = 32501,
  BC_FONT_ERR_INCOMPLETE_EANJAN_8 = 32502,
  BC_FONT_ERR_INCOMPLETE_EANJAN_13 = 32503,
  BC_FONT_ERR_INCOMPLETE_POSTNET = 32504,
  BC_FONT_ERR_ILLEGAL_CHARACTER = 32505,
  BC_FONT_ERR_ILLEGAL_CHARACTER_ASCII = 32506,
  BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC = 32507,
  BC_FONT_ERR_ILLEGAL_FIRST_DIGIT = 32508,
  BC_FONT_ERR_UPCE_MISSING_ZEROS = 32509,
  BC_FONT_ERR_TOO_MANY_CHARACTERS = 32510,
  BC_FONT_ERR_UNKNOWN_SYMBOLOGY = 32511,
  BC_FONT_ERR_RETURNED_STRING_TOO_LONG = 32512,
  BC_FONT_ERR_LOGIC = 32513,
  BC_FONT_ERR_INVALID_VALUE = 32514,
  BC_FONT_ERR_INVALID_DEVICE_CONTEXT = 32515,
  BC_FONT_ERR_INVALID_SYMBOLOGY = 32516,
  BC_FONT_ERR_INVALID_RATIO = 32517,
  BC_FONT_ERR_INVALID_ROTATION = 32518,
  BC_FONT_ERR_INVALID_MAGNIFICATION = 32519,
  BC_FONT_ERR_INVALID_UNITS = 32520,
  BC_FONT_ERR_INVALID_BAR_WIDTH = 32521,
  BC_FONT_ERR_INVALID_BAR_HEIGHT = 32522,
  BC_FONT_ERR_CREATE_FONT = 32523,
  BC_FONT_ERR_SELECT_FONT = 32524,
  BC_FONT_ERR_DRAW_CAPTION = 32525,
  BC_FONT_ERR_UNEXPECTED_OUTPUT_CHARACTER = 32526,
  BC_FONT_ERR_OUT_OF_MEMORY = 32529,
  /* GS1-128 element strings (codes 12 and BC_GS1HumanReadable) */
  BC_FONT_ERR_GS1_UNKNOWN_AI = 32530,
  BC_FONT_ERR_GS1_UNBALANCED_PARENTHESIS = 32531,
  BC_FONT_ERR_GS1_MISSING_AI = 32532,
  BC_FONT_ERR_GS1_DATA_LENGTH = 32533,
  BC_FONT_ERR_GS1_DATA_NOT_NUMERIC = 32534,
  BC_FONT_ERR_GS1_DATA_NOT_CSET82 = 32535,
  BC_FONT_ERR_GS1_DATA_NOT_CSET39 = 32536,
  BC_FONT_ERR_GS1_CHECK_DIGIT = 32537,
  BC_FONT_ERR_GS1_DATE = 32538,
  BC_FONT_ERR_GS1_COUNTRY = 32539,
  BC_FONT_ERR_GS1_CURRENCY = 32540,
  BC_FONT_ERR_GS1_PERCENT_ENCODING = 32541,
  BC_FONT_ERR_GS1_CONTENT = 32542,
  BC_FONT_ERR_GS1_MISSING_COMPANION = 32543,
  BC_FONT_ERR_GS1_EXCLUSIVE_AIS = 32544,
  BC_FONT_ERR_GS1_REPEATED_AI = 32545,
  BC_FONT_ERR_GS1_TOO_LONG = 32546,
  /* Full GTINs (codes 16..19) and BC_GS1CheckDigit */
  BC_FONT_ERR_GTIN_CHECK_DIGIT = 32547,
  BC_FONT_ERR_INCOMPLETE_GTIN = 32548,
  BC_FONT_ERR_UPCE_NUMBER_SYSTEM = 32549,
  /* Intelligent Mail (code 13) */
  BC_FONT_ERR_IMB_ILLEGAL_CHARACTER = 32550,        /* not a digit, '-' or space */
  BC_FONT_ERR_IMB_INCOMPLETE_TRACKING = 32551,      /* fewer than 20 tracking digits */
  BC_FONT_ERR_IMB_SEPARATOR_IN_TRACKING = 32552,    /* '-' or space among the 20 tracking digits */
  BC_FONT_ERR_IMB_ILLEGAL_BARCODE_IDENTIFIER = 32553, /* second tracking digit above 4 */
  BC_FONT_ERR_IMB_INCOMPLETE_ROUTING = 32554,       /* routing code not 0, 5, 9 or 11 digits */
  BC_FONT_ERR_TOO_LONG_FOR_SYMBOL = 32560,
  BC_FONT_ERR_INVALID_CHECK_OPTION = 32561,
  /* GS1 Digital Link (BC_GS1DigitalLink, BC_GS1FromDigitalLink) */
  BC_FONT_ERR_GS1_DL_NO_PRIMARY_KEY = 32570,     /* no AI that may start a URI path (01, 00, 414 ...) */
  BC_FONT_ERR_GS1_DL_QUALIFIER_SEQUENCE = 32571, /* qualifiers out of order, or of two sequences */
  BC_FONT_ERR_GS1_DL_NOT_ATTRIBUTE = 32572,      /* an AI that may not stand in the query string */
  BC_FONT_ERR_GS1_DL_BAD_DOMAIN = 32573,
  BC_FONT_ERR_GS1_DL_BAD_URI = 32574,
  BC_FONT_ERR_GS1_DL_REPEATED_AI = 32575,
  BC_FONT_ERR_GS1_DL_TOO_LONG = 32576,           /* over 4096 data characters */
  BC_FONT_ERR_DATABAR_LIMITED_INDICATOR = 32585, /* DataBar Limited: GTIN's first digit not 0 or 1 */
  BC_FONT_ERR_DATABAR_EXPANDED_CHARACTER = 32586, /* DataBar Expanded: a character no mode encodes */
  BC_FONT_ERR_DATABAR_EXPANDED_TOO_LONG = 32587, /* DataBar Expanded: more than 21 data characters */
  BC_FONT_ERR_DATABAR_EXPANDED_SEGMENTS = 32588 /* Expanded Stacked: segments per row not even 2 to 20 */
};

/* Translation version returned by BC_FontGetVer. */
#define BC_FONT_TRANSLATION_VERSION 9611080

/* Translates `value` (NUL-terminated; NULL reads as "") for `symbology` into
 * the font string of a complete symbol.  `check` nonzero asks for the
 * symbology's optional check character(s).  On success writes the bytes to
 * `buf` (no terminator), stores their number in *len and returns 0.  Returns
 * BC_FONT_ERR_UNKNOWN_SYMBOLOGY for a code without a symbology (each of 0..19
 * has one), the encoder's code for a value it rejects, and BC_FONT_ERR_TOO_MANY_CHARACTERS when the
 * result is longer than `cap`; on any error nothing is written.  Ordinal 6. */
BC_API int32_t BC_CALL BC_FontTranslate(int32_t symbology, const char *value, int32_t check,
                                       char *buf, int32_t cap, int32_t *len);

/* Writes the message of `code` to `buf` (no terminator; the caller clears the
 * buffer first to find its end).  Returns 0, or BC_FONT_ERR_RETURNED_STRING_TOO_LONG
 * when the message is longer than `cap`: the replacement text
 * "DLL logic error: error message too big" is written if it fits, and nothing
 * otherwise.  The longest message (32503) is 111 bytes: to read every message
 * as a C string, clear a buffer of 112 bytes and pass a capacity of 111, so a
 * zero byte always follows the text.  Ordinal 5. */
BC_API int32_t BC_CALL BC_StrErr(int32_t code, char *buf, int32_t cap);

/* Writes `prefix` (NULL reads as "") followed by the face-name suffix of the
 * bar code font for `symbology` (1..19; code 0 has no font of its own), bar
 * height `height` (0 L, 1 M, 2 H) and caption variant (both ignored where
 * the symbology has a single face: UPC/EAN/GTIN, PostNet, 13 IMB, 14 QR,
 * 15 DM).  The capacity must be at least the name's length plus
 * one, although no terminator is written.  Returns 0,
 * BC_FONT_ERR_UNKNOWN_SYMBOLOGY or BC_FONT_ERR_TOO_MANY_CHARACTERS.  Ordinal 7. */
BC_API int32_t BC_CALL BC_FontGetFaceName(const char *prefix, int32_t symbology, int32_t height,
                                         int32_t caption, char *buf, int32_t cap, int32_t *len);

/* Tells an input form whether character code `ch` (0..255) may stand in a
 * value of `symbology`, and writes the text under which to show it (the
 * character, or a label such as "<SOH> " or "<FNC1>", with " Alt 001" when
 * `alt` is nonzero and the character has a label).  Returns 1 when valid and
 * written, 0 otherwise (nothing written).  Ordinal 8. */
BC_API int32_t BC_CALL BC_CharCheck(int32_t symbology, int32_t ch, int32_t alt,
                                   char *buf, int32_t cap, int32_t *len);

/* The translation version, 9611080.  Ordinal 9. */
BC_API int32_t BC_CALL BC_FontGetVer(void);

/* Components of the file version of the library's own file as installed in
 * the system directory (3, 1 and 8 for version 3.1.8.0); 0 on any failure.
 * Ordinals 1, 2, 3. */
BC_API int32_t BC_CALL TAVO_VersionMajor(void);
BC_API int32_t BC_CALL TAVO_VersionMinor(void);
BC_API int32_t BC_CALL TAVO_VersionRevision(void);

/* The incomplete-length error codes, for callers that prefer not to write the
 * numbers into their own code: 32500..32504.  Ordinals 10..14. */
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_UPCA(void);
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_UPCE(void);
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_EANJAN_8(void);
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_EANJAN_13(void);
BC_API int32_t BC_CALL BC_Font_ERR_INCOMPLETE_POSTNET(void);

/* The human-readable text of a GS1-128 value, to print under the symbol in
 * an ordinary font: "(AI)data" for each element string, data without the
 * \( and \) escapes.  The value is validated as BC_FontTranslate validates
 * code 12 and gives the same error codes; BC_FONT_ERR_TOO_MANY_CHARACTERS
 * when the text is longer than `cap`.  On success writes the text (no
 * terminator), stores its length in *len and returns 0; on error nothing is
 * written.  Ordinal 15. */
BC_API int32_t BC_CALL BC_GS1HumanReadable(const char *value, char *buf, int32_t cap,
                                          int32_t *len);

/* The GS1 modulo-10 check digit of a key (GTIN-8/12/13/14, GLN, SSCC ...).
 * With `verify` 0, `key` is the 7 to 17 digits before the check digit; with
 * `verify` nonzero, the 8 to 18 digits including it.  Returns 0 and stores
 * the check digit (0..9) in *digit; BC_FONT_ERR_ILLEGAL_CHARACTER_NUMERIC for
 * a non-digit, BC_FONT_ERR_INCOMPLETE_GTIN for another length,
 * BC_FONT_ERR_GTIN_CHECK_DIGIT when verifying a wrong check digit.  On error
 * *digit is not written.  Ordinal 16. */
BC_API int32_t BC_CALL BC_GS1CheckDigit(const char *key, int32_t verify, int32_t *digit);

/* The GS1 Digital Link URI of GS1 element strings (`value` as for code 12,
 * "(01)...(10)..." or "[01]...[10]...", validated the same way but without
 * the 48-character limit), under `domain` ("https://example.com/path";
 * NULL or "" for https://id.gs1.org; a trailing '/' is dropped): the first
 * primary key AI and its qualifiers as the path, in the order the GS1
 * Barcode Syntax Dictionary gives them, then every other AI as a query
 * parameter (those of predefined length first), values percent-encoded
 * outside RFC 3986's unreserved characters.  An AI repeated with the same
 * data is written once.  Returns 0 and writes the URI (no terminator) and
 * its length; the element-string errors, BC_FONT_ERR_GS1_DL_*, or
 * BC_FONT_ERR_TOO_MANY_CHARACTERS when the URI is longer than `cap`; on
 * error nothing is written.  Ordinal 17. */
BC_API int32_t BC_CALL BC_GS1DigitalLink(const char *value, const char *domain, char *buf,
                                        int32_t cap, int32_t *len);

/* The element strings of a GS1 Digital Link URI, "(AI)data..." with \( and
 * \) for parentheses in data (the form code 12 and BC_GS1DigitalLink take):
 * the path's key and qualifiers, then the query's AIs in their order.  The
 * scheme is http:// or https:// in lower case; the stem before the key may
 * have path segments; query parameters without '=' or with a name that is
 * not numeric are ignored.  The data are checked as a bar code value's.
 * Same return and buffer contract as BC_GS1DigitalLink.  Ordinal 18. */
BC_API int32_t BC_CALL BC_GS1FromDigitalLink(const char *uri, char *buf, int32_t cap,
                                            int32_t *len);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* TAVO32_H */
