// The version-information layer on systems other than Windows.  It has the
// shape of the Windows services: the "system directory" is the directory the
// library was loaded from, the library's own file is the file it was loaded
// from, and the version information is a fixed record embedded in that file,
// found by its tag.  Every failure yields 0 or false, as on Windows.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "interface/platform.h"
#include "tavo_version.h"

namespace tavo::platform {
namespace {

// The version information as it is embedded in the library file: a tag that
// marks it, then the fixed record.  The tag bytes exist once in the file (here);
// the search below reads them from this object, not from a second literal.
struct EmbeddedVersionInfo {
  char tag[16];
  FixedFileInfo fixed;
};

[[gnu::used]] const EmbeddedVersionInfo kEmbeddedVersionInfo = {
    {'V', 'S', '_', 'V', 'E', 'R', 'S', 'I', 'O', 'N', '_', 'I', 'N', 'F', 'O', '\0'},
    {kFixedFileInfoSignature, 0x00010000,
     (TAVO_VERSION_MAJOR << 16) | TAVO_VERSION_MINOR, (TAVO_VERSION_PATCH << 16) | TAVO_VERSION_TWEAK,
     (TAVO_VERSION_MAJOR << 16) | TAVO_VERSION_MINOR, (TAVO_VERSION_PATCH << 16) | TAVO_VERSION_TWEAK,
     0x3F, 0, 0x40004 /* VOS_NT_WINDOWS32 */, 2 /* VFT_DLL */, 0, 0, 0}};

// Scans the file for the tag followed by the record's signature and copies up
// to `room` bytes from there into `block` (when `block` is not null).  Returns
// the size of the embedded information, 0 when it is not found.
uint32_t FindEmbeddedInfo(const char* path, void* block, uint32_t room) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return 0;
  constexpr size_t kInfo = sizeof(EmbeddedVersionInfo);
  constexpr size_t kProbe = sizeof(EmbeddedVersionInfo::tag) + sizeof(uint32_t);
  // Chunks read one after the other; the last kInfo - 1 bytes of a chunk are
  // kept in front of the next, so a record across a chunk border is found.
  unsigned char buf[16384];
  size_t kept = 0;
  uint32_t found = 0;
  while (!found) {
    const size_t got = std::fread(buf + kept, 1, sizeof buf - kept, f);
    if (got == 0) break;
    const size_t filled = kept + got;
    for (size_t i = 0; i + kInfo <= filled; ++i) {
      if (std::memcmp(buf + i, &kEmbeddedVersionInfo, kProbe) == 0) {
        found = kInfo;
        if (block) std::memcpy(block, buf + i, room < kInfo ? room : kInfo);
        break;
      }
    }
    kept = filled < kInfo - 1 ? filled : kInfo - 1;
    std::memmove(buf, buf + filled - kept, kept);
  }
  std::fclose(f);
  return found;
}

}  // namespace

bool OwnInstalledPath(char* path, uint32_t room) {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&kEmbeddedVersionInfo), &info) || !info.dli_fname) {
    return false;
  }
  const char* slash = std::strrchr(info.dli_fname, '/');
  if (!slash) return false;
  const size_t dir_len = static_cast<size_t>(slash - info.dli_fname);
  const size_t len = std::strlen(info.dli_fname);
  if (dir_len + 1 > kSystemDirectoryRoom || len + 1 > room) return false;
  std::memcpy(path, info.dli_fname, len + 1);
  return true;
}

uint32_t VersionInfoSize(const char* path) { return FindEmbeddedInfo(path, nullptr, 0); }

bool ReadVersionInfo(const char* path, uint32_t size, void* block) {
  return FindEmbeddedInfo(path, block, size) != 0;
}

bool QueryRootVersion(const void* block, const FixedFileInfo** info, uint32_t* length) {
  const auto* embedded = static_cast<const EmbeddedVersionInfo*>(block);
  if (std::memcmp(embedded->tag, kEmbeddedVersionInfo.tag, sizeof embedded->tag) != 0) return false;
  if (embedded->fixed.signature != kFixedFileInfoSignature) return false;
  *info = &embedded->fixed;
  *length = sizeof(FixedFileInfo);
  return true;
}

}  // namespace tavo::platform
