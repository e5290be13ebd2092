// Helpers for the platform suite: environment overrides and a fake Wine prefix.
#pragma once

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <optional>
#include <string>

#include "support/test_support.h"

namespace zrtest {

// Sets (or, with null, removes) an environment variable and restores it at the end.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    Set(name, value);
  }
  ~EnvOverride() { Set(name_.c_str(), previous_ ? previous_->c_str() : nullptr); }

 private:
  static void Set(const char* name, const char* value) {
#ifdef _WIN32
    // An empty value removes the variable on Windows, which cannot hold an empty one.
    _putenv_s(name, value ? value : "");
#else
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
#endif
  }

  std::string name_;
  std::optional<std::string> previous_;
};

#ifndef _WIN32
// A prefix laid out like Wine's: drive_c plus dosdevices/c: linking to it; WINEPREFIX names it
// while the object lives. Only the Linux layer reads one: Windows asks the system.
class FakeWinePrefix {
 public:
  explicit FakeWinePrefix(bool wow64 = false)
      : prefix_(dir_.PathOf("prefix")), env_("WINEPREFIX", prefix_.c_str()) {
    mkdir(prefix_.c_str(), 0777);
    mkdir((prefix_ + "/drive_c").c_str(), 0777);
    mkdir((prefix_ + "/drive_c/windows").c_str(), 0777);
    if (wow64) mkdir((prefix_ + "/drive_c/windows/syswow64").c_str(), 0777);
    mkdir((prefix_ + "/dosdevices").c_str(), 0777);
    if (symlink("../drive_c", (prefix_ + "/dosdevices/c:").c_str()) != 0) std::abort();
  }
  const std::string& Path() const { return prefix_; }
  std::string DriveC(const std::string& relative) const { return prefix_ + "/drive_c/" + relative; }

 private:
  TempDir dir_;
  std::string prefix_;
  EnvOverride env_;
};
#endif

}  // namespace zrtest
