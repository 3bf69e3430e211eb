/* Binds every export of tavo32.dll the way a Windows caller does: LoadLibraryA,
 * GetProcAddress by name and by ordinal (both must give one address), calls
 * through stdcall prototypes, and checks the version queries with the DLL
 * absent from and present in the system directory.
 * Usage: win32_abi_test PATH\TO\tavo32.dll */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

typedef int32_t(__stdcall *NoArgs)(void);
typedef int32_t(__stdcall *FontTranslate)(int32_t, const char *, int32_t, char *, int32_t, int32_t *);
typedef int32_t(__stdcall *StrErr)(int32_t, char *, int32_t);
typedef int32_t(__stdcall *GetFaceName)(const char *, int32_t, int32_t, int32_t, char *, int32_t,
                                        int32_t *);
typedef int32_t(__stdcall *CharCheck)(int32_t, int32_t, int32_t, char *, int32_t, int32_t *);
typedef int32_t(__stdcall *Gs1HumanReadable)(const char *, char *, int32_t, int32_t *);
typedef int32_t(__stdcall *Gs1CheckDigit)(const char *, int32_t, int32_t *);
typedef int32_t(__stdcall *Gs1DigitalLink)(const char *, const char *, char *, int32_t, int32_t *);
typedef int32_t(__stdcall *Gs1FromDigitalLink)(const char *, char *, int32_t, int32_t *);

static int failures = 0;
#define CHECK(cond)                                                      \
  do {                                                                   \
    if (!(cond)) {                                                       \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                                        \
    }                                                                    \
  } while (0)

struct Export {
  const char *name;
  WORD ordinal;
  FARPROC proc;
};

static struct Export exports[] = {
    {"TAVO_VersionMajor", 1, 0},
    {"TAVO_VersionMinor", 2, 0},
    {"TAVO_VersionRevision", 3, 0},
    {"BC_StrErr", 5, 0},
    {"BC_FontTranslate", 6, 0},
    {"BC_FontGetFaceName", 7, 0},
    {"BC_CharCheck", 8, 0},
    {"BC_FontGetVer", 9, 0},
    {"BC_Font_ERR_INCOMPLETE_UPCA", 10, 0},
    {"BC_Font_ERR_INCOMPLETE_UPCE", 11, 0},
    {"BC_Font_ERR_INCOMPLETE_EANJAN_8", 12, 0},
    {"BC_Font_ERR_INCOMPLETE_EANJAN_13", 13, 0},
    {"BC_Font_ERR_INCOMPLETE_POSTNET", 14, 0},
    {"BC_GS1HumanReadable", 15, 0},
    {"BC_GS1CheckDigit", 16, 0},
    {"BC_GS1DigitalLink", 17, 0},
    {"BC_GS1FromDigitalLink", 18, 0},
};
enum { kExports = sizeof exports / sizeof exports[0] };

static FARPROC Find(const char *name) {
  for (int i = 0; i < kExports; ++i)
    if (strcmp(exports[i].name, name) == 0) return exports[i].proc;
  return 0;
}

/* Calls through stdcall prototypes.  A wrong calling convention would leave
 * the stack pointer off after each call; comparing it around a burst of calls
 * catches that even where the compiler would otherwise mask it. */
static void CallEverything(void) {
  FontTranslate translate = (FontTranslate)Find("BC_FontTranslate");
  StrErr strerr = (StrErr)Find("BC_StrErr");
  GetFaceName face = (GetFaceName)Find("BC_FontGetFaceName");
  CharCheck check = (CharCheck)Find("BC_CharCheck");
  char buf[256];
  int32_t len = -1;

  memset(buf, 0x5A, sizeof buf);
  CHECK(translate(0, "Code 39", 1, buf, sizeof buf, &len) == 0);
  CHECK(len == 13 && memcmp(buf, "*C+O+D+E_39L*", 13) == 0 && buf[13] == 0x5A);
  len = -1;
  memset(buf, 0x5A, sizeof buf);
  CHECK(translate(0, "12345", 1, buf, 7, &len) == 32510);
  CHECK(len == -1 && buf[0] == 0x5A);
  CHECK(translate(99, "1", 0, buf, sizeof buf, &len) == 32511);
  CHECK(translate(-1, "1", 0, buf, sizeof buf, &len) == 32511);
  CHECK(translate(0, NULL, 1, buf, sizeof buf, &len) == 0 && len == 2 && memcmp(buf, "0*", 2) == 0);
  CHECK(translate(0, "A", 0, NULL, 100, &len) == 32510);
  CHECK(translate(0, "\xC8", 0, buf, sizeof buf, &len) == 32506);

  memset(buf, 0, sizeof buf);
  CHECK(strerr(32505, buf, sizeof buf) == 0);
  CHECK(strcmp(buf, "ERROR: Illegal character for this symbology.") == 0);
  memset(buf, 0, sizeof buf);
  CHECK(strerr(32505, buf, 43) == 32512);
  CHECK(strcmp(buf, "DLL logic error: error message too big") == 0);

  /* Face names and the character check: called for their calling convention
   * here; their answers are checked by the test suites. */
  len = -1;
  face("TAVO ", 11, 2, 1, buf, sizeof buf, &len);
  check(11, 185, 1, buf, sizeof buf, &len);

  CHECK(((NoArgs)Find("BC_FontGetVer"))() == 9611080);
  CHECK(((NoArgs)Find("BC_Font_ERR_INCOMPLETE_UPCA"))() == 32500);
  CHECK(((NoArgs)Find("BC_Font_ERR_INCOMPLETE_UPCE"))() == 32501);
  CHECK(((NoArgs)Find("BC_Font_ERR_INCOMPLETE_EANJAN_8"))() == 32502);
  CHECK(((NoArgs)Find("BC_Font_ERR_INCOMPLETE_EANJAN_13"))() == 32503);
  CHECK(((NoArgs)Find("BC_Font_ERR_INCOMPLETE_POSTNET"))() == 32504);

  len = -1;
  memset(buf, 0x5A, sizeof buf);
  CHECK(((Gs1HumanReadable)Find("BC_GS1HumanReadable"))("(01)09501101530003(10)A\\(", buf,
                                                         sizeof buf, &len) == 0);
  CHECK(len == 24 && memcmp(buf, "(01)09501101530003(10)A(", 24) == 0 && buf[24] == 0x5A);
  len = -1;
  CHECK(((Gs1CheckDigit)Find("BC_GS1CheckDigit"))("0950110153000", 0, &len) == 0 && len == 3);
  CHECK(((Gs1CheckDigit)Find("BC_GS1CheckDigit"))("09501101530004", 1, &len) == 32547);

  len = -1;
  memset(buf, 0x5A, sizeof buf);
  CHECK(((Gs1DigitalLink)Find("BC_GS1DigitalLink"))("[01]09501101530003[10]A", NULL, buf,
                                                     sizeof buf, &len) == 0);
  CHECK(len == 41 && memcmp(buf, "https://id.gs1.org/01/09501101530003/10/A", 41) == 0 &&
        buf[41] == 0x5A);
  len = -1;
  memset(buf, 0x5A, sizeof buf);
  CHECK(((Gs1FromDigitalLink)Find("BC_GS1FromDigitalLink"))("https://a/01/09501101530003?10=A", buf,
                                                             sizeof buf, &len) == 0);
  CHECK(len == 23 && memcmp(buf, "(01)09501101530003(10)A", 23) == 0 && buf[23] == 0x5A);
}

/* The stdcall contract itself: the callee pops its arguments, so the stack
 * pointer is the same before and after a call made without caller cleanup. */
static void CheckCalleeCleansStack(void) {
#if defined(__i386__)
  char buf[64];
  int32_t len = 0;
  uintptr_t args[6] = {0, (uintptr_t) "AB", 0, (uintptr_t)buf, 64, (uintptr_t)&len};
  uintptr_t r = (uintptr_t)Find("BC_FontTranslate");
  uintptr_t before = 0, after = 0;
  /* Push the six arguments right to left, call, and read the stack pointer
   * back before restoring it ourselves. */
  __asm__ volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 20(%%ebx)\n\t"
      "pushl 16(%%ebx)\n\t"
      "pushl 12(%%ebx)\n\t"
      "pushl 8(%%ebx)\n\t"
      "pushl 4(%%ebx)\n\t"
      "pushl (%%ebx)\n\t"
      "call *%%eax\n\t"
      "movl %%esp, %%edi\n\t"
      "movl %%esi, %%esp\n\t"
      : "+a"(r), "=&S"(before), "=&D"(after)
      : "b"(args)
      : "ecx", "edx", "memory");
  CHECK(before == after);
  CHECK(r == 0 && len == 4 && memcmp(buf, "*AB*", 4) == 0);
  if (before != after) fprintf(stderr, "stack moved by %ld bytes\n", (long)(before - after));
#endif
}

/* Several Win32 threads (CreateThread) translate the same values at once;
 * every answer must equal the one computed beforehand on one thread. */
enum { kThreadValues = 8, kThreadRounds = 2000, kThreadCount = 4 };
static const char *thread_values[kThreadValues] = {
    "Code 39", "12345", "abc", "A\tB", "HELLO world", "1234567", "590123412345", "9638507"};
static char thread_expected[kThreadValues][12][64];
static int32_t thread_expected_len[kThreadValues][12];
static int32_t thread_expected_rc[kThreadValues][12];
static volatile LONG thread_mismatches = 0;

static DWORD WINAPI TranslateInThread(LPVOID arg) {
  FontTranslate translate = (FontTranslate)Find("BC_FontTranslate");
  int offset = (int)(INT_PTR)arg;
  for (int round = 0; round < kThreadRounds; ++round) {
    int v = (round + offset) % kThreadValues;
    int sym = (round / kThreadValues + offset) % 12;
    char buf[64];
    int32_t len = -1;
    memset(buf, 0, sizeof buf);
    int32_t rc = translate(sym, thread_values[v], 1, buf, sizeof buf, &len);
    if (rc != thread_expected_rc[v][sym] ||
        (rc == 0 && (len != thread_expected_len[v][sym] ||
                     memcmp(buf, thread_expected[v][sym], (size_t)len) != 0))) {
      InterlockedIncrement(&thread_mismatches);
    }
  }
  return 0;
}

static void CheckThreads(void) {
  FontTranslate translate = (FontTranslate)Find("BC_FontTranslate");
  for (int v = 0; v < kThreadValues; ++v) {
    for (int sym = 0; sym < 12; ++sym) {
      thread_expected_len[v][sym] = -1;
      thread_expected_rc[v][sym] = translate(sym, thread_values[v], 1, thread_expected[v][sym], 64,
                                             &thread_expected_len[v][sym]);
    }
  }
  HANDLE threads[kThreadCount];
  for (int t = 0; t < kThreadCount; ++t) {
    threads[t] = CreateThread(NULL, 0, TranslateInThread, (LPVOID)(INT_PTR)(t * 5), 0, NULL);
    CHECK(threads[t] != NULL);
  }
  WaitForMultipleObjects(kThreadCount, threads, TRUE, INFINITE);
  for (int t = 0; t < kThreadCount; ++t) CloseHandle(threads[t]);
  CHECK(thread_mismatches == 0);
}

static void CheckVersions(const char *dll_path, int present) {
  NoArgs major = (NoArgs)Find("TAVO_VersionMajor");
  NoArgs minor = (NoArgs)Find("TAVO_VersionMinor");
  NoArgs revision = (NoArgs)Find("TAVO_VersionRevision");
  char sysdir[MAX_PATH], target[MAX_PATH];
  UINT n = GetSystemDirectoryA(sysdir, sizeof sysdir);
  CHECK(n > 0 && n < sizeof sysdir);
  snprintf(target, sizeof target, "%s\\tavo32.dll", sysdir);
  if (!present) {
    DeleteFileA(target);
    CHECK(GetFileAttributesA(target) == INVALID_FILE_ATTRIBUTES);
    CHECK(major() == 0);
    CHECK(minor() == 0);
    CHECK(revision() == 0);
    CHECK(((NoArgs)Find("BC_FontGetVer"))() == 9611080);
    return;
  }
  CHECK(CopyFileA(dll_path, target, FALSE));
  CHECK(major() == 3);
  CHECK(minor() == 1);
  CHECK(revision() == 8);
  printf("version %d.%d.%d read from %s\n", major(), minor(), revision(), target);
  CHECK(DeleteFileA(target));
}

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s tavo32.dll\n", argv[0]);
    return 2;
  }
  HMODULE lib = LoadLibraryA(argv[1]);
  if (!lib) {
    fprintf(stderr, "LoadLibraryA(%s) failed: %lu\n", argv[1], GetLastError());
    return 1;
  }
  for (int i = 0; i < kExports; ++i) {
    FARPROC by_name = GetProcAddress(lib, exports[i].name);
    FARPROC by_ordinal = GetProcAddress(lib, MAKEINTRESOURCEA(exports[i].ordinal));
    if (!by_name || by_name != by_ordinal) {
      fprintf(stderr, "%s: by name %p, by ordinal %u %p\n", exports[i].name, (void *)by_name,
              exports[i].ordinal, (void *)by_ordinal);
      ++failures;
    }
    exports[i].proc = by_name;
  }
  /* Ordinal 4 is not assigned. */
  CHECK(GetProcAddress(lib, MAKEINTRESOURCEA(4)) == NULL);
  if (failures) return 1;

  CallEverything();
  CheckCalleeCleansStack();
  CheckThreads();
  CheckVersions(argv[1], 0);
  CheckVersions(argv[1], 1);
  CheckVersions(argv[1], 0);

  FreeLibrary(lib);
  printf("%d failures\n", failures);
  return failures ? 1 : 0;
}
