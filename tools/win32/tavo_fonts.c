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
 * Every run first looks at every font and only then changes anything: a font
 * that another program holds open stops the run before the first change.  A
 * step that fails all the same undoes the steps before it, so a run changes
 * every font or none.  Running it twice changes nothing the second time.
 * Exit status: 0 done, 1 nothing changed because of an error, 2 bad usage. */
#define WIN32_LEAN_AND_MEAN
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#define kFontsKey L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
#define kMaxFonts 512

/* One font of the program's folder and what is known about its installed copy. */
typedef struct {
  wchar_t source[MAX_PATH];      /* the file beside the program */
  wchar_t target[MAX_PATH];      /* its copy in the user's font folder */
  wchar_t face[128];             /* full font name, from the font's name table */
  wchar_t value[160];            /* registry value name: face + " (TrueType)" */
  int copied;                    /* the copy exists and has the source's bytes */
  int target_exists;
  int registered;                /* the registry value names the copy */
  /* what this run did, for undoing it */
  int did_backup, did_copy, did_register, did_add, had_value;
  wchar_t old_value[MAX_PATH];
} Font;

static Font fonts[kMaxFonts];
static int font_count = 0;
static wchar_t font_dir[MAX_PATH];  /* the user's font folder */
static HKEY fonts_key = NULL;

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
  if (_snwprintf(font_dir, MAX_PATH, L"%ls\\Microsoft\\Windows\\Fonts", local) >= MAX_PATH) return 0;
  return 1;
}

static void LookAt(Font *f) {
  f->target_exists = GetFileAttributesW(f->target) != INVALID_FILE_ATTRIBUTES;
  f->copied = f->target_exists && SameBytes(f->source, f->target);
  f->registered = 0;
  f->had_value = 0;
  if (fonts_key) {
    DWORD type = 0, bytes = sizeof f->old_value - sizeof(wchar_t);
    memset(f->old_value, 0, sizeof f->old_value);
    if (RegQueryValueExW(fonts_key, f->value, NULL, &type, (BYTE *)f->old_value, &bytes) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
      f->had_value = 1;
      f->registered = _wcsicmp(f->old_value, f->target) == 0;
    }
  }
}

static int CollectFonts(void) {
  wchar_t self[MAX_PATH], pattern[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 0;
  wchar_t *slash = wcsrchr(self, L'\\');
  if (slash) *slash = 0;
  _snwprintf(pattern, MAX_PATH, L"%ls\\*.ttf", self);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    Say(L"error: no fonts (*.ttf) in %ls\n", self);
    return 0;
  }
  int ok = 1;
  do {
    if (font_count == kMaxFonts) break;
    Font *f = &fonts[font_count];
    memset(f, 0, sizeof *f);
    _snwprintf(f->source, MAX_PATH, L"%ls\\%ls", self, found.cFileName);
    _snwprintf(f->target, MAX_PATH, L"%ls\\%ls", font_dir, found.cFileName);
    DWORD size = 0;
    unsigned char *data = ReadWhole(f->source, &size);
    if (!data || !FullFontName(data, size, f->face, 128)) {
      Say(L"error: %ls is not a TrueType font with a name\n", f->source);
      ok = 0;
    }
    free(data);
    _snwprintf(f->value, 160, L"%ls (TrueType)", f->face);
    ++font_count;
  } while (FindNextFileW(search, &found));
  FindClose(search);
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
  if (!f->target_exists || !InUse(f->target)) return 1;
  while (RemoveFontResourceW(f->target)) {
  }
  if (!InUse(f->target)) return 1;
  Say(L"in use: %ls (%ls) is open in another program; close it and run again\n", f->face,
      f->target);
  return 0;
}

static void Broadcast(void) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
}

static wchar_t *BackupPath(const Font *f, wchar_t *out) {
  _snwprintf(out, MAX_PATH, L"%ls.tavo-old", f->target);
  return out;
}

/* ------------------------------------------------------------------------ */
/* Installing.                                                               */

static void UndoInstall(Font *f) {
  wchar_t backup[MAX_PATH];
  if (f->did_add) RemoveFontResourceW(f->target);
  if (f->did_register) {
    if (f->had_value)
      RegSetValueExW(fonts_key, f->value, 0, REG_SZ, (const BYTE *)f->old_value,
                     (DWORD)((wcslen(f->old_value) + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(fonts_key, f->value);
  }
  if (f->did_copy) DeleteFileW(f->target);
  if (f->did_backup) MoveFileExW(BackupPath(f, backup), f->target, MOVEFILE_REPLACE_EXISTING);
}

static int DoInstall(Font *f) {
  wchar_t backup[MAX_PATH];
  if (!f->copied) {
    if (f->target_exists) {
      if (!MoveFileExW(f->target, BackupPath(f, backup), MOVEFILE_REPLACE_EXISTING)) {
        SayError(f->target, GetLastError());
        return 0;
      }
      f->did_backup = 1;
    }
    if (!CopyFileW(f->source, f->target, FALSE)) {
      SayError(f->target, GetLastError());
      return 0;
    }
    f->did_copy = 1;
  }
  if (!f->registered) {
    LONG rc = RegSetValueExW(fonts_key, f->value, 0, REG_SZ, (const BYTE *)f->target,
                             (DWORD)((wcslen(f->target) + 1) * sizeof(wchar_t)));
    if (rc != ERROR_SUCCESS) {
      SayError(L"writing the registry", (DWORD)rc);
      return 0;
    }
    f->did_register = 1;
  }
  if (f->did_copy || f->did_register) {
    if (AddFontResourceW(f->target) == 0) {
      Say(L"error: Windows does not take %ls as a font\n", f->target);
      return 0;
    }
    f->did_add = 1;
  }
  return 1;
}

static int Install(void) {
  if (!CreateDirectoryW(font_dir, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
    SayError(font_dir, GetLastError());
    return 1;
  }
  for (int i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (!f->copied && !CheckNotInUse(f)) {
      Say(L"nothing changed\n");
      return 1;
    }
  }
  int i = 0;
  for (; i < font_count; ++i)
    if (!DoInstall(&fonts[i])) break;
  if (i < font_count) {
    for (int k = i; k >= 0; --k) UndoInstall(&fonts[k]);
    Say(L"nothing changed\n");
    return 1;
  }
  int changed = 0;
  for (i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    wchar_t backup[MAX_PATH];
    if (f->did_backup) DeleteFileW(BackupPath(f, backup));
    const int touched = f->did_copy || f->did_register;
    changed += touched;
    Say(L"%ls: %ls (%ls)\n", touched ? (f->did_backup ? L"updated" : L"installed") : L"already installed",
        f->face, f->target);
  }
  if (changed) Broadcast();
  Say(L"%d fonts installed for this user, %d of them changed now\n", font_count, changed);
  return 0;
}

/* ------------------------------------------------------------------------ */
/* Uninstalling: first every copy is moved aside (undoable), then the        */
/* registry values go, then the moved files.                                 */

static int Uninstall(void) {
  for (int i = 0; i < font_count; ++i) {
    if (!CheckNotInUse(&fonts[i])) {
      for (int k = 0; k < font_count; ++k)
        if (fonts[k].registered && fonts[k].target_exists) AddFontResourceW(fonts[k].target);
      Say(L"nothing changed\n");
      return 1;
    }
  }
  wchar_t backup[MAX_PATH];
  int i = 0;
  for (; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (!f->target_exists) continue;
    while (RemoveFontResourceW(f->target)) {
    }
    if (!MoveFileExW(f->target, BackupPath(f, backup), MOVEFILE_REPLACE_EXISTING)) {
      SayError(f->target, GetLastError());
      break;
    }
    f->did_backup = 1;
  }
  if (i < font_count) {
    for (int k = 0; k < i; ++k) {
      Font *f = &fonts[k];
      if (f->did_backup) MoveFileExW(BackupPath(f, backup), f->target, MOVEFILE_REPLACE_EXISTING);
      if (f->registered) AddFontResourceW(f->target);
    }
    Say(L"nothing changed\n");
    return 1;
  }
  int removed = 0;
  for (i = 0; i < font_count; ++i) {
    Font *f = &fonts[i];
    if (f->registered) RegDeleteValueW(fonts_key, f->value);
    if (f->did_backup) DeleteFileW(BackupPath(f, backup));
    const int touched = f->registered || f->target_exists;
    removed += touched;
    Say(L"%ls: %ls\n", touched ? L"removed" : L"not installed", f->face);
  }
  if (removed) Broadcast();
  Say(L"%d fonts removed for this user\n", removed);
  return 0;
}

static int List(void) {
  int installed = 0;
  for (int i = 0; i < font_count; ++i) {
    const Font *f = &fonts[i];
    const wchar_t *state = f->copied && f->registered            ? L"installed"
                           : !f->target_exists && !f->had_value     ? L"not installed"
                           : f->had_value && !f->registered && !f->target_exists
                               ? L"not installed (the name is registered to another file)"
                               : L"partly installed or another version (run tavo-fonts to repair)";
    installed += f->copied && f->registered;
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
  if (!FindUserFontFolder() || !CollectFonts()) return 1;
  LONG rc = mode == kList ? RegOpenKeyExW(HKEY_CURRENT_USER, kFontsKey, 0, KEY_READ, &fonts_key)
                          : RegCreateKeyExW(HKEY_CURRENT_USER, kFontsKey, 0, NULL, 0,
                                            KEY_READ | KEY_WRITE, NULL, &fonts_key, NULL);
  if (rc != ERROR_SUCCESS) {
    fonts_key = NULL;
    if (mode != kList) {
      SayError(L"opening HKEY_CURRENT_USER\\" kFontsKey, (DWORD)rc);
      return 1;
    }
  }
  for (int i = 0; i < font_count; ++i) LookAt(&fonts[i]);
  int status = mode == kInstall ? Install() : mode == kUninstall ? Uninstall() : List();
  if (fonts_key) RegCloseKey(fonts_key);
  return status;
}

int wmain(int argc, wchar_t **argv) {
  const int status = Run(argc, argv);
  PauseIfOwnWindow();
  return status;
}
