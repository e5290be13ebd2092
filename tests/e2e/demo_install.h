// A game installed in a Wine-style prefix and an update package for it, in a temporary folder:
// what the end-to-end tests run the updater on.
#pragma once

#include <string>

#include "support/test_support.h"

namespace zrtest {

class DemoInstallTest : public HeapTest {
 protected:
  void SetUp() override;

  std::string Prefix() const { return dir_.PathOf("prefix"); }
  // Named for this test process: a program of another test's game must not look like this one's.
  std::string GameName() const;
  std::string Game() const { return dir_.PathOf("prefix/drive_c/Games/" + GameName()); }
  std::string Package() const { return dir_.PathOf("package"); }
  void SetInstalledVersion(int major, int minor);
  std::string GameFile(const std::string& relative) const;
  bool GameHas(const std::string& relative) const;

  TempDir dir_;

 private:
  void MakeInstalledGame();
  void MakePackage();
};

}  // namespace zrtest
