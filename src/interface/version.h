// Version queries: the compiled-in translation version and the file version
// read from the library's own installed file.
#pragma once

#include <cstdint>

namespace tavo {

inline constexpr int32_t kTranslationVersion = 9611080;  // 0x92A748

enum class VersionComponent { kMajor, kMinor, kRevision };

// One 16-bit component of the file version of the library's own file in the
// system directory; 0 on any failure.  Reads the file afresh on every call.
int32_t ReadVersionComponent(VersionComponent component);

}  // namespace tavo
