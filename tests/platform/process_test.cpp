#include "platform/process.h"

#include <gtest/gtest.h>

#include "platform_test_support.h"

namespace {

std::u16string FullPath(const char16_t* path) {
  char16_t out[300];
  return std::u16string(out, platform::GetFullPath(path, out, 300));
}

TEST(ProcessTest, FullPathsAreNormalisedWindowsPaths) {
  EXPECT_EQ(FullPath(u"C:\\a\\.\\b\\..\\c"), u"C:\\a\\c");
  EXPECT_EQ(FullPath(u"c:/a//b/"), u"c:\\a\\b\\");
  EXPECT_EQ(FullPath(u"C:\\.."), u"C:\\");
#ifdef _WIN32
  EXPECT_EQ(FullPath(u"/tmp/x/../y").substr(1), u":\\tmp\\y");  // on the current drive
#else
  EXPECT_EQ(FullPath(u"/tmp/x/../y"), u"\\tmp\\y");
#endif
  char16_t small[4];
  EXPECT_EQ(platform::GetFullPath(u"C:\\abc", small, 4), 0u);
}

TEST(ProcessTest, CurrentDirectoryIsGivenWithBackslashes) {
  zrtest::TempDir dir;
  char16_t before[1024];
  ASSERT_GT(platform::GetCurrentDirectory(before, 1024), 0u);
  ASSERT_TRUE(platform::SetCurrentDirectory(dir.WidePath().c_str()));
  std::u16string expected = dir.WidePath();
  for (char16_t& c : expected) {
    if (c == u'/') c = u'\\';
  }
  char16_t now[1024];
  EXPECT_EQ(std::u16string(now, platform::GetCurrentDirectory(now, 1024)), expected);
  EXPECT_EQ(FullPath(u"data\\a.txt"), expected + u"\\data\\a.txt");
  EXPECT_EQ(platform::GetCurrentDirectory(now, 3), 0u);
  ASSERT_TRUE(platform::SetCurrentDirectory(before));
}

}  // namespace
