#ifdef _WIN32
#include <gtest/gtest.h>

TEST(NativePathTest, LinuxOnly) {
  GTEST_SKIP() << "the Linux layer's translation of Windows paths; Windows takes them as they are";
}
#else
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"
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
  // Host paths too: a package made on Windows names its files in any case.
  const std::string plain = prefix.DriveC("GAMES/STARLIT/new");
  EXPECT_EQ(NativePath(zrtest::Wide(plain).c_str()), prefix.DriveC("Games/Starlit/new"));
}

TEST(NativePathTest, CaseIsFoldedForEveryLetterNotOnlyAscii) {
  zrtest::TempDir dir;
  for (const char* name : {"Café", "ΣΟΦΊΑ", "Ünï", "ǆ", "ſ"}) mkdir(dir.PathOf(name).c_str(), 0777);
  const std::string root = dir.Path() + "/";
  EXPECT_EQ(NativePath(dir.WidePathOf("CAFÉ").c_str()), root + "Café");
  EXPECT_EQ(NativePath(dir.WidePathOf("σοφία").c_str()), root + "ΣΟΦΊΑ");
  EXPECT_EQ(NativePath(dir.WidePathOf("üNÏ").c_str()), root + "Ünï");
  mkdir(dir.PathOf("x\U0001F600").c_str(), 0777);
  EXPECT_EQ(NativePath((dir.WidePath() + u"/X\U0001F600").c_str()), root + "x\U0001F600");
  // A name that is no UTF-8 matches only as written, not as the replacement character.
  mkdir(dir.PathOf("\xFF").c_str(), 0777);
  EXPECT_EQ(NativePath(dir.WidePathOf("\uFFFD").c_str()), root + "\uFFFD");
  // Letters Windows does not fold stay apart: title-case dz, the long s.
  EXPECT_EQ(NativePath(dir.WidePathOf("ǅ").c_str()), root + "ǅ");
  EXPECT_EQ(NativePath(dir.WidePathOf("S").c_str()), root + "S");
}

TEST(NativePathTest, DotsAreResolvedInTheTextNeverAboveTheRoot) {
  zrtest::EnvOverride prefix("WINEPREFIX", "/pfx");
  const std::string c = "/pfx/dosdevices/c:";
  EXPECT_EQ(NativePath(u"C:\\..\\..\\..\\etc\\passwd"), c + "/etc/passwd");
  EXPECT_EQ(NativePath(u"C:\\nonexistent\\..\\x.txt"), c + "/x.txt");
  EXPECT_EQ(NativePath(u"C:\\a\\.\\b\\..\\..\\c"), c + "/c");
  EXPECT_EQ(NativePath(u"/tmp/../../etc"), "/etc");
  // A relative path keeps only the climbs above its start.
  EXPECT_EQ(NativePath(u"missing\\..\\x.txt"), "x.txt");
  EXPECT_EQ(NativePath(u"a\\..\\..\\..\\b"), "../../b");
  EXPECT_EQ(NativePath(u"a\\.."), ".");
  // Windows drops one dot before a separator and every trailing dot and space at the end.
  EXPECT_EQ(NativePath(u"C:\\a.\\b..\\c . "), c + "/a/b./c");
  EXPECT_EQ(NativePath(u"C:\\a\\b\\..."), c + "/a/b/");
}

TEST(NativePathTest, PrefixedNetworkAndDevicePaths) {
  zrtest::EnvOverride prefix("WINEPREFIX", "/pfx");
  const std::string c = "/pfx/dosdevices/c:";
  EXPECT_EQ(NativePath(u"\\\\?\\C:\\x\\y."), c + "/x/y.");  // taken as written
  EXPECT_EQ(NativePath(u"\\\\.\\C:\\x\\..\\y."), c + "/y");
  EXPECT_EQ(NativePath(u"//?/c:/x"), c + "/x");
  const std::pair<const char16_t*, uint32_t> refused[] = {
      {u"\\\\server\\share\\x", platform::kErrorBadNetPath},
      {u"//server/share", platform::kErrorBadNetPath},
      {u"\\\\?\\UNC\\server\\share\\x", platform::kErrorBadNetPath},
      {u"\\\\.\\pipe\\x", platform::kErrorPathNotFound},
      {u"\\\\?\\C:\\x\\..\\y", platform::kErrorInvalidName},  // ".." is no name
      {u"C:\\x\\...\\y", platform::kErrorInvalidName},        // nor what "..." leaves
      {u"", platform::kErrorPathNotFound},
  };
  for (const auto& [path, error] : refused) {
    EXPECT_EQ(NativePath(path), "") << zrtest::Utf8(path);
    EXPECT_EQ(platform::LastError(), error) << zrtest::Utf8(path);
  }
}

}  // namespace
#endif  // _WIN32
