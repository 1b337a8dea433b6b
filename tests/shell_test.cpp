// The native library as a module: the version number, and the six exports found by name in the
// shared library itself.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "morvane.h"
#include "shell/version.h"

namespace {

// Major * 100 + minor * 10 + build of the project's version: 2 for 0.0.2.2.
TEST(Shell, VersionNumberComesFromTheProjectVersion) {
  for (int i = 0; i < 3; ++i) EXPECT_EQ(DllGetVersion(), MORVANE_VERSION_NUMBER);
}

TEST(Shell, SharedLibraryExportsEveryCallByName) {
  void* so = dlopen(MORVANE_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(so, nullptr) << dlerror();
  for (const char* name :
       {"BlendBlt", "ClipBlt", "DllGetVersion", "RopBlt", "SaveToBitmapA", "SaveToBitmapW"}) {
    EXPECT_NE(dlsym(so, name), nullptr) << name;
  }
  EXPECT_EQ(dlsym(so, "ResolvePixels"), nullptr);
  EXPECT_EQ(dlsym(so, "_ZN7morvane13ResolvePixelsEi"), nullptr);
  using Fn = int32_t (*)();
  EXPECT_EQ(reinterpret_cast<Fn>(dlsym(so, "DllGetVersion"))(), MORVANE_VERSION_NUMBER);
  dlclose(so);
}

}  // namespace
