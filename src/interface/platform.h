// The only operating-system services the library uses: locating its own file
// and reading the fixed version record out of it.  Windows uses the real
// version-information services; other systems use a small layer of the same
// shape (platform_posix.cpp).
#pragma once

#include <cstdint>

namespace tavo::platform {

// The fixed part of a version resource, laid out as Windows' VS_FIXEDFILEINFO.
struct FixedFileInfo {
  uint32_t signature;  // 0xFEEF04BD
  uint32_t struc_version;
  uint32_t file_version_ms;
  uint32_t file_version_ls;
  uint32_t product_version_ms;
  uint32_t product_version_ls;
  uint32_t file_flags_mask;
  uint32_t file_flags;
  uint32_t file_os;
  uint32_t file_type;
  uint32_t file_subtype;
  uint32_t file_date_ms;
  uint32_t file_date_ls;
};
static_assert(sizeof(FixedFileInfo) == 52);

inline constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

// Room for the system directory, terminating NUL included.
inline constexpr uint32_t kSystemDirectoryRoom = 144;

// Writes the path of the library's own file as installed in the system
// directory (Windows: GetSystemDirectoryA followed by "\tavo32.dll"; elsewhere
// the directory the library was loaded from).  Returns false when the
// directory cannot be had or does not fit its room.
bool OwnInstalledPath(char* path, uint32_t room);

// Size of the version information of the file at `path`; 0 when it has none.
uint32_t VersionInfoSize(const char* path);

// Reads `size` bytes of the file's version information into `block`.
bool ReadVersionInfo(const char* path, uint32_t size, void* block);

// Finds the fixed version record of the root block inside `block`.
bool QueryRootVersion(const void* block, const FixedFileInfo** info, uint32_t* length);

}  // namespace tavo::platform
