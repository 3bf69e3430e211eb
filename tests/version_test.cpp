// Version queries: the translation version and the file version of the
// library's own installed file.
#include "test_support.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace tavo::test {
namespace {

TEST(Version, TranslationVersionIsFixed) {
  EXPECT_EQ(BC_FontGetVer(), 9611080);
  EXPECT_EQ(BC_FontGetVer(), 0x92A748);
}

#ifndef _WIN32
// Natively the "system directory" is the directory the library was loaded
// from.  (On Windows the Win32 test program copies the DLL into the real
// system directory and removes it again.)
TEST(Version, FileVersionOfTheLoadedLibrary) {
  EXPECT_EQ(TAVO_VersionMajor(), 3);
  EXPECT_EQ(TAVO_VersionMinor(), 1);
  EXPECT_EQ(TAVO_VersionRevision(), 8);
}

TEST(Version, ZeroWhenTheLibraryFileIsGone) {
  namespace fs = std::filesystem;
  Dl_info info{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(&BC_FontGetVer), &info));
  const fs::path dir = fs::temp_directory_path() / ("tavo_version_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path copy = dir / fs::path(info.dli_fname).filename();
  fs::copy_file(fs::canonical(info.dli_fname), copy, fs::copy_options::overwrite_existing);

  void* lib = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  using Query = int32_t (*)();
  auto major = reinterpret_cast<Query>(dlsym(lib, "TAVO_VersionMajor"));
  auto revision = reinterpret_cast<Query>(dlsym(lib, "TAVO_VersionRevision"));
  auto ver = reinterpret_cast<Query>(dlsym(lib, "BC_FontGetVer"));
  ASSERT_TRUE(major && revision && ver);
  EXPECT_EQ(major(), 3) << "the copy answers from its own file";
  EXPECT_EQ(revision(), 8);

  fs::remove(copy);
  EXPECT_EQ(major(), 0) << "file absent from its directory";
  EXPECT_EQ(revision(), 0);
  EXPECT_EQ(ver(), 9611080) << "the translation version needs no file";

  // A file of the same name without a version record also gives 0.
  { std::FILE* f = std::fopen(copy.c_str(), "wb"); std::fputs("not a library", f); std::fclose(f); }
  EXPECT_EQ(major(), 0);
  dlclose(lib);
  fs::remove_all(dir);
}
#endif

}  // namespace
}  // namespace tavo::test
