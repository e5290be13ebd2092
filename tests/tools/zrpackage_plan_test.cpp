// The package tool's dry run of an update, run as a separate process against a Wine prefix made
// for each test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/named_mutex.h"
#include "support/test_support.h"
#include "support/version_dlls.h"

namespace {

const std::string kDemo = std::string(ZR_SOURCE_DIR) + "/examples/demo";

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ZrpackagePlan : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_.PathOf("prefix/dosdevices"));
    std::filesystem::create_directory_symlink("../drive_c", root_.PathOf("prefix/dosdevices/c:"));
    root_.WriteFile("prefix/drive_c/ProgramData/Maker/Game.xml",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<path>C:\\Game</path>\n");
    Installed("config/startup.xml", "<major>1</major><minor>2</minor>");
    Describe("0");
  }

  void Describe(const std::string& checkexeversion) {
    root_.WriteFile(
        "package/updateinfo.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<document><brand>Maker</brand>"
        "<app>Game</app><mutex>" +
            GameMutex() + "</mutex><confmutex>" + GameMutex() +
            "-config</confmutex><checkexeversion>" + checkexeversion +
            "</checkexeversion><version><major>1</major><minor>2</minor></version>"
            "<language><lang00><code>0x0409</code><prifix>en</prifix></lang00></language>"
            "<en><message><wndtitle>Game Update</wndtitle><error_version>too old"
            "</error_version><error_inst>not installed</error_inst></message>"
            "<message_error><boot>running</boot><title>Error</title></message_error></en>"
            "</document>");
  }
  // Unique to the test, which may run beside others.
  std::string GameMutex() const {
    return "zr-plan-test-" + std::filesystem::path(root_.Path()).filename().string();
  }
  void Installed(const std::string& relative, const std::string& bytes) {
    root_.WriteFile("prefix/drive_c/Game/" + relative, bytes);
  }
  void Packaged(const std::string& relative, const std::string& bytes) {
    root_.WriteFile("package/data/" + relative, bytes);
  }
  void PackagedCopy(const std::string& relative, const std::string& from) {
    std::filesystem::create_directories(root_.PathOf("package/data"));
    std::filesystem::copy_file(from, root_.PathOf("package/data/" + relative));
  }
  void InstalledCopy(const std::string& relative, const std::string& from) {
    std::filesystem::copy_file(from, root_.PathOf("prefix/drive_c/Game/" + relative));
  }

  // A plan that hangs fails the test within a minute.
  zrtest::CommandRun Plan() const {
    return zrtest::RunCommand("WINEPREFIX=" + root_.PathOf("prefix") + " timeout 60 " +
                              ZRPACKAGE_PATH + " plan " + root_.PathOf("package"));
  }

  zrtest::TempDir root_;
};

TEST(ZrpackagePlanDemo, ShowsTheDemoUpdateAndWritesNothing) {
  const std::string logPath = kDemo + "/prefix/drive_c/Games/StarlitGarden/install.log";
  zrtest::TempDir scratch;
  const std::string before = zrtest::RunCommand("cat " + logPath).out;
  const zrtest::CommandRun run = zrtest::RunCommand("WINEPREFIX=" + kDemo + "/prefix " +
                                                    ZRPACKAGE_PATH + " plan " + kDemo + "/package");
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  EXPECT_TRUE(Has(run.out, "\"install_folder\": \"C:\\\\Games\\\\StarlitGarden\""));
  // The existing log merged with the update's files, sorted, each once.
  EXPECT_TRUE(
      Has(run.out,
          "\"lines\": [\n      \"\\\"bgm\\\\theme.ogg\\\"\",\n      \"\\\"readme.txt\\\"\",\n"
          "      \"\\\"script\\\\epilogue.dat\\\"\",\n      \"\\\"script\\\\prologue.dat\\\"\",\n"
          "      \"\\\"startup.txt\\\"\"\n    ]"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "\"verdict\": \"ok\"\n}\n"));
  EXPECT_EQ(zrtest::RunCommand("cat " + logPath).out, before);
}

TEST_F(ZrpackagePlan, EachFailedCheckGivesTheUpdatersMessage) {
  Installed("config/startup.xml", "<major>1</major><minor>1</minor>");
  zrtest::CommandRun run = Plan();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out, "\"text\": \"too old\",\n    \"caption\": \"Error\"")) << run.out;
  EXPECT_TRUE(Has(run.out, "\"verdict\": \"version_too_old\""));

  Installed("config/startup.xml", "<major>1</major><minor>2</minor>");
  run = Plan();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out, "\"text\": \"\\\"data\\\" folder was not found.\"")) << run.out;
  EXPECT_TRUE(Has(run.out, "\"verdict\": \"no_data_folder\""));

  std::filesystem::remove(root_.PathOf("prefix/drive_c/ProgramData/Maker/Game.xml"));
  run = Plan();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out, "\"text\": \"not installed\",\n    \"caption\": \"Game Update\""));
  EXPECT_TRUE(Has(run.out, "\"verdict\": \"not_installed\""));
}

TEST_F(ZrpackagePlan, ARunningGameStopsThePlan) {
  Packaged("a.txt", "a");
  platform::MutexHandle game = platform::CreateNamedMutex(zrtest::Wide(GameMutex()).c_str());
  ASSERT_NE(game, nullptr);
  const zrtest::CommandRun run = Plan();
  platform::CloseNamedMutex(game);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out, "\"mutex\": true,\n    \"confmutex\": false")) << run.out;
  EXPECT_TRUE(Has(run.out, "\"text\": \"running\""));
  EXPECT_EQ(Plan().status, 0);
}

TEST_F(ZrpackagePlan, ReportsEveryVersionDecisionInTheUpdatersOrder) {
  ZR_REQUIRE_VERSION_DLLS();
  Describe("1");
  PackagedCopy("a_new.dll", zrtest::VersionDll("dots"));  // 1.2.3.4 over 1.2.0.0
  InstalledCopy("a_new.dll", zrtest::VersionDll("three"));
  PackagedCopy("b_old.EXE", zrtest::VersionDll("three"));  // 1.2.0.0 under 1.2.3.4
  InstalledCopy("b_old.EXE", zrtest::VersionDll("dots"));
  PackagedCopy("c_bare.dll", zrtest::VersionDll("no_version"));
  Packaged("d.txt", "d");
  const zrtest::CommandRun run = Plan();
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  EXPECT_TRUE(Has(run.out,
                  "\"path\": \"a_new.dll\",\n      \"decision\": \"copy\",\n"
                  "      \"version_rule\": {\n        \"package_version\": \"1.2.3.4\",\n"
                  "        \"installed_version\": \"1.2.0.0\"\n      }\n    },\n    {\n"
                  "      \"path\": \"b_old.EXE\",\n      \"decision\": \"skip\",\n"
                  "      \"version_rule\": {\n        \"package_version\": \"1.2.0.0\",\n"
                  "        \"installed_version\": \"1.2.3.4\"\n      }\n    },\n    {\n"
                  "      \"path\": \"c_bare.dll\",\n      \"decision\": \"skip\",\n"
                  "      \"version_rule\": {\n        \"package_version\": null,\n"
                  "        \"installed_version\": null\n      }\n    },\n    {\n"
                  "      \"path\": \"d.txt\",\n      \"decision\": \"copy\"\n    }\n  ]"))
      << run.out;
  // Skipped files stay out of the log.
  EXPECT_TRUE(
      Has(run.out, "\"lines\": [\n      \"\\\"a_new.dll\\\"\",\n      \"\\\"d.txt\\\"\"\n"));
}

TEST_F(ZrpackagePlan, NamesInThePackageMatchWithoutRegardToCase) {
  // As a package made on Windows may name them.
  std::filesystem::rename(root_.PathOf("package/updateinfo.xml"),
                          root_.PathOf("package/UpdateInfo.xml"));
  root_.WriteFile("package/Data/Script/Start.DAT", "x");
  const zrtest::CommandRun run = Plan();
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  EXPECT_TRUE(Has(run.out, "\"path\": \"Script\\\\Start.DAT\"")) << run.out;
}

TEST_F(ZrpackagePlan, EntriesAnUpdateMustNotUseStopThePlan) {
  Describe("1");  // the version rule would open the executable
  std::filesystem::create_directories(root_.PathOf("package/data"));
  ASSERT_EQ(mkfifo(root_.PathOf("package/data/game.exe").c_str(), 0666), 0);
  zrtest::CommandRun run = Plan();
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out,
                  "\"text\": \"The update cannot use \\\"data\\\\game.exe\\\": it is "
                  "neither a file nor a folder.\""))
      << run.out;
  EXPECT_TRUE(Has(run.out, "\"verdict\": \"unusable_entry\""));
  EXPECT_FALSE(Has(run.out, "install_log"));
}

}  // namespace
