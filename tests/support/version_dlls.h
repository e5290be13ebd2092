// The DLLs with version resources that the build makes from tests/data/version (see
// tests/CMakeLists.txt), and the real Windows libraries some machines have.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace zrtest {

// The path of the built DLL `name`, or "" when the build had no mingw-w64 tools.
inline std::string VersionDll(const std::string& name) {
#ifdef ZR_VERSION_DLL_DIR
  return std::string(ZR_VERSION_DLL_DIR) + "/" + name + ".dll";
#else
  (void)name;
  return "";
#endif
}

inline bool FileExists(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

}  // namespace zrtest

// Skips the test when the version DLLs were not built.
#define ZR_REQUIRE_VERSION_DLLS()                                                \
  do {                                                                           \
    if (zrtest::VersionDll("dots").empty())                                      \
      GTEST_SKIP() << "no i686-w64-mingw32 windres/gcc: version DLLs not built"; \
  } while (0)
