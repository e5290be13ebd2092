// The package tool's report of a game's configuration, run as a separate process against a Wine
// prefix made for each test.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "config/config_test_support.h"
#include "support/test_support.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ZrpackageConfig : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_.PathOf("prefix/dosdevices"));
    std::filesystem::create_directory_symlink("../drive_c", root_.PathOf("prefix/dosdevices/c:"));
    root_.WriteFile("prefix/drive_c/Game/config/startup.xml", zrtest::ConfigData("startup.xml"));
  }

  zrtest::CommandRun Report(const std::string& game = "prefix/drive_c/Game") const {
    return zrtest::RunCommand("WINEPREFIX=" + root_.PathOf("prefix") + " timeout 60 " +
                              ZRPACKAGE_PATH + " config " + root_.PathOf(game));
  }

  // Where a Windows path of the prefix lies ("C:\users\..." -> prefix/drive_c/users/...).
  std::string InPrefix(std::string windowsPath) const {
    std::replace(windowsPath.begin(), windowsPath.end(), '\\', '/');
    return "prefix/drive_c/" + windowsPath.substr(3);
  }

  // The string value of `key` in the report.
  static std::string Value(const std::string& report, const std::string& key) {
    const size_t at = report.find("\"" + key + "\": \"");
    if (at == std::string::npos) return "";
    const size_t start = at + key.size() + 5;
    return report.substr(start, report.find('"', start) - start);
  }

  zrtest::TempDir root_;
};

TEST_F(ZrpackageConfig, ReportsTheStartupFileThenThePlayersSettings) {
  const zrtest::CommandRun first = Report();
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Has(first.out, "\"setupFound\": false")) << first.out;
  EXPECT_TRUE(Has(first.out, "\"APP/brand\": \"TestBrand\""));
  EXPECT_TRUE(Has(first.out, "\"WINDOW/width\": 1280,"));  // the startup file's default
  // Placeholders of the folders are expanded, and indexed keys without a value are left out.
  const std::string save = Value(first.out, "saveFolder");
  EXPECT_TRUE(Has(save, "\\TestBrand\\")) << save;
  EXPECT_FALSE(Has(first.out, "%brand%"));
  EXPECT_FALSE(Has(first.out, "SCREEN/list/type2/w"));

  // The player's setup.xml in the save folder overrides the defaults.
  const std::string setup = Value(first.out, "setupFile");
  ASSERT_FALSE(setup.empty());
  root_.WriteFile(InPrefix(setup), zrtest::ConfigData("setup.xml"));
  const zrtest::CommandRun second = Report();
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(Has(second.out, "\"setupFound\": true"));
  EXPECT_TRUE(Has(second.out, "\"WINDOW/width\": 1600,"));

  // A broken setup file is an error, not a silent fall-back to the defaults.
  root_.WriteFile(InPrefix(setup), "<?xml version=\"1.0\"?><document>");
  const zrtest::CommandRun broken = Report();
  EXPECT_EQ(broken.status, 1);
  EXPECT_TRUE(Has(broken.err, "setup.xml: cannot be read as an XML document")) << broken.err;
}

TEST_F(ZrpackageConfig, AGameWithoutAReadableStartupFileFailsWithOneLine) {
  root_.WriteFile("prefix/drive_c/Broken/config/startup.xml", "<document>");
  std::filesystem::create_directories(root_.PathOf("prefix/drive_c/Empty"));
  for (const char* game :
       {"prefix/drive_c/Missing", "prefix/drive_c/Empty", "prefix/drive_c/Broken"}) {
    SCOPED_TRACE(game);
    const zrtest::CommandRun run = Report(game);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("zrpackage: ", 0), 0u) << run.err;
  }
}

}  // namespace
