#include "updater/install_target.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <dirent.h>
#endif
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/platform_test_support.h"
#include "support/test_support.h"
#include "system/bounded_text.h"
#include "updater/update_info.h"

namespace {

using zrtest::Utf8;
using zrtest::Wide;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

const std::string kShiftJisHeader = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>";

// Records every box with its owner.
struct OwnedBox {
  platform::WindowHandle owner;
  std::string text;
  std::string caption;
  uint32_t flags;
};
std::vector<OwnedBox> ownedBoxes;
int RecordOwnedBox(const platform::MessageBoxRequest& request) {
  ownedBoxes.push_back({request.owner, Utf8(request.text), Utf8(request.caption), request.flags});
  return platform::kAnswerOk;
}
class OwnedBoxRecorder {
 public:
  OwnedBoxRecorder() {
    ownedBoxes.clear();
    platform::SetMessageBoxHandler(RecordOwnedBox);
  }
  ~OwnedBoxRecorder() { platform::SetMessageBoxHandler(nullptr); }
  const std::vector<OwnedBox>& Boxes() const { return ownedBoxes; }
};

#ifdef _WIN32
// Windows keeps the record in its own common application data folder: the suite runs in a
// throw-away Wine prefix, so the tests write there.
struct SystemDrive {
  std::string DriveC(const std::string& relative) const { return "C:/" + relative; }
};
#endif

// A Wine prefix with the game's record under C:\ProgramData\Maker, and a game folder.
class InstallTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UpdateInfo = {};
    CopyWide(UpdateInfo.brand, u"Maker");
    CopyWide(UpdateInfo.app, u"Title");
    CurrentLanguage = {};
    CopyWide(CurrentLanguage.wndtitle, u"Window title");
    CopyWide(CurrentLanguage.error_inst, u"not installed");
    CopyWide(CurrentLanguage.error_version, u"too old");
    CopyWide(CurrentLanguage.title, u"Error title");
    mkdir(prefix_.DriveC("ProgramData").c_str(), 0777);
    mkdir(prefix_.DriveC("ProgramData/Maker").c_str(), 0777);
    std::remove(prefix_.DriveC("ProgramData/Maker/Title.xml").c_str());  // a fresh prefix has none
  }

  void WriteRecord(const std::string& bytes) {
    WriteBytes(prefix_.DriveC("ProgramData/Maker/Title.xml"), bytes);
  }
  void WriteRecordFor(const std::string& folder) {
    WriteRecord("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<data><path>" + folder +
                "</path></data>\r\n");
  }
  void WriteConfig(const std::string& major, const std::string& minor) {
    mkdir(game_.PathOf("config").c_str(), 0777);
    game_.WriteFile("config/startup.xml",
                    "<config><major>" + major + "</major><minor>" + minor + "</minor></config>");
  }
  std::string Folder() const { return Utf8(InstallFolder); }

#ifdef _WIN32
  SystemDrive prefix_;
#else
  zrtest::FakeWinePrefix prefix_;
#endif
  zrtest::TempDir game_;
};

TEST_F(InstallTargetTest, FindsTheFolderNamedInTheRecord) {
  WriteRecordFor(game_.Path());
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), game_.Path());

  // A Windows path in the record is used as it stands and resolves inside the prefix.
  mkdir(prefix_.DriveC("Games").c_str(), 0777);
  mkdir(prefix_.DriveC("Games/Title").c_str(), 0777);
  mkdir(prefix_.DriveC("Games/Title/config").c_str(), 0777);
  WriteBytes(prefix_.DriveC("Games/Title/config/startup.xml"), "<major>2</major><minor>7</minor>");
  WriteRecordFor("C:\\Games\\Title");
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), "C:\\Games\\Title");
  EXPECT_EQ(ReadInstalledVersion(), 0x20007u);

  // Taken byte for byte: no trimming, no entities; the first tags of the file count.
  WriteRecord("<path> C:\\A &amp; B\r\n</path><path>C:\\Other</path>");
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), " C:\\A &amp; B\r\n");
}

// The package names the record's folder; climbing out of the common folder must stay on the
// drive, as on Windows, and never reach the files around the prefix.
TEST_F(InstallTargetTest, RecordPathStaysOnTheDrive) {
#ifdef _WIN32
  GTEST_SKIP() << "climbs out of a fake Wine prefix's drive, which only the Linux layer resolves";
#else
  // Beside the prefix: reached by "..\..\..\record" only if ".." left drive C.
  const std::string beside = prefix_.Path() + "/../record";
  mkdir(beside.c_str(), 0777);
  WriteBytes(beside + "/Title.xml", "<path>C:\\Escaped</path>");
  EXPECT_EQ(FindInstallFolder(u"..\\..\\..\\record", u"Title"), 0);
  EXPECT_EQ(FindInstallFolder(u"..\\..\\..\\..\\..\\..\\..\\..\\record", u"Title"), 0);
  // What lies on the drive is found however many steps climb to its root.
  mkdir(prefix_.DriveC("record").c_str(), 0777);
  WriteBytes(prefix_.DriveC("record/Title.xml"), "<path>C:\\OnTheDrive</path>");
  ASSERT_EQ(FindInstallFolder(u"..\\..\\..\\record", u"Title"), 1);
  EXPECT_EQ(Folder(), "C:\\OnTheDrive");
#endif
}

TEST_F(InstallTargetTest, RecordWithoutBothTagsIsNoInstallation) {
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0) << "no record";
  WriteRecord("<path>C:\\Game");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0);
  WriteRecord("<PATH>C:\\Game</PATH>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0) << "tags are matched byte-exact";
  WriteRecord("");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0);
  // No earlier result survives a failure.
  EXPECT_EQ(Folder(), "");

  // Both tags, but nothing (or less than nothing) between them: found, with an empty folder.
  WriteRecord("<path></path>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), "");
  WriteRecord("</path>x<path>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), "");
}

TEST_F(InstallTargetTest, ShiftJisOnlyWithTheExactHeader) {
  // ゲーム\表示: the trail byte 0x5C of 表 must not become a separator.
  const std::string sjisName = "C:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\x8e\xa6";
  WriteRecord(kShiftJisHeader + "\r\n<data><path>" + sjisName + "</path></data>");
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder(), "C:\\ゲーム\\表示");

  const std::string utf8Name = "C:\\ゲーム\\表示";
  const std::vector<std::string> utf8Headers = {
      "<?xml version='1.0' encoding='Shift_JIS'?>",
      "<?xml version=\"1.0\" encoding=\"shift_jis\"?>",
      "\xEF\xBB\xBF" + kShiftJisHeader,
      "",
  };
  for (const std::string& header : utf8Headers) {
    WriteRecord(header + "<path>" + utf8Name + "</path>");
    ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1) << header;
    EXPECT_EQ(Folder(), utf8Name) << header;
  }
}

TEST_F(InstallTargetTest, FolderTextThatDoesNotFitIsRefused) {
  // 259 units fit InstallFolder, 260 do not.
  WriteRecord("<path>" + std::string(259, 'a') + "</path>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Folder().size(), 259u);
  WriteRecord("<path>" + std::string(260, 'a') + "</path>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0);
  EXPECT_EQ(Folder(), "");

  // 259 double-byte characters (518 bytes, 777 in UTF-8) and 259 half-width ones still fit.
  std::string wide;
  for (int i = 0; i < 259; ++i) wide += "\x93\xfa";  // 日
  WriteRecord(kShiftJisHeader + "<path>" + wide + "</path>");
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Wide(Folder()), std::u16string(259, u'日'));
  WriteRecord(kShiftJisHeader + "<path>" + std::string(259, '\xb1') + "</path>");  // ｱ
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(Wide(Folder()), std::u16string(259, u'ｱ'));

  // 520 bytes or more in the file, or more than 259 units, is refused rather than cut.
  WriteRecord(kShiftJisHeader + "<path>" + wide + "\x93\xfa</path>");
  EXPECT_EQ(FindInstallFolder(u"Maker", u"Title"), 0);
}

TEST_F(InstallTargetTest, InstalledVersionIsMajorAndUnmaskedMinor) {
  WriteRecordFor(game_.Path());
  ASSERT_EQ(FindInstallFolder(u"Maker", u"Title"), 1);
  EXPECT_EQ(ReadInstalledVersion(), 0u) << "no configuration";

  WriteConfig("1", "2");
  EXPECT_EQ(ReadInstalledVersion(), 0x10002u);
  WriteConfig("1.5", "3");
  EXPECT_EQ(ReadInstalledVersion(), 3u) << "a \".\" after the digits reads 0";
  WriteConfig("1", "65537");
  EXPECT_EQ(ReadInstalledVersion(), 0x10001u) << "the minor's high half lands on the major";
  WriteConfig("1", "-1");
  EXPECT_EQ(ReadInstalledVersion(), 0xFFFFFFFFu);

  // A closing tag before its opening one, or a missing pair, leaves that half 0.
  game_.WriteFile("config/startup.xml", "</major>3<major><minor>9</minor>");
  EXPECT_EQ(ReadInstalledVersion(), 9u);
  game_.WriteFile("config/startup.xml", "<major>3</major>");
  EXPECT_EQ(ReadInstalledVersion(), 0x30000u);

  // Version texts are cut at 129 characters.
  WriteConfig(std::string(128, '0') + "5", std::string(129, '0') + "5");
  EXPECT_EQ(ReadInstalledVersion(), 0x50000u);
}

TEST_F(InstallTargetTest, VerifyShowsTheFailureOwnedByTheWindow) {
  auto* const window = reinterpret_cast<platform::WindowHandle>(0x1234);
  OwnedBoxRecorder boxes;
  EXPECT_EQ(VerifyInstallTarget(window), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].owner, window);
  EXPECT_EQ(boxes.Boxes()[0].text, "not installed");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Window title");
  EXPECT_EQ(boxes.Boxes()[0].flags, platform::kMessageBoxOk);

  // An empty folder would send the files somewhere relative to the package.
  WriteRecord("<path></path>");
  EXPECT_EQ(VerifyInstallTarget(window), 0);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[1].text, "not installed");

  // The required version is the lowest accepted one.
  WriteRecordFor(game_.Path());
  WriteConfig("1", "2");
  CopyWide(UpdateInfo.version_major, u"1");
  CopyWide(UpdateInfo.version_minor, u"2");
  EXPECT_EQ(VerifyInstallTarget(window), 1);
  EXPECT_EQ(boxes.Boxes().size(), 2u);
  CopyWide(UpdateInfo.version_minor, u"3");
  EXPECT_EQ(VerifyInstallTarget(window), 0);
  ASSERT_EQ(boxes.Boxes().size(), 3u);
  EXPECT_EQ(boxes.Boxes()[2].owner, window);
  EXPECT_EQ(boxes.Boxes()[2].text, "too old");
  EXPECT_EQ(boxes.Boxes()[2].caption, "Error title");
  EXPECT_EQ(boxes.Boxes()[2].flags, platform::kMessageBoxOk);

  // Compared unsigned: a negative minor makes the installed version the highest.
  WriteConfig("0", "-1");
  CopyWide(UpdateInfo.version_major, u"5");
  EXPECT_EQ(VerifyInstallTarget(window), 1);

  // Nothing required: even an unreadable configuration passes.
  remove(game_.PathOf("config/startup.xml").c_str());
  UpdateInfo.version_major[0] = 0;
  UpdateInfo.version_minor[0] = 0;
  EXPECT_EQ(VerifyInstallTarget(window), 1);
  CopyWide(UpdateInfo.version_minor, u"1");
  EXPECT_EQ(VerifyInstallTarget(window), 0);
  EXPECT_EQ(boxes.Boxes().back().text, "too old");
}

class AppInstanceGuardTest : public ::testing::Test {
 protected:
  zrtest::TempDir runtime_;
  zrtest::EnvOverride env_{"XDG_RUNTIME_DIR", runtime_.Path().c_str()};
};

TEST_F(AppInstanceGuardTest, RunningWhileTheNameIsHeldOrCannotBeMade) {
  {
    AppInstanceGuard game(u"zr-guard-game");
    EXPECT_FALSE(game.running());
    AppInstanceGuard again(u"zr-guard-game");
    EXPECT_TRUE(again.running());
    AppInstanceGuard config(u"zr-guard-config");
    EXPECT_FALSE(config.running());
    again.Close();
    game.Close();
    EXPECT_FALSE(game.running()) << "closing keeps the flag";
  }
  AppInstanceGuard next(u"zr-guard-game");
  EXPECT_FALSE(next.running());
  next.Close();

#ifdef _WIN32
  GTEST_SKIP() << "the rest blocks the Linux layer's lock file; Windows mutexes have none";
#else
  // A name whose lock cannot be made counts as running: put a folder where its file goes.
  const std::string folder = runtime_.PathOf("zr-mutex");
  DIR* directory = opendir(folder.c_str());
  ASSERT_NE(directory, nullptr);
  std::vector<std::string> names;
  while (const dirent* entry = readdir(directory)) {
    const std::string name = entry->d_name;
    if (name.rfind("zr-guard-game", 0) == 0) names.push_back(name);
  }
  closedir(directory);
  ASSERT_EQ(names.size(), 1u);
  ASSERT_EQ(remove((folder + "/" + names[0]).c_str()), 0);
  ASSERT_EQ(mkdir((folder + "/" + names[0]).c_str(), 0700), 0);
  AppInstanceGuard blocked(u"zr-guard-game");
  EXPECT_TRUE(blocked.running());
#endif
}

}  // namespace
