#include "platform/posix/native_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_system.h"
#include "platform_test_support.h"

namespace {

using platform::NativePath;

TEST(NativePathTest, DriveLettersResolveThroughThePrefix) {
  zrtest::EnvOverride prefix("WINEPREFIX", "/games/pfx");
  EXPECT_EQ(NativePath(u"C:\\ProgramData\\Brand\\Title.xml"),
            "/games/pfx/dosdevices/c:/ProgramData/Brand/Title.xml");
  EXPECT_EQ(NativePath(u"d:"), "/games/pfx/dosdevices/d:");
  EXPECT_EQ(NativePath(u"C:name"), "/games/pfx/dosdevices/c:/name");
  zrtest::EnvOverride unset("WINEPREFIX", nullptr);
  zrtest::EnvOverride home("HOME", "/home/player");
  EXPECT_EQ(NativePath(u"C:\\a"), "/home/player/.wine/dosdevices/c:/a");
}

TEST(NativePathTest, OtherPathsChangeOnlyTheirSeparators) {
  EXPECT_EQ(NativePath(u"/tmp/x\\y"), "/tmp/x/y");
  EXPECT_EQ(NativePath(u"data\\sub\\a.txt"), "data/sub/a.txt");
  EXPECT_EQ(NativePath(u"1:\\x"), "1:/x");  // not a drive letter
  EXPECT_EQ(NativePath(nullptr), "");
  EXPECT_EQ(NativePath(u"データ\\\U0001F600"), "データ/\xF0\x9F\x98\x80");
  const char16_t lone[] = {0xD800, u'a', 0};
  EXPECT_EQ(NativePath(lone),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(platform::Utf8ToUtf16("デ\xF0\x9F\x98\x80\xFF"), u"デ\U0001F600\uFFFD");
}

TEST(NativePathTest, DrivePathsTakeTheCaseOfWhatExistsInThePrefix) {
  zrtest::FakeWinePrefix prefix;
  mkdir(prefix.DriveC("Games").c_str(), 0777);
  mkdir(prefix.DriveC("Games/Starlit").c_str(), 0777);
  mkdir(prefix.DriveC("Games/Starlit/Script").c_str(), 0777);
  mkdir(prefix.DriveC("Games/Starlit/script.bak").c_str(), 0777);
  const std::string c = prefix.Path() + "/dosdevices/c:";
  // As written when it exists.
  EXPECT_EQ(NativePath(u"C:\\Games\\Starlit\\Script"), c + "/Games/Starlit/Script");
  // Each component takes the existing name; what does not exist yet stays as written.
  EXPECT_EQ(NativePath(u"c:\\GAMES\\starlit\\SCRIPT\\New File.txt"),
            c + "/Games/Starlit/Script/New File.txt");
  EXPECT_EQ(NativePath(u"C:\\games\\Missing\\script"), c + "/Games/Missing/script");
  EXPECT_EQ(NativePath(u"C:\\games\\starlit\\"), c + "/Games/Starlit/");
  // Plain paths are never changed.
  const std::string plain = prefix.DriveC("GAMES");
  EXPECT_EQ(NativePath(zrtest::Wide(plain).c_str()), plain);
}

}  // namespace
