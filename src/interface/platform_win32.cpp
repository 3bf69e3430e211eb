// Windows version-information services behind the platform layer.
#include <windows.h>

#include <cstring>

#include "interface/platform.h"

namespace tavo::platform {

static_assert(sizeof(VS_FIXEDFILEINFO) == sizeof(FixedFileInfo));

bool OwnInstalledPath(char* path, uint32_t room) {
  char dir[kSystemDirectoryRoom];
  const UINT n = GetSystemDirectoryA(dir, kSystemDirectoryRoom);
  // 0 is failure; a value of room or more means the directory did not fit.
  if (n == 0 || n >= kSystemDirectoryRoom) return false;
  const char* pieces[] = {dir, "\\tavo", "32", ".dll"};
  size_t used = 0;
  for (const char* piece : pieces) {
    const size_t len = std::strlen(piece);
    if (used + len >= room) return false;
    std::memcpy(path + used, piece, len);
    used += len;
  }
  path[used] = '\0';
  return true;
}

uint32_t VersionInfoSize(const char* path) {
  DWORD handle = 0;
  return GetFileVersionInfoSizeA(path, &handle);
}

bool ReadVersionInfo(const char* path, uint32_t size, void* block) {
  return GetFileVersionInfoA(path, 0, size, block) != 0;
}

bool QueryRootVersion(const void* block, const FixedFileInfo** info, uint32_t* length) {
  void* root = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(block, "\\", &root, &len) || len == 0) return false;
  *info = static_cast<const FixedFileInfo*>(root);
  *length = len;
  return true;
}

}  // namespace tavo::platform
