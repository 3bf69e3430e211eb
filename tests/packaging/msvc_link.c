/* Linked the way Microsoft's toolchain links: compiled for the MSVC ABI
 * (clang --target=*-pc-windows-msvc), linked by lld-link against tavo32.lib
 * without any C runtime.  On 32-bit the object references the decorated
 * _BC_FontTranslate@24, which the import library binds to the DLL's
 * BC_FontTranslate.  Exit code 0 when the translation is right. */
#include "tavo32.h"

__declspec(dllimport) void __stdcall ExitProcess(unsigned code);

void __cdecl mainCRTStartup(void) {
  static const char want[] = "+~7ia1c3|EFGHIG*_";
  char buf[64];
  int32_t len = 0;
  unsigned bad = BC_FontTranslate(BC_SYM_EAN13, "978012345678", 0, buf, sizeof buf, &len) != 0 ||
                 len != (int32_t)sizeof want - 1;
  for (int32_t i = 0; !bad && i < len; ++i) bad = buf[i] != want[i];
  bad |= BC_FontGetVer() != BC_FONT_TRANSLATION_VERSION;
  ExitProcess(bad);
}
