/* Sets translated values in the installed TAVO fonts the way Windows programs
 * and VBA print: the face chosen by name with CreateFontA, the font string
 * drawn with TextOutA (ANSI text, Windows-1252) into a DIB section.
 *
 *   gdi_fonts_test faces DLL ours|substitute [FONT_DIR]
 *       For every face name BC_FontGetFaceName gives with the prefix "TAVO "
 *       (every code, height and caption variant it accepts), creates the
 *       font by that exact name, selects it and asks GetTextFaceA which face
 *       GDI chose.  "ours": it must be that face, and the font's name table
 *       must be the TAVO font's; "substitute": it must be another face.
 *       With FONT_DIR, first adds every *.ttf there with AddFontResourceA
 *       (for a Windows whose font machinery does not load per-user fonts).
 *   gdi_fonts_test draw DLL LIST OUT_DIR [FONT_DIR]
 *       Each line of LIST: "ID SYMBOLOGY CHECK HEIGHT CAPTION EM_PIXELS
 *       MARGIN MONO HEX_VALUE".  Translates the value, sets the font string
 *       in the face the library names for the symbology (code 0 in the
 *       Code 39 faces) and writes OUT_DIR\ID.pgm.  Prints
 *       "ID ok ASCENT \"FACE\" HEX_FONT_STRING" (the baseline lies MARGIN +
 *       ASCENT pixels from the top) or "ID error CODE".
 *   gdi_fonts_test hold FILE SECONDS
 *       Holds FILE open with no sharing for SECONDS (0: until killed), as a
 *       program that has a font in use does; prints "holding" once it is
 *       open, or "cannot hold: error N" with the Windows error.
 * Exit status 0 when every check passed. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int32_t(__stdcall *FontTranslate)(int32_t, const char *, int32_t, char *, int32_t, int32_t *);
typedef int32_t(__stdcall *GetFaceName)(const char *, int32_t, int32_t, int32_t, char *, int32_t,
                                        int32_t *);

static FontTranslate translate;
static GetFaceName face_name;

static int Load(const char *dll) {
  HMODULE h = LoadLibraryA(dll);
  if (!h) {
    fprintf(stderr, "cannot load %s (error %lu)\n", dll, GetLastError());
    return 0;
  }
  translate = (FontTranslate)(void (*)(void))GetProcAddress(h, "BC_FontTranslate");
  face_name = (GetFaceName)(void (*)(void))GetProcAddress(h, "BC_FontGetFaceName");
  return translate && face_name;
}

static int AddFonts(const char *dir) {
  char pattern[MAX_PATH], path[MAX_PATH];
  snprintf(pattern, sizeof pattern, "%s\\*.ttf", dir);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  int added = 0;
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    snprintf(path, sizeof path, "%s\\%s", dir, found.cFileName);
    added += AddFontResourceA(path) > 0;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  printf("added %d fonts from %s with AddFontResourceA\n", added, dir);
  return added;
}

static HFONT Create(const char *face, int em_pixels, int mono) {
  return CreateFontA(-em_pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     mono ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

/* The font's name table holds the TAVO fonts' manufacturer, in UTF-16BE. */
static int NameTableIsOurs(HDC dc) {
  const DWORD tag = 'n' | 'a' << 8 | 'm' << 16 | (DWORD)'e' << 24;
  DWORD size = GetFontData(dc, tag, 0, NULL, 0);
  if (size == GDI_ERROR || size == 0) return 0;
  unsigned char *data = malloc(size);
  int ours = 0;
  if (data && GetFontData(dc, tag, 0, data, size) == size) {
    static const char kMaker[] = "TAVO32 developers";
    const size_t n = sizeof kMaker - 1;
    for (DWORD i = 0; !ours && i + 2 * n <= size; ++i) {
      size_t k = 0;
      while (k < n && data[i + 2 * k] == 0 && data[i + 2 * k + 1] == (unsigned char)kMaker[k]) ++k;
      ours = k == n;
    }
  }
  free(data);
  return ours;
}

static int Faces(int want_ours) {
  char names[1024][64];
  int count = 0, failures = 0;
  /* Generous ranges: whatever codes, heights and variants the library
   * accepts now or later; each distinct name once. */
  for (int32_t code = 0; code < 256; ++code) {
    for (int32_t height = 0; height < 8; ++height) {
      for (int32_t caption = 0; caption < 2; ++caption) {
        char buf[64];
        int32_t len = 0;
        if (face_name("TAVO ", code, height, caption, buf, sizeof buf - 1, &len) != 0) continue;
        buf[len] = 0;
        int seen = 0;
        for (int i = 0; i < count && !seen; ++i) seen = strcmp(names[i], buf) == 0;
        if (!seen && count < 1024) strcpy(names[count++], buf);
      }
    }
  }
  printf("codes:");
  for (int32_t code = 0; code < 256; ++code) {
    char buf[256];
    int32_t len = 0;
    if (translate(code, "", 0, buf, sizeof buf, &len) != 32511) printf(" %d", (int)code);
  }
  printf("\n");
  HDC dc = CreateCompatibleDC(NULL);
  for (int i = 0; i < count; ++i) {
    HFONT font = Create(names[i], 40, 0);
    HGDIOBJ old = SelectObject(dc, font);
    char got[LF_FACESIZE] = "";
    GetTextFaceA(dc, sizeof got, got);
    const int same = strcmp(got, names[i]) == 0 && NameTableIsOurs(dc);
    const int ok = want_ours ? same : strcmp(got, names[i]) != 0;
    printf("face \"%s\": GDI chose \"%s\"%s: %s\n", names[i], got,
           same ? " (the TAVO font)" : "", ok ? "ok" : "FAILED");
    failures += !ok;
    SelectObject(dc, old);
    DeleteObject(font);
  }
  DeleteDC(dc);
  printf("faces: %d names, %d as expected (%s), %d failed\n", count, count - failures,
         want_ours ? "our fonts" : "substitutes", failures);
  return count > 0 && failures == 0;
}

static int Hex(const char *hex, char *out, size_t cap) {
  size_t n = 0;
  for (; hex[0] && hex[1] && n + 1 < cap; hex += 2) {
    unsigned v = 0;
    if (sscanf(hex, "%2x", &v) != 1) return 0;
    out[n++] = (char)v;
  }
  out[n] = 0;
  return 1;
}

static int WritePgm(const char *path, const unsigned char *bgrx, int w, int h) {
  FILE *f = fopen(path, "wb");
  if (!f) return 0;
  fprintf(f, "P5\n%d %d\n255\n", w, h);
  unsigned char *row = malloc((size_t)w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned char *p = bgrx + ((size_t)y * w + x) * 4;
      row[x] = (unsigned char)((p[0] + 2 * p[1] + p[2]) / 4);
    }
    fwrite(row, 1, (size_t)w, f);
  }
  free(row);
  return fclose(f) == 0;
}

/* One sample: translate, set in the named face with TextOutA, save. */
static int DrawOne(const char *line, const char *out_dir) {
  char id[32], hex[2100], value[1050], text[8192], face[64];
  int sym, check, height, caption, em, margin, mono;
  if (sscanf(line, "%31s %d %d %d %d %d %d %d %2099s", id, &sym, &check, &height, &caption, &em,
             &margin, &mono, hex) != 9 || !Hex(hex, value, sizeof value)) {
    if (sscanf(line, "%31s %d %d %d %d %d %d %d", id, &sym, &check, &height, &caption, &em, &margin,
               &mono) != 8)
      return 0;
    value[0] = 0; /* an empty value */
  }
  int32_t len = 0, face_len = 0;
  int32_t rc = translate(sym, value, check, text, sizeof text, &len);
  if (rc == 0)
    rc = face_name("TAVO ", sym == 0 ? 1 : sym, height, caption, face, sizeof face - 1, &face_len);
  if (rc != 0) {
    printf("%s error %d\n", id, (int)rc);
    return 1;
  }
  face[face_len] = 0;
  HDC dc = CreateCompatibleDC(NULL);
  HFONT font = Create(face, em, mono);
  HGDIOBJ old_font = SelectObject(dc, font);
  SIZE extent;
  TEXTMETRICA tm;
  GetTextExtentPoint32A(dc, text, len, &extent);
  GetTextMetricsA(dc, &tm);
  const int w = extent.cx + 2 * margin, h = tm.tmHeight + 2 * margin;
  BITMAPINFO bi;
  memset(&bi, 0, sizeof bi);
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h; /* top-down */
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old_bmp = SelectObject(dc, bmp);
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  const BOOL drawn = TextOutA(dc, margin, margin, text, len);
  GdiFlush();
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\%s.pgm", out_dir, id);
  const int saved = drawn && bits && WritePgm(path, bits, w, h);
  SelectObject(dc, old_bmp);
  SelectObject(dc, old_font);
  DeleteObject(bmp);
  DeleteObject(font);
  DeleteDC(dc);
  printf("%s %s %ld \"%s\" ", id, saved ? "ok" : "unsaved", (long)tm.tmAscent, face);
  for (int32_t i = 0; i < len; ++i) printf("%02X", (unsigned char)text[i]);
  printf("\n");
  return saved;
}

static int Draw(const char *list, const char *out_dir) {
  FILE *f = fopen(list, "r");
  if (!f) return 0;
  if (GetACP() != 1252) printf("note: the ANSI code page is %u, not 1252\n", GetACP());
  char line[4096];
  int ok = 1;
  while (fgets(line, sizeof line, f))
    if (line[0] != '#' && line[0] != '\n') ok &= DrawOne(line, out_dir);
  fclose(f);
  return ok;
}

static int Hold(const char *path, int seconds) {
  HANDLE h = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) {
    printf("cannot hold: error %lu\n", (unsigned long)GetLastError());
    fflush(stdout);
    return 0;
  }
  printf("holding\n");
  fflush(stdout);
  Sleep(seconds > 0 ? (DWORD)seconds * 1000 : INFINITE);
  CloseHandle(h);
  return 1;
}

int main(int argc, char **argv) {
  if (argc == 4 && strcmp(argv[1], "hold") == 0) return Hold(argv[2], atoi(argv[3])) ? 0 : 1;
  if (argc < 4 || !Load(argv[2])) {
    fprintf(stderr, "usage: gdi_fonts_test faces DLL ours|substitute [FONT_DIR]\n"
                    "       gdi_fonts_test draw DLL LIST OUT_DIR [FONT_DIR]\n"
                    "       gdi_fonts_test hold FILE SECONDS\n");
    return 2;
  }
  if (strcmp(argv[1], "faces") == 0) {
    if (argc > 4 && !AddFonts(argv[4])) return 1;
    return Faces(strcmp(argv[3], "ours") == 0) ? 0 : 1;
  }
  if (strcmp(argv[1], "draw") == 0 && argc >= 5) {
    if (argc > 5 && !AddFonts(argv[5])) return 1;
    return Draw(argv[3], argv[4]) ? 0 : 1;
  }
  return 2;
}
