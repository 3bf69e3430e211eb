/* tavo-fonts.exe: installs the TAVO bar code fonts that lie in its own folder
 * for the current user, with no administrator rights.
 *
 *   tavo-fonts              install every *.ttf of the program's folder
 *   tavo-fonts /uninstall   remove them again (registry entries and files)
 *   tavo-fonts /list        print each face and whether it is installed
 *
 * Installing a font for one user means: copy the file into the user's font
 * folder (%LOCALAPPDATA%\Microsoft\Windows\Fonts), name it under
 * HKCU\Software\Microsoft\Windows NT\CurrentVersion\Fonts as
 * "<full font name> (TrueType)" = <full path of the copy>, make it available
 * at once (AddFontResource) and tell running programs (WM_FONTCHANGE).
 *
 * What belongs to someone else is never changed: a file in the font folder
 * with one of our file names but other contents (not a version of our face),
 * or a registry value of our face name that names another file, makes the
 * run skip that font and say so.  A value of our face name that is no font
 * registration at all (not a string, empty, or longer than a path can be) is
 * saved exactly, type and bytes, under HKCU\Software\TAVO32\Fonts before it
 * is replaced, and /uninstall puts it back.  /uninstall removes only a file
 * with the same bytes as the font beside the program, and only a value that
 * names such a file (or a missing one).
 *
 * Every run first looks at every font and only then changes anything: a font
 * that another program holds open stops the run before the first change.  A
 * step that fails all the same undoes the steps before it, so a run changes
 * every font or none.  Running it twice changes nothing the second time.
 * Exit status: 0 done, 1 nothing changed because of an error, 2 bad usage,
 * 3 done, but some fonts were skipped because another font holds their file
 * or registry name. */
#define WIN32_LEAN_AND_MEAN
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <shlobj.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define kFontsKey L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
#define kSavedKey L"Software\\TAVO32\\Fonts" /* values replaced by an install, as they were */
#define kOwnKey L"Software\\TAVO32"
#define kFaceCap 128

/* The copy in the user's font folder. */
typedef enum {
  kFileAbsent,
  kFileOurs,    /* the same bytes as the font beside the program */
  kFileOlder,   /* other bytes, but our face: another version of the font */
  kFileForeign, /* another font's file under our file name */
  kFileLocked   /* there, but another program holds it open: cannot be read */
} FileState;

/* The registry value of the face's name. */
typedef enum {
  kValueAbsent,
  kValueOurs,     /* a string naming the copy */
  kValueForeign,  /* a string naming another file: another font's registration */
  kValueJunk      /* no registration: saved, replaced, and restored on uninstall */
} ValueState;

/* A registry value exactly as it was: type and bytes. */
typedef struct {
  int present;
  DWORD type, size;
  BYTE *data;
} RegValue;

/* One font of the program's folder and what is known about its installed copy. */
typedef struct {
  wchar_t source[MAX_PATH];  /* the file beside the program */
  wchar_t target[MAX_PATH];  /* its copy in the user's font folder */
  wchar_t backup[MAX_PATH];  /* where the copy waits while a run may still be undone */
  wchar_t face[kFaceCap];    /* full font name, from the font's name table */
  wchar_t value[kFaceCap + 16]; /* registry value name: face + " (TrueType)" */
  FileState file;
  ValueState reg;
  RegValue old;    /* the Fonts value before this run */
  RegValue saved;  /* the copy under kSavedKey, if an earlier install saved one */
  const wchar_t *skip; /* why an install leaves this font alone, or NULL */
  /* what this run did, for undoing it */
  int did_backup, did_copy, did_save, did_register, did_add, did_unsave;
} Font;

static Font *fonts = NULL;
static int font_count = 0, font_cap = 0;
static wchar_t font_dir[MAX_PATH]; /* the user's font folder */
static HKEY fonts_key = NULL;
static HKEY saved_key = NULL; /* kSavedKey, opened when it exists or is needed */

static void Say(const wchar_t *format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t line[1024];
  _vsnwprintf(line, 1023, format, args);
  line[1023] = 0;
  va_end(args);
  /* UTF-8 on the console whatever its code page; face names are ASCII anyway. */
  char utf8[4096];
  int n = WideCharToMultiByte(CP_UTF8, 0, line, -1, utf8, sizeof utf8, NULL, NULL);
  if (n > 0) fputs(utf8, stdout);
  fflush(stdout);
}

static void SayError(const wchar_t *what, DWORD error) {
  wchar_t text[512] = L"";
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, text,
                 511, NULL);
  for (size_t n = wcslen(text); n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n'); --n)
    text[n - 1] = 0;
  Say(L"error: %ls: %ls (%lu)\n", what, text, (unsigned long)error);
}

/* Formats into out[cap] and says whether all of it fit.  The msvcrt
 * formatter writes no terminator when it truncates; this always writes one,
 * and leaves an empty string behind when the text does not fit. */
static int Format(wchar_t *out, size_t cap, const wchar_t *format, ...) {
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(out, cap, format, args);
  va_end(args);
  if (n < 0 || (size_t)n >= cap) {
    out[0] = 0;
    return 0;
  }
  out[n] = 0;
  return 1;
}

/* ------------------------------------------------------------------------ */
/* Reading a font's full name (name ID 4, Windows platform) from its file.   */

static unsigned Be16(const unsigned char *p) { return (unsigned)p[0] << 8 | p[1]; }
static unsigned long Be32(const unsigned char *p) {
  return (unsigned long)p[0] << 24 | (unsigned long)p[1] << 16 | (unsigned long)p[2] << 8 | p[3];
}

static unsigned char *ReadWhole(const wchar_t *path, DWORD *size) {
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) return NULL;
  DWORD high = 0, got = 0;
  DWORD n = GetFileSize(h, &high);
  unsigned char *data = (high == 0 && n < (64u << 20)) ? malloc(n ? n : 1) : NULL;
  if (data && (!ReadFile(h, data, n, &got, NULL) || got != n)) {
    free(data);
    data = NULL;
  }
  CloseHandle(h);
  *size = n;
  return data;
}

static int FullFontName(const unsigned char *data, DWORD size, wchar_t *out, size_t cap) {
  if (size < 12) return 0;
  unsigned tables = Be16(data + 4);
  for (unsigned i = 0; i < tables && 12 + 16 * (i + 1) <= size; ++i) {
    const unsigned char *entry = data + 12 + 16 * i;
    if (memcmp(entry, "name", 4) != 0) continue;
    unsigned long offset = Be32(entry + 8), length = Be32(entry + 12);
    if (offset > size || length > size - offset || length < 6) return 0;
    const unsigned char *name = data + offset;
    unsigned count = Be16(name + 2), strings = Be16(name + 4);
    for (unsigned r = 0; r < count && 6 + 12 * (r + 1) <= length; ++r) {
      const unsigned char *rec = name + 6 + 12 * r;
      if (Be16(rec) != 3 || Be16(rec + 6) != 4) continue; /* Windows platform, full name */
      unsigned len = Be16(rec + 8), at = Be16(rec + 10);
      if ((unsigned long)strings + at + len > length || len / 2 + 1 > cap || len == 0) return 0;
      for (unsigned k = 0; k < len / 2; ++k) out[k] = (wchar_t)Be16(name + strings + at + 2 * k);
      out[len / 2] = 0;
      return 1;
    }
  }
  return 0;
}

static int FaceOfFile(const wchar_t *path, wchar_t *face) {
  DWORD size = 0;
  unsigned char *data = ReadWhole(path, &size);
  const int ok = data && FullFontName(data, size, face, kFaceCap);
  free(data);
  return ok;
}

/* ------------------------------------------------------------------------ */
/* Registry values, kept exactly: whatever their type and length.           */

static LONG ReadValue(HKEY key, const wchar_t *name, RegValue *v) {
  memset(v, 0, sizeof *v);
  if (!key) return ERROR_SUCCESS;
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG rc = RegQueryValueExW(key, name, NULL, &v->type, NULL, &size);
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    /* Two spare zero characters end a string value that lacks its own. */
    free(v->data);
    v->data = calloc(1, (size_t)size + 2 * sizeof(wchar_t));
    if (!v->data) return ERROR_NOT_ENOUGH_MEMORY;
    v->size = size;
    rc = RegQueryValueExW(key, name, NULL, &v->type, v->data, &v->size);
    if (rc == ERROR_SUCCESS) {
      v->present = 1;
      return ERROR_SUCCESS;
    }
    if (rc != ERROR_MORE_DATA) return rc; /* ERROR_MORE_DATA: it grew meanwhile */
  }
  return ERROR_MORE_DATA;
}

static LONG WriteValue(HKEY key, const wchar_t *name, const RegValue *v) {
  if (!v->present) {
    LONG rc = RegDeleteValueW(key, name);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
  }
  return RegSetValueExW(key, name, 0, v->type, v->data, v->size);
}

static void FreeValue(RegValue *v) {
  free(v->data);
  memset(v, 0, sizeof *v);
}

/* Deletes a key of ours once it holds no values and no subkeys. */
static void DeleteKeyIfEmpty(const wchar_t *path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 1, values = 1;
  LONG rc = RegQueryInfoKeyW(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL,
                             NULL, NULL);
  RegCloseKey(key);
  if (rc == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, path);
}

static void PruneSavedKey(void) {
  if (saved_key) RegCloseKey(saved_key);
  saved_key = NULL;
  DeleteKeyIfEmpty(kSavedKey);
  DeleteKeyIfEmpty(kOwnKey);
}

static LONG OpenSavedKey(int create) {
  if (saved_key) return ERROR_SUCCESS;
  LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, kSavedKey, 0, NULL, 0, KEY_READ | KEY_WRITE,
                                     NULL, &saved_key, NULL)
                   : RegOpenKeyExW(HKEY_CURRENT_USER, kSavedKey, 0, KEY_READ | KEY_WRITE, &saved_key);
  if (rc != ERROR_SUCCESS) saved_key = NULL;
  return !create && rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

/* ------------------------------------------------------------------------ */
/* Looking: the fonts beside the program and the state of their copies.      */

static int SameBytes(const wchar_t *a, const wchar_t *b) {
  DWORD na = 0, nb = 0;
  unsigned char *da = ReadWhole(a, &na), *db = ReadWhole(b, &nb);
  int same = da && db && na == nb && memcmp(da, db, na) == 0;
  free(da);
  free(db);
  return same;
}

static int FindUserFontFolder(void) {
  wchar_t local[MAX_PATH];
  if (FAILED(SHGetFolderPathW(NULL, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, NULL, 0, local))) {
    DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
      Say(L"error: cannot find the user's local application data folder\n");
      return 0;
    }
  }
  if (!Format(font_dir, MAX_PATH, L"%ls\\Microsoft\\Windows\\Fonts", local)) {
    Say(L"error: the user's font folder under %ls is longer than %d characters\n", local, MAX_PATH - 1);
    return 0;
  }
  return 1;
}

/* Whether a string value names the copy (an expandable one once expanded). */
static int NamesTarget(const Font *f, const wchar_t *text) {
  wchar_t expanded[MAX_PATH];
  if (f->old.type == REG_EXPAND_SZ) {
    DWORD n = ExpandEnvironmentStringsW(text, expanded, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return 0;
    text = expanded;
  }
  return _wcsicmp(text, f->target) == 0;
}

static ValueState ClassifyValue(const Font *f) {
  const RegValue *v = &f->old;
  if (!v->present) return kValueAbsent;
  if (v->type != REG_SZ && v->type != REG_EXPAND_SZ) return kValueJunk;
  const wchar_t *text = (const wchar_t *)v->data; /* ReadValue ended it with zeros */
  const size_t length = wcslen(text);
  if (length == 0 || length >= MAX_PATH) return kValueJunk;
  return NamesTarget(f, text) ? kValueOurs : kValueForeign;
}

static FileState ClassifyFile(const Font *f) {
  HANDLE h = CreateFileW(f->target, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         NULL, OPEN_EXISTING, 0, NULL);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? kFileAbsent : kFileLocked;
  }
  CloseHandle(h);
  if (SameBytes(f->source, f->target)) return kFileOurs;
  wchar_t face[kFaceCap];
  if (f->reg == kValueOurs || (FaceOfFile(f->target, face) && wcscmp(face, f->face) == 0))
    return kFileOlder;
  return kFileForeign;
}

/* Whether an install leaves the font alone, and why. */
static void Decide(Font *f) {
  f->skip = f->file == kFileForeign ? L"another font's file has its file name"
            : f->reg == kValueForeign ? L"its name is registered to another file"
            : f->reg == kValueJunk && f->saved.present
                ? L"a value saved by an earlier install waits under HKEY_CURRENT_USER\\" kSavedKey
                : NULL;
}

static int LookAt(Font *f) {
  LONG rc = ReadValue(fonts_key, f->value, &f->old);
  if (rc == ERROR_SUCCESS) rc = ReadValue(saved_key, f->value, &f->saved);
  if (rc != ERROR_SUCCESS) {
    SayError(f->value, (DWORD)rc);
    return 0;
  }
  f->reg = ClassifyValue(f);
  f->file = ClassifyFile(f);
  Decide(f);
  return 1;
}

static Font *NewFont(void) {
  if (font_count == font_cap) {
    const int cap = font_cap ? 2 * font_cap : 64;
    Font *grown = realloc(fonts, (size_t)cap * sizeof *fonts);
    if (!grown) return NULL;
    fonts = grown;
    font_cap = cap;
  }
  Font *f = &fonts[font_count++];
  memset(f, 0, sizeof *f);
  return f;
}

/* Paths that do not fit are refused, never cut short. */
static int NameFont(Font *f, const wchar_t *folder, const wchar_t *file) {
  if (!Format(f->source, MAX_PATH, L"%ls\\%ls", folder, file) ||
      !Format(f->target, MAX_PATH, L"%ls\\%ls", font_dir, file) ||
      !Format(f->backup, MAX_PATH, L"%ls\\%ls.tavo-old", font_dir, file)) {
    Say(L"error: the path of %ls in %ls or in %ls is longer than %d characters; move the fonts to "
        L"a shorter path\n", file, folder, font_dir, MAX_PATH - 1);
    return 0;
  }
  if (!FaceOfFile(f->source, f->face)) {
    Say(L"error: %ls is not a TrueType font with a name\n", f->source);
    return 0;
  }
  return Format(f->value, kFaceCap + 16, L"%ls (TrueType)", f->face);
}

static int BySourceName(const void *a, const void *b) {
  return _wcsicmp(((const Font *)a)->source, ((const Font *)b)->source);
}

static int CollectFonts(void) {
  wchar_t self[MAX_PATH], pattern[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    Say(L"error: the program's own path is longer than %d characters; move its folder to a "
        L"shorter path\n", MAX_PATH - 1);
    return 0;
  }
  wchar_t *slash = wcsrchr(self, L'\\');
  if (slash) *slash = 0;
  WIN32_FIND_DATAW found;
  HANDLE search = Format(pattern, MAX_PATH, L"%ls\\*.ttf", self)
                      ? FindFirstFileW(pattern, &found) : INVALID_HANDLE_VALUE;
  if (search == INVALID_HANDLE_VALUE) {
    Say(L"error: no fonts (*.ttf) in %ls\n", self);
    return 0;
  }
  int ok = 1;
  do {
    Font *f = NewFont();
    if (!f) {
      Say(L"error: out of memory\n");
      ok = 0;
      break;
    }
    ok &= NameFont(f, self, found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  qsort(fonts, (size_t)font_count, sizeof *fonts, BySourceName);
  return ok;
}

/* A file that another program holds open (a font in use) cannot be opened
 * with no sharing. */
static int InUse(const wchar_t *path) {
  HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return 0;
  }
  DWORD e = GetLastError();
  return e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION || e == ERROR_ACCESS_DENIED;
}

/* Our own session's hold (from an earlier AddFontResource) is let go before
 * asking; a hold that remains belongs to another program. */
static int CheckNotInUse(Font *f) {
  if (f->file == kFileAbsent || !InUse(f->target)) return 1;
  while (RemoveFontResourceW(f->target)) {
  }
  if (!InUse(f->target)) return 1;
  Say(L"in use: %ls (%ls) is open in another program; close it and run again\n", f->face,
      f->target);
  return 0;
}

/* A copy that could not be read: in use by another program (the run stops),
 * or held by our own session, which lets go; then it is looked at again. */
static int Unlock(Font *f) {
  if (f->file != kFileLocked) return 1;
  if (!CheckNotInUse(f)) return 0;
  f->file = ClassifyFile(f);
  if (f->file == kFileLocked) {
    SayError(f->target, GetLastError());
    return 0;
  }
  Decide(f);
  return 1;
}

static void Broadcast(void) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
}

/* ------------------------------------------------------------------------ */
/* Installing.                                                               */

static void UndoInstall(Font *f) {
  if (f->did_add) RemoveFontResourceW(f->target);
  if (f->did_register) WriteValue(fonts_key, f->value, &f->old);
  if (f->did_save) RegDeleteValueW(saved_key, f->value);
  if (f->did_copy) DeleteFileW(f->target);
  if (f->did_backup) MoveFileExW(f->backup, f->target, MOVEFILE_REPLACE_EXISTING);
}

static int CopyFont(Font *f) {
  if (f->file == kFileOlder) {
    if (!MoveFileExW(f->target, f->backup, MOVEFILE_REPLACE_EXISTING)) {
      SayError(f->target, GetLastError());
      return 0;
    }
    f->did_backup = 1;
  }
  if (!CopyFileW(f->source, f->target, TRUE)) {
    SayError(f->target, GetLastError());
    return 0;
  }
  f->did_copy = 1;
  return 1;
}

/* A value that is no registration is first saved exactly, then replaced. */
static int Register(Font *f) {
  LONG rc = ERROR_SUCCESS;
  if (f->reg == kValueJunk) {
    rc = OpenSavedKey(1);
    if (rc == ERROR_SUCCESS) rc = WriteValue(saved_key, f->value, &f->old);
    if (rc != ERROR_SUCCESS) {
      SayError(L"saving the old value under HKEY_CURRENT_USER\\" kSavedKey, (DWORD)rc);
      return 0;
    }
    f->did_save = 1;
  }
  rc = RegSetValueExW(fonts_key, f->value, 0, REG_SZ, (const BYTE *)f->target,
                      (DWORD)((wcslen(f->target) + 1) * sizeof(wchar_t)));
  if (rc != ERROR_SUCCESS) {
    SayError(L"writing the registry", (DWORD)rc);
    return 0;
  }
  f->did_register = 1;
  return 1;
}

static int DoInstall(Font *f) {
  if (f->skip) return 1;
  if (f->file != kFileOurs && !CopyFont(f)) return 0;
  if (f->reg != kValueOurs && !Register(f)) return 0;
  if (f->did_copy || f->did_register) {
    if (AddFontResourceW(f->target) == 0) {
      Say(L"error: Windows does not take %ls as a font\n", f->target);
      return 0;
    }
    f->did_add = 1;
  }
  return 1;
}

static void ReportInstall(const Font *f) {
  if (f->skip) {
    const wchar_t *what = f->file == kFileForeign   ? f->target
                          : f->reg == kValueForeign ? (const wchar_t *)f->old.data
                                                    : f->value;
    Say(L"skipped: %ls: %ls (%ls); left as it is\n", f->face, f->skip, what);
    return;
  }
  const int touched = f->did_copy || f->did_register;
  Say(L"%ls: %ls (%ls)\n", touched ? (f->did_backup ? L"updated" : L"installed") : L"already installed",
      f->face, f->target);
  if (f->did_save)
    Say(L"saved: the former value \"%ls\" (type %lu, %lu bytes) under HKEY_CURRENT_USER\\%ls; "
        L"/uninstall puts it back\n", f->value, (unsigned long)f->old.type, (unsigned long)f->old.size,
        kSavedKey);
}

static int Install(void) {
  if (!CreateDirectoryW(font_dir, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
    SayError(font_dir, GetLastError());
    return 1;
  }
  for (int i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (!Unlock(f) || (!f->skip && f->file == kFileOlder && !CheckNotInUse(f))) {
      Say(L"nothing changed\n");
      return 1;
    }
  }
  int i = 0;
  for (; i < font_count; ++i)
    if (!DoInstall(&fonts[i])) break;
  if (i < font_count) {
    for (int k = i; k >= 0; --k) UndoInstall(&fonts[k]);
    PruneSavedKey();
    Say(L"nothing changed\n");
    return 1;
  }
  int changed = 0, skipped = 0;
  for (i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (f->did_backup) DeleteFileW(f->backup);
    changed += f->did_copy || f->did_register;
    skipped += f->skip != NULL;
    ReportInstall(f);
  }
  if (changed) Broadcast();
  Say(L"%d fonts installed for this user, %d of them changed now", font_count - skipped, changed);
  Say(skipped ? L"; %d skipped, as said above\n" : L"\n", skipped);
  return skipped ? 3 : 0;
}

/* ------------------------------------------------------------------------ */
/* Uninstalling: first every copy of ours is moved aside (undoable), then    */
/* the registry values go (or get back what an install saved), then the      */
/* moved files.                                                              */

static int RemovesFile(const Font *f) { return f->file == kFileOurs; }
static int RemovesValue(const Font *f) {
  return f->reg == kValueOurs && (f->file == kFileAbsent || f->file == kFileOurs);
}

static void UndoUninstall(Font *f) {
  if (f->did_unsave) WriteValue(saved_key, f->value, &f->saved);
  if (f->did_register) WriteValue(fonts_key, f->value, &f->old);
  if (f->did_backup) MoveFileExW(f->backup, f->target, MOVEFILE_REPLACE_EXISTING);
  if (f->reg == kValueOurs && f->file != kFileAbsent) AddFontResourceW(f->target);
}

static int MoveAside(Font *f) {
  if (!RemovesFile(f)) return 1;
  while (RemoveFontResourceW(f->target)) {
  }
  if (!MoveFileExW(f->target, f->backup, MOVEFILE_REPLACE_EXISTING)) {
    SayError(f->target, GetLastError());
    return 0;
  }
  f->did_backup = 1;
  return 1;
}

/* Our value goes; one that an install saved comes back in its place. */
static int Unregister(Font *f) {
  if (!RemovesValue(f)) return 1;
  const RegValue none = {0, 0, 0, NULL};
  LONG rc = WriteValue(fonts_key, f->value, f->saved.present ? &f->saved : &none);
  if (rc != ERROR_SUCCESS) {
    SayError(L"writing the registry", (DWORD)rc);
    return 0;
  }
  f->did_register = 1;
  if (f->saved.present) {
    rc = RegDeleteValueW(saved_key, f->value);
    if (rc != ERROR_SUCCESS) {
      SayError(L"removing the saved value under HKEY_CURRENT_USER\\" kSavedKey, (DWORD)rc);
      return 0;
    }
    f->did_unsave = 1;
  }
  return 1;
}

static void ReportUninstall(const Font *f) {
  if (f->file == kFileOlder || f->file == kFileForeign)
    Say(L"kept: %ls: %ls is not the file this program installs%ls\n", f->face, f->target,
        f->reg == kValueOurs ? L"; its registry value stays too" : L"");
  else if (f->reg == kValueForeign || (f->reg == kValueJunk && !f->saved.present))
    Say(L"kept: %ls: the value \"%ls\" belongs to another font\n", f->face, f->value);
  if (f->did_backup || f->did_register)
    Say(L"removed: %ls%ls\n", f->face, f->did_unsave ? L" (the value it replaced is back)" : L"");
  else
    Say(L"not installed: %ls\n", f->face);
}

static int Uninstall(void) {
  int i = 0;
  for (; i < font_count; ++i)
    if (!Unlock(&fonts[i]) || (RemovesFile(&fonts[i]) && !CheckNotInUse(&fonts[i]))) break;
  if (i == font_count) {
    for (i = 0; i < font_count; ++i)
      if (!MoveAside(&fonts[i])) break;
  }
  if (i == font_count) {
    for (i = 0; i < font_count; ++i)
      if (!Unregister(&fonts[i])) break;
  }
  if (i < font_count) {
    for (int k = 0; k < font_count; ++k) UndoUninstall(&fonts[k]);
    Say(L"nothing changed\n");
    return 1;
  }
  int removed = 0;
  for (i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (f->did_backup) DeleteFileW(f->backup);
    removed += f->did_backup || f->did_register;
    ReportUninstall(f);
  }
  PruneSavedKey();
  if (removed) Broadcast();
  Say(L"%d fonts removed for this user\n", removed);
  return 0;
}

static int List(void) {
  int installed = 0;
  for (int i = 0; i < font_count; ++i) {
    const Font *f = &fonts[i];
    const wchar_t *state =
        f->file == kFileOurs && f->reg == kValueOurs ? L"installed"
        : f->file == kFileForeign ? L"not installed (another font's file has its file name)"
        : f->file == kFileLocked  ? L"in use by another program (its file cannot be read)"
        : f->reg == kValueForeign ? L"not installed (the name is registered to another file)"
        : f->file == kFileAbsent && f->reg != kValueOurs ? L"not installed"
                                                         : L"partly installed or another version "
                                                           L"(run tavo-fonts to repair)";
    installed += f->file == kFileOurs && f->reg == kValueOurs;
    Say(L"%ls: %ls\n", f->face, state);
  }
  Say(L"%d of %d fonts installed for this user in %ls\n", installed, font_count, font_dir);
  return 0;
}

/* Started by a double-click, the program has a console window of its own,
 * which would close before anyone could read it. */
static void PauseIfOwnWindow(void) {
  DWORD processes[2], mode;
  if (!GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) return; /* redirected */
  if (GetConsoleProcessList(processes, 2) != 1) return;                 /* a command prompt */
  Say(L"Press Enter to close this window.\n");
  (void)getchar();
}

static int OpenKeys(int list) {
  LONG rc = list ? RegOpenKeyExW(HKEY_CURRENT_USER, kFontsKey, 0, KEY_READ, &fonts_key)
                 : RegCreateKeyExW(HKEY_CURRENT_USER, kFontsKey, 0, NULL, 0, KEY_READ | KEY_WRITE,
                                   NULL, &fonts_key, NULL);
  if (rc != ERROR_SUCCESS) {
    fonts_key = NULL;
    if (!list) {
      SayError(L"opening HKEY_CURRENT_USER\\" kFontsKey, (DWORD)rc);
      return 0;
    }
  }
  rc = OpenSavedKey(0);
  if (rc != ERROR_SUCCESS && !list) {
    SayError(L"opening HKEY_CURRENT_USER\\" kSavedKey, (DWORD)rc);
    return 0;
  }
  return 1;
}

static int Run(int argc, wchar_t **argv) {
  enum { kInstall, kUninstall, kList } mode = kInstall;
  if (argc > 2) mode = -1;
  if (argc == 2) {
    const wchar_t *a = argv[1];
    if (*a == L'/' || *a == L'-') ++a;
    if (*a == L'-') ++a;
    if (_wcsicmp(a, L"uninstall") == 0 || _wcsicmp(a, L"u") == 0) mode = kUninstall;
    else if (_wcsicmp(a, L"list") == 0 || _wcsicmp(a, L"l") == 0) mode = kList;
    else mode = -1;
  }
  if ((int)mode < 0) {
    Say(L"usage: tavo-fonts [/uninstall | /list]\n"
        L"  Installs every font in this program's folder for the current user (no administrator\n"
        L"  rights needed); /uninstall removes them; /list shows what is installed.\n");
    return 2;
  }
  if (!FindUserFontFolder() || !CollectFonts() || !OpenKeys(mode == kList)) return 1;
  for (int i = 0; i < font_count; ++i)
    if (!LookAt(&fonts[i])) return 1;
  return mode == kInstall ? Install() : mode == kUninstall ? Uninstall() : List();
}

int wmain(int argc, wchar_t **argv) {
  const int status = Run(argc, argv);
  for (int i = 0; i < font_count; ++i) {
    FreeValue(&fonts[i].old);
    FreeValue(&fonts[i].saved);
  }
  free(fonts);
  if (fonts_key) RegCloseKey(fonts_key);
  if (saved_key) RegCloseKey(saved_key);
  PauseIfOwnWindow();
  return status;
}
