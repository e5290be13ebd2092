#include "updater/update_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "support/version_dlls.h"
#include "system/bounded_text.h"
#include "updater/install_target.h"
#include "updater/update_info.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

// Each test starts in a package folder of its own and goes back where it was.
class UpdateFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    previous_ = buffer;
    ASSERT_EQ(chdir(package_.Path().c_str()), 0);
    UpdateFileList.clear();
    UpdateInfo = {};
    DestinationRoot[0] = 0;
    CopyWide(InstallFolder, Wide(game_.Path()).c_str());
  }
  void TearDown() override { ASSERT_EQ(chdir(previous_.c_str()), 0); }

  static std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
  }
  void MakeFolder(const std::string& relative) {
    ASSERT_EQ(mkdir(package_.PathOf(relative).c_str(), 0777), 0) << relative;
  }
  std::vector<std::string> Listed() const {
    std::vector<std::string> out;
    for (const auto& path : UpdateFileList) out.push_back(Utf8(path));
    return out;
  }

  zrtest::TempDir package_;
  zrtest::TempDir game_;
  std::string previous_;
};

TEST_F(UpdateFilesTest, MissingDataFolderIsRefused) {
  auto* const window = reinterpret_cast<platform::WindowHandle>(0x77);
  package_.WriteFile("stray.txt", "not part of the update");
  zrtest::MessageBoxRecorder boxes;
  EXPECT_EQ(EnterDataFolder(window), 0);
  // A file of that name is no folder either.
  package_.WriteFile("data", "");
  EXPECT_EQ(EnterDataFolder(window), 0);
  EXPECT_EQ(CurrentDirectory(), package_.Path());
  EXPECT_EQ(Utf8(DestinationRoot), "");
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, "\"data\" folder was not found.");
  EXPECT_EQ(boxes.Boxes()[0].caption, "error");
  EXPECT_EQ(boxes.Boxes()[0].flags, platform::kMessageBoxOk);
}

TEST_F(UpdateFilesTest, EnteringDataFolderSetsTheDestination) {
  MakeFolder("data");
  zrtest::MessageBoxRecorder boxes;
  EXPECT_EQ(EnterDataFolder(nullptr), 1);
  EXPECT_EQ(CurrentDirectory(), package_.PathOf("data"));
  EXPECT_EQ(Utf8(DestinationRoot), game_.Path());
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(UpdateFilesTest, ListsEveryFileDepthFirstInFolderOrder) {
  MakeFolder("m");
  MakeFolder("m/deeper");
  MakeFolder("e");
  for (const char* name : {"b.txt", "A.txt", "_u.txt", "Z.txt", ".hidden", "m/inner.txt",
                           "m/deeper/x.txt", "game.exe", "sys.DLL"}) {
    package_.WriteFile(name, "x");
  }
  CollectUpdateFiles(u"");
  // Upper-cased names in unit order: "_" (0x5F) comes after "Z"; the empty folder adds nothing;
  // without the version rule executables are listed like any file.
  const std::vector<std::string> expected = {
      ".hidden",      "A.txt",   "b.txt", "game.exe", "m\\deeper\\x.txt",
      "m\\inner.txt", "sys.DLL", "Z.txt", "_u.txt"};
  EXPECT_EQ(Listed(), expected);

  // A prefix lists below that folder; the list only grows.
  CollectUpdateFiles(u"m");
  EXPECT_EQ(UpdateFileList.size(), expected.size() + 2);
  EXPECT_EQ(Utf8(UpdateFileList.back()), "m\\inner.txt");
  CollectUpdateFiles(u"missing");
  EXPECT_EQ(UpdateFileList.size(), expected.size() + 2);
}

TEST_F(UpdateFilesTest, VersionRuleTestsOnlyExeAndDllNames) {
  UpdateInfo.checkexeversion = 1;
  CopyWide(DestinationRoot, InstallFolder);
  MakeFolder("bin");
  for (const char* name : {"bin/tool.EXE", "bin/tool.exe.bak", "core.dll", "readme.txt", "exe"}) {
    package_.WriteFile(name, "no version resource here");
  }
  game_.WriteFile("core.dll", "installed");
  std::vector<VersionCheck> checks;
  CollectUpdateFiles(u"", [&](const VersionCheck& check) { checks.push_back(check); });
  // Files without a version resource of their own are held back, whatever is installed.
  EXPECT_EQ(Listed(), (std::vector<std::string>{"bin\\tool.exe.bak", "exe", "readme.txt"}));
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(Utf8(checks[0].relative), "bin\\tool.EXE");
  EXPECT_EQ(Utf8(checks[1].relative), "core.dll");
  for (const VersionCheck& check : checks) {
    EXPECT_FALSE(check.sourceHasVersion);
    EXPECT_FALSE(check.accepted);
  }
}

std::string VersionDll(const std::string& name) {
  std::ifstream file(zrtest::VersionDll(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_F(UpdateFilesTest, VersionRuleAcceptsOnlyNewerOrUninstalledExecutables) {
  ZR_REQUIRE_VERSION_DLLS();
  UpdateInfo.checkexeversion = 1;
  CopyWide(DestinationRoot, InstallFolder);
  // Package file, installed file ("" for none), and whether the package's is listed.
  struct Case {
    const char* name;
    const char* source;
    const char* installed;
    bool listed;
  };
  const Case cases[] = {
      {"same.dll", "three", "three", false},           // 1.2.0.0 against 1.2.0.0
      {"older.dll", "three", "dots", false},           // against 1.2.3.4
      {"major.EXE", "three", "two", true},             // against 1.0.0.0
      {"low.exe", "dots", "three", true},              // 1.2.3.4: the low word decides
      {"labelled.dll", "build_label", "dots", false},  // "1.2.3.4 (build 77)" is 1.2.3.4
      {"new.dll", "three", "", true},                  // not installed
      {"plain.dll", "three", "no_version", true},      // installed without a version
      {"zero.dll", "no_translation", "", true},        // version 0.0.0.0 is still a version
      {"zero_again.dll", "no_translation", "no_translation", false},
      {"bare.exe", "no_version", "", false},  // the package's file must carry one
  };
  for (const Case& c : cases) {
    package_.WriteFile(c.name, VersionDll(c.source));
    if (*c.installed) game_.WriteFile(c.name, VersionDll(c.installed));
  }
  std::vector<VersionCheck> checks;
  CollectUpdateFiles(u"", [&](const VersionCheck& check) { checks.push_back(check); });
  ASSERT_EQ(checks.size(), std::size(cases));
  const std::vector<std::string> listed = Listed();
  for (const Case& c : cases) {
    const bool found = std::find(listed.begin(), listed.end(), c.name) != listed.end();
    EXPECT_EQ(found, c.listed) << c.name;
    const auto check = std::find_if(checks.begin(), checks.end(), [&](const VersionCheck& v) {
      return Utf8(v.relative) == c.name;
    });
    ASSERT_NE(check, checks.end()) << c.name;
    EXPECT_EQ(check->accepted, c.listed) << c.name;
    EXPECT_EQ(check->sourceHasVersion, std::string(c.source) != "no_version") << c.name;
    EXPECT_EQ(check->destinationHasVersion, *c.installed &&
                                                std::string(c.installed) != "no_version" &&
                                                std::string(c.source) != "no_version")
        << c.name;
  }
  const auto major = std::find_if(checks.begin(), checks.end(), [](const VersionCheck& v) {
    return Utf8(v.relative) == "major.EXE";
  });
  EXPECT_EQ(major->source.version_high, 0x10002u);
  EXPECT_EQ(major->destination.version_high, 0x10000u);
}

// --- Links, special files and names ----------------------------------------------------------

TEST_F(UpdateFilesTest, LinksInsideTheFolderAreFollowedLikeWhatTheyName) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a Linux folder's; Windows packages hold none";
#else
  package_.WriteFile("voice/a.ogg", "a");
  package_.WriteFile("voice/b.ogg", "b");
  ASSERT_EQ(symlink("voice", package_.PathOf("bgm").c_str()), 0);
  ASSERT_EQ(symlink("voice/a.ogg", package_.PathOf("alias.ogg").c_str()), 0);
  ASSERT_EQ(symlink("../voice/b.ogg", package_.PathOf("voice/again.ogg").c_str()), 0);
  EXPECT_EQ(CollectUpdateFiles(u""), 1);
  EXPECT_EQ(Listed(),
            (std::vector<std::string>{"alias.ogg", "bgm\\a.ogg", "bgm\\again.ogg", "bgm\\b.ogg",
                                      "voice\\a.ogg", "voice\\again.ogg", "voice\\b.ogg"}));
  EXPECT_EQ(Utf8(UpdateFileRefusal), "");
#endif
}

#ifndef _WIN32
// The message for the first entry of the folder `make` fills that an update must not use, or ""
// when the folder is usable. Each case runs in a folder of its own.
std::string Refusal(const std::function<void(const zrtest::TempDir&)>& make) {
  zrtest::TempDir data;
  make(data);
  char previous[4096];
  if (!getcwd(previous, sizeof previous) || chdir(data.Path().c_str()) != 0) return "no folder";
  UpdateFileList.clear();
  const int listed = CollectUpdateFiles(u"");
  const std::string message = Utf8(UpdateFileRefusal);
  if (chdir(previous) != 0) return "no way back";
  return listed ? message : "refused: " + message;
}

void Link(const zrtest::TempDir& data, const std::string& target, const std::string& name) {
  std::filesystem::create_directories(std::filesystem::path(data.PathOf(name)).parent_path());
  ASSERT_EQ(symlink(target.c_str(), data.PathOf(name).c_str()), 0) << name;
}
#endif

TEST_F(UpdateFilesTest, LinksThatLeaveLoopOrLeadNowhereAreRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "needs symbolic links";
#else
  const std::string prefix = "refused: The update cannot use \"data\\";
  // Each of these once listed the same folder over and over, or the host's files.
  EXPECT_EQ(Refusal([](const auto& d) { Link(d, ".", "a"); }),
            prefix + "a\": it is a link to a folder that holds it.");
  EXPECT_EQ(Refusal([](const auto& d) {
              Link(d, ".", "a");
              Link(d, ".", "b");
            }),
            prefix + "a\": it is a link to a folder that holds it.");
  EXPECT_EQ(Refusal([](const auto& d) {
              d.WriteFile("sub/x", "");
              Link(d, "..", "sub/up");
            }),
            prefix + "sub\\up\": it is a link to a folder that holds it.");
  EXPECT_EQ(Refusal([](const auto& d) { Link(d, "/etc", "etc"); }),
            prefix + "etc\": it is a link that leads outside the \"data\" folder.");
  // Beside the data folder, under a name nothing else uses.
  EXPECT_EQ(Refusal([](const auto& d) {
              const std::string beside = std::filesystem::path(d.Path()).filename().string();
              Link(d, "../../" + beside + ".absent", "sub/out");
            }),
            prefix + "sub\\out\": it is a link whose target does not exist.");
  EXPECT_EQ(Refusal([](const auto& d) { Link(d, "missing", "dangling"); }),
            prefix + "dangling\": it is a link whose target does not exist.");
  // A link reached through another link is not followed: chains cannot multiply the list.
  EXPECT_EQ(Refusal([](const auto& d) {
              d.WriteFile("other/x", "");
              Link(d, "../other", "sub/inner");
              Link(d, "sub", "outer");
            }),
            prefix + "outer\\inner\": it is a link to a folder inside a linked folder.");
#endif
}

TEST_F(UpdateFilesTest, WhatIsNoFileAndNamesWindowsCannotHoldAreRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "makes a FIFO and names Windows itself refuses to create";
#else
  const std::string prefix = "refused: The update cannot use \"data\\";
  EXPECT_EQ(Refusal([](const auto& d) { mkfifo(d.PathOf("game.exe").c_str(), 0666); }),
            prefix + "game.exe\": it is neither a file nor a folder.");
  // A backslash inside a name would turn it into a path that climbs out of the game folder.
  for (const char* name : {"..\\..\\evil.txt", "a:b", "what?", "trailing.", "trailing ", "NUL.txt",
                           "com1", "tab\tname"}) {
    EXPECT_EQ(Refusal([&](const auto& d) { d.WriteFile(name, ""); }),
              prefix + name + "\": its name cannot be used on Windows.");
  }
  EXPECT_EQ(Refusal([](const auto& d) { d.WriteFile("console/nulls.txt", ""); }), "");
  EXPECT_EQ(Refusal([](const auto& d) { d.WriteFile("com10", ""); }), "");
#endif
}

TEST_F(UpdateFilesTest, ListingTellsTheUserOfARefusedEntry) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a symbolic link to a folder outside the package";
#else
  MakeFolder("sub");
  ASSERT_EQ(symlink("/", package_.PathOf("sub/root").c_str()), 0);
  auto* const window = reinterpret_cast<platform::WindowHandle>(0x77);
  zrtest::MessageBoxRecorder boxes;
  EXPECT_EQ(ListUpdateFiles(window), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text,
            "The update cannot use \"data\\sub\\root\": it is a link that leads outside the "
            "\"data\" folder.");
  EXPECT_EQ(boxes.Boxes()[0].caption, "error");
#endif
}

}  // namespace
