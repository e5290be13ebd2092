#include "platform/posix/native_path.h"

#include <gtest/gtest.h>

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

}  // namespace
