// A game folder to run the configuration in: the current directory for the test, with the
// library heap, and (on Linux) a Wine prefix of its own so that the user's folders the
// configuration makes stay inside the test.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "file/zrFile.h"
#include "platform/platform_test_support.h"
#include "platform/process.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace zrtest {

inline std::string ConfigData(const std::string& name) {
  std::ifstream in(std::string(ZR_SOURCE_DIR) + "/tests/data/config/" + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A whole document around `body`, for the small cases.
inline std::string XmlDocument(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<document>" + body + "</document>\r\n";
}

// Writes a file at a library (Windows) path, as the configuration names its folders.
inline bool WriteLibraryFile(const char16_t* path, const std::string& bytes) {
  zrFile file;
  return file.Open(path, ZRFILE_WRITE | ZRFILE_CREATE_ALWAYS) == 1 &&
         file.Write(bytes.data(), static_cast<int32_t>(bytes.size())) ==
             static_cast<int32_t>(bytes.size());
}

class ConfigFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
    ASSERT_GT(platform::GetCurrentDirectory(previous_, 260), 0u);
    ASSERT_TRUE(platform::SetCurrentDirectory(game_.WidePath().c_str()));
  }
  void TearDown() override {
    EXPECT_TRUE(platform::SetCurrentDirectory(previous_));
    zrHeapDestroy();
  }
  // The game's definition, where the configuration looks for it by default.
  void InstallStartup(const std::string& bytes) { game_.WriteFile("config/startup.xml", bytes); }
  // A FOLDER section that keeps the player's files in the test's own folder: on Windows the
  // user's folders are shared by every test.
  std::string SaveInGameFolder() const {
    return "<FOLDER><save>" + game_.PathOf("save") + "</save></FOLDER>";
  }

#ifndef _WIN32
  FakeWinePrefix prefix_;
#endif
  TempDir game_;

 private:
  char16_t previous_[260] = {};
};

}  // namespace zrtest
