#include "system/folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/platform_test_support.h"

namespace {

using zrtest::TempDir;

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(FoldersTest, GetSystemFolderAcceptsKindsZeroToEleven) {
#ifdef _WIN32
  GTEST_SKIP() << "reads the folders of a fake Wine prefix, which only the Linux layer uses";
#else
  zrtest::FakeWinePrefix prefix;
  char16_t out[260] = u"untouched";
  EXPECT_EQ(GetSystemFolder(12, out), 0);
  EXPECT_EQ(GetSystemFolder(-1, out), 0);
  EXPECT_EQ(zrtest::Utf8(out), "untouched");
  EXPECT_EQ(GetSystemFolder(8, nullptr), 0);
  ASSERT_EQ(GetSystemFolder(8, out), 1);
  EXPECT_EQ(zrtest::Utf8(out), "C:\\ProgramData");
  ASSERT_EQ(GetSystemFolder(6, out), 1);
  EXPECT_EQ(zrtest::Utf8(out).back(), '/');
#endif
}

TEST(FoldersTest, GetPathKindTellsFilesFromFolders) {
  TempDir dir;
  dir.WriteFile("f.txt", "x");
  EXPECT_EQ(GetPathKind(nullptr), 0);
  EXPECT_EQ(GetPathKind(dir.WidePathOf("absent").c_str()), 0);
  EXPECT_EQ(GetPathKind(dir.WidePathOf("f.txt").c_str()), 1);
  EXPECT_EQ(GetPathKind(dir.WidePath().c_str()), 2);
  EXPECT_EQ(GetPathKind(dir.WidePathOf("*.txt").c_str()), 1);  // first match
}

TEST(FoldersTest, CreateDirectoryTreeMakesEveryMissingParent) {
  TempDir dir;
  EXPECT_EQ(CreateDirectoryTree(dir.WidePathOf("a\\b\\c").c_str(), 0), 1);
  EXPECT_TRUE(IsDirectory(dir.PathOf("a/b/c")));
  EXPECT_EQ(CreateDirectoryTree(dir.WidePathOf("a\\b\\c").c_str(), 0), 1);  // already there
  EXPECT_EQ(CreateDirectoryTree(dir.WidePathOf("x\\y\\file.txt").c_str(), 1), 1);
  EXPECT_TRUE(IsDirectory(dir.PathOf("x/y")));
  EXPECT_FALSE(IsDirectory(dir.PathOf("x/y/file.txt")));

  // A file where a folder should be stops the walk.
  dir.WriteFile("blocker", "x");
  EXPECT_EQ(CreateDirectoryTree(dir.WidePathOf("blocker").c_str(), 0), 0);
  EXPECT_EQ(CreateDirectoryTree(dir.WidePathOf("blocker\\sub").c_str(), 0), 0);

  EXPECT_EQ(CreateDirectoryTree(u"C:", 0), 1);
  EXPECT_EQ(CreateDirectoryTree(u"z:", 1), 1);
  EXPECT_EQ(CreateDirectoryTree(nullptr, 0), 0);
}

TEST(FoldersTest, CreateDirectoryTreeRefusesPathsBeyondItsBuffer) {
  TempDir dir;
  std::u16string path = dir.WidePath();
  while (path.size() < 270) path += u"\\abcdefgh";
  EXPECT_EQ(CreateDirectoryTree(path.c_str(), 0), 0);
  EXPECT_FALSE(IsDirectory(dir.PathOf("abcdefgh")));  // nothing cut short was made
}

TEST(FoldersTest, CreateDirectoryTreeOnADriveOfThePrefix) {
#ifdef _WIN32
  GTEST_SKIP() << "resolves drive C through a fake Wine prefix, which only the Linux layer uses";
#else
  zrtest::FakeWinePrefix prefix;
  EXPECT_EQ(CreateDirectoryTree(u"C:\\ProgramData\\Brand\\Title.xml", 1), 1);
  EXPECT_TRUE(IsDirectory(prefix.DriveC("ProgramData/Brand")));
  EXPECT_EQ(GetPathKind(u"C:\\ProgramData\\Brand"), 2);
#endif
}

}  // namespace
