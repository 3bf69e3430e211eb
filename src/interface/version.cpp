// Reads the file version out of the version resource of the library's own file.
#include "interface/version.h"

#include <memory>
#include <new>

#include "interface/platform.h"

namespace tavo {
namespace {

constexpr uint32_t kVersionBlockSize = 1024;

// The fixed version record inside `block`, or null.  Version information
// larger than the block is never read into it: the caller takes a larger
// block instead (see ReadVersionComponent).
const platform::FixedFileInfo* ReadOwnVersionBlock(const char* path, unsigned char* block,
                                                   uint32_t block_size) {
  const platform::FixedFileInfo* info = nullptr;
  uint32_t length = 0;
  if (!platform::ReadVersionInfo(path, block_size, block)) return nullptr;
  if (!platform::QueryRootVersion(block, &info, &length) || length == 0) return nullptr;
  if (length < sizeof(platform::FixedFileInfo)) return nullptr;
  return info;
}

}  // namespace

int32_t ReadVersionComponent(VersionComponent component) {
  char path[512];
  if (!platform::OwnInstalledPath(path, sizeof path)) return 0;
  const uint32_t size = platform::VersionInfoSize(path);
  if (size == 0) return 0;
  const uint32_t block_size = size > kVersionBlockSize ? size : kVersionBlockSize;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[block_size]);
  if (!block) return 0;
  const platform::FixedFileInfo* info = ReadOwnVersionBlock(path, block.get(), block_size);
  if (!info) return 0;
  switch (component) {
    case VersionComponent::kMajor: return static_cast<int32_t>(info->file_version_ms >> 16);
    case VersionComponent::kMinor: return static_cast<int32_t>(info->file_version_ms & 0xFFFF);
    case VersionComponent::kRevision: return static_cast<int32_t>(info->file_version_ls >> 16);
  }
  return 0;
}

}  // namespace tavo
