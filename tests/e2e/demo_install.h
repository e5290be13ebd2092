// A game installed in a Wine-style prefix and an update package for it, in a temporary folder:
// what the end-to-end tests run the updater on.
#pragma once

#include <cstdint>
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
  // The package's splash picture: the left half opaque, the right half transparent.
  void WriteSplashPicture(uint32_t width, uint32_t height);
  // Blue, green and red of the picture's pixel (x, y) as the splash shows it (over white).
  static uint32_t SplashColour(uint32_t width, int32_t x, int32_t y);
  std::string GameFile(const std::string& relative) const;
  bool GameHas(const std::string& relative) const;

  TempDir dir_;

  // The prefix the game is installed in; by default just its drive C.
  virtual void PreparePrefix();

 private:
  void MakeInstalledGame();
  void MakePackage();
};

}  // namespace zrtest
