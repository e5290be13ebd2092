#include "file/zrFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "updater/zrTextLog.h"
#include "xml/zrXml.h"

namespace {

using zrtest::TempDir;

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

int32_t Opens(const std::u16string& path, uint32_t mode) {
  return zrFile().Open(path.c_str(), mode);
}

TEST(ZrFileTest, FailedOpenLeavesTheObjectClosed) {
  TempDir dir;
  zrFile file;
  EXPECT_EQ(file.Open(dir.WidePathOf("absent").c_str(), 0x101), 0);
  EXPECT_EQ(file.GetSize(), -1);
  EXPECT_EQ(file.GetPosition(), -1);
  EXPECT_EQ(file.GetHandle(), -1);
  EXPECT_EQ(file.GetName(), nullptr);
  EXPECT_EQ(file.Seek(0), -1);
  EXPECT_EQ(file.Close(), 0);
}

TEST(ZrFileTest, ModeWordsChooseTheDisposition) {
  TempDir dir;
  dir.WriteFile("old.txt", "12345");
  const std::u16string old = dir.WidePathOf("old.txt");
  EXPECT_EQ(Opens(old, ZRFILE_READ), 0);  // disposition 0
  EXPECT_EQ(Opens(old, 0x901), 0);        // 3 + 4 = 7
  EXPECT_EQ(Opens(old, 0x301), 1);        // open-existing wins over create-new
  EXPECT_EQ(Opens(old, 0x201), 0);        // create-new of an existing file
  EXPECT_EQ(Opens(old, 0x801), 1);
  EXPECT_EQ(dir.ReadFile("old.txt"), "12345");
  EXPECT_EQ(Opens(old, 0xA02), 1);  // 1 + 4 = truncate-existing
  EXPECT_EQ(dir.ReadFile("old.txt"), "");
  EXPECT_EQ(Opens(dir.WidePathOf("absent"), 0xA02), 0);
  EXPECT_EQ(Opens(dir.WidePathOf("made"), 0x802), 1);
  EXPECT_TRUE(Exists(dir.PathOf("made")));

  // Create-always makes a missing file and empties an existing one.
  dir.WriteFile("old.txt", "12345");
  EXPECT_EQ(Opens(old, 0x402), 1);
  EXPECT_EQ(dir.ReadFile("old.txt"), "");
  zrFile file;
  ASSERT_EQ(file.Open(dir.WidePathOf("new.txt").c_str(), 0x402), 1);
  EXPECT_EQ(file.Write("xyz", 3), 3);
  EXPECT_EQ(file.GetPosition(), 3);
  EXPECT_EQ(file.Close(), 1);
  EXPECT_EQ(dir.ReadFile("new.txt"), "xyz");
}

TEST(ZrFileTest, ReadsCountAndFailuresAreTraced) {
  TempDir dir;
  dir.WriteFile("sixty", std::string(60, 'q'));
  zrtest::TraceCapture traces;
  zrFile file;
  char buffer[100];
  EXPECT_EQ(file.Read(buffer, 4), -1);
  EXPECT_EQ(file.Write("x", 1), -1);  // silently
  EXPECT_EQ(traces.Texts(), std::vector<std::string>{"zrFile : ハンドルが無効です"});
  traces.Clear();

  ASSERT_EQ(file.Open(dir.WidePathOf("sixty").c_str(), 0x101), 1);
  EXPECT_EQ(file.Read(buffer, 100), 60);
  EXPECT_EQ(file.Read(buffer, 100), 0);
  EXPECT_EQ(file.GetPosition(), 60);
  EXPECT_EQ(file.Read(buffer, -1), -1);
  EXPECT_EQ(file.GetPosition(), 60);
  file.Close();
  // Both access bits open for reading only: the write fails at the system.
  ASSERT_EQ(file.Open(dir.WidePathOf("sixty").c_str(), 0x103), 1);
  EXPECT_EQ(file.Write("x", 1), -1);
  EXPECT_EQ(file.GetPosition(), 0);
  EXPECT_EQ(traces.Texts(),
            (std::vector<std::string>{"Read file failed : 87", "Write file failed : 5"}));
}

TEST(ZrFileTest, SeekStaysBeforeTheEnd) {
  TempDir dir;
  dir.WriteFile("ten", "0123456789");
  dir.WriteFile("empty", "");
  zrFile file;
  ASSERT_EQ(file.Open(dir.WidePathOf("ten").c_str(), 0x101), 1);
  EXPECT_EQ(file.Seek(3), 3);
  char c = 0;
  EXPECT_EQ(file.Read(&c, 1), 1);
  EXPECT_EQ(c, '3');
  EXPECT_EQ(file.Seek(10), 9);
  EXPECT_EQ(file.Seek(-1), 9);  // compared unsigned
  file.Close();
  ASSERT_EQ(file.Open(dir.WidePathOf("empty").c_str(), 0x101), 1);
  EXPECT_EQ(file.Seek(0), -1);
  EXPECT_EQ(file.GetPosition(), -1);
}

TEST(ZrFileTest, NameKeepsWhatFits) {
  TempDir dir;
  std::string folder = "sub";
  while (dir.PathOf(folder).size() < 300) folder += "/abcdefghij";
  dir.WriteFile(folder + "/long.txt", "long");
  const std::u16string path = dir.WidePathOf(folder + "/long.txt");
  zrFile file;
  // A path longer than the name field is still opened whole.
  ASSERT_EQ(file.Open(path.c_str(), 0x101), 1);
  EXPECT_EQ(std::u16string(file.GetName()), path.substr(0, 255));
  char16_t small[5];
  EXPECT_EQ(file.GetName(small, 5), file.GetName());
  EXPECT_EQ(std::u16string(small), path.substr(0, 4));
}

TEST(ZrFileTest, PathQueries) {
  TempDir dir;
  dir.WriteFile("five", "12345");
  const std::u16string five = dir.WidePathOf("five");
  const std::u16string folder = dir.WidePath();
  const std::u16string absent = dir.WidePathOf("absent");
  zrFile file;
  EXPECT_EQ(file.GetFileSizeOf(five.c_str()), 5);
  EXPECT_EQ(file.GetFileSizeOf(folder.c_str()), 0);
  EXPECT_EQ(file.GetFileSizeOf(absent.c_str()), 0);
  EXPECT_EQ(zrFileBase().GetFileSizeOf(five.c_str()), -1);
  EXPECT_EQ(zrFile::GetFileSize64Of(five.c_str()), 5);
  EXPECT_EQ(zrFile::GetFileSize64Of(folder.c_str()), 0);
  EXPECT_EQ(file.Exists(five.c_str()), 1);
  EXPECT_EQ(file.Exists(folder.c_str()), 0);
  EXPECT_EQ(file.Exists(absent.c_str()), 0);
#ifdef _WIN32
  EXPECT_EQ(file.GetAttributes(five.c_str()), 0x20);  // Windows marks a new file for archiving
#else
  EXPECT_EQ(file.GetAttributes(five.c_str()), 0x80);
#endif
  EXPECT_EQ(file.GetAttributes(folder.c_str()), 0x10);
  EXPECT_EQ(file.GetAttributes(absent.c_str()), -1);
  EXPECT_EQ(file.SetAttributes(five.c_str(), 0x01), 1);
#ifdef _WIN32
  EXPECT_EQ(file.GetAttributes(five.c_str()) & ~0x20, 0x01);  // Wine keeps the archive mark
#else
  EXPECT_EQ(file.GetAttributes(five.c_str()), 0x01);
#endif
  EXPECT_EQ(file.SetAttributes(absent.c_str(), 0x80), 0);
}

// A file of 4 GiB and more whose first bytes are a whole document: cut to 32 bits its size would
// be that of the document, and its readers would take the prefix for the whole file.
TEST(ZrFileTest, SizesBeyondThirtyTwoBitsAreFailuresNotPrefixes) {
  TempDir dir;
  const std::string document = "<?xml version=\"1.0\"?><document><a>1</a></document>";
  dir.WriteFile("huge.xml", document);
  const int64_t size = (int64_t{1} << 32) + static_cast<int64_t>(document.size());
  // Through the standard library: Windows' off_t has 32 bits.
  const auto resize = [&](int64_t bytes) {
    std::error_code error;
    std::filesystem::resize_file(std::filesystem::u8path(dir.PathOf("huge.xml")),
                                 static_cast<uintmax_t>(bytes), error);
    return !error;
  };
  if (!resize(size)) GTEST_SKIP() << "no sparse files here";
  const std::u16string path = dir.WidePathOf("huge.xml");
  zrFile file;
  EXPECT_EQ(file.GetFileSizeOf(path.c_str()), -1);
  EXPECT_EQ(zrFile::GetFileSize64Of(path.c_str()), size);
  ASSERT_EQ(file.Open(path.c_str(), ZRFILE_READ | ZRFILE_OPEN_EXISTING), 1);
  EXPECT_EQ(file.GetSize(), -1);
  file.Close();
  // Between 2 and 4 GiB the size has no 32-bit signed form either.
  ASSERT_TRUE(resize(int64_t{3} << 30));
  EXPECT_EQ(file.GetFileSizeOf(path.c_str()), -1);
  ASSERT_TRUE(resize(size));

  zrXml xml;
  EXPECT_EQ(xml.LoadFile(path.c_str()), 0);
  zrTextLog log;
  EXPECT_EQ(log.Load(path.c_str()), 0);
  EXPECT_TRUE(log.Lines().empty());
}

TEST(ZrFileTest, DeleteHonoursReadOnlyUnlessForced) {
  TempDir dir;
  dir.WriteFile("ro", "x");
  dir.WriteFile("plain", "x");
  mkdir(dir.PathOf("sub").c_str(), 0555);
  chmod(dir.PathOf("ro").c_str(), 0444);
  zrFile file;
  EXPECT_EQ(file.Delete(dir.WidePathOf("ro").c_str(), 0), 0);
  EXPECT_TRUE(Exists(dir.PathOf("ro")));
  EXPECT_EQ(file.Delete(dir.WidePathOf("ro").c_str(), 1), 1);
  EXPECT_FALSE(Exists(dir.PathOf("ro")));
  EXPECT_EQ(file.Delete(dir.WidePathOf("plain").c_str(), 0), 1);
  EXPECT_EQ(file.Delete(dir.WidePathOf("plain").c_str(), 1), 0);

  EXPECT_EQ(file.Delete(dir.WidePathOf("sub").c_str(), 0), 0);
#ifdef _WIN32
  EXPECT_EQ(file.GetAttributes(dir.WidePathOf("sub").c_str()) & 0x10, 0x10);  // Wine keeps no
                                                                              // read-only folder
#else
  EXPECT_EQ(file.GetAttributes(dir.WidePathOf("sub").c_str()), 0x11);
#endif
  EXPECT_EQ(file.Delete(dir.WidePathOf("sub").c_str(), 1), 0);
  EXPECT_TRUE(Exists(dir.PathOf("sub")));
  EXPECT_EQ(file.GetAttributes(dir.WidePathOf("sub").c_str()), 0x10);  // reset to normal
}

// In the dying child every message box goes to standard error, where the parent matches it.
int PrintBox(const platform::MessageBoxRequest& request) {
  std::fprintf(stderr, "[%s] %s\n", zrtest::Utf8(request.caption).c_str(),
               zrtest::Utf8(request.text).c_str());
  return platform::kAnswerOk;
}

class ZrFileDeathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    dir_.WriteFile("f.txt", "abc");
  }
  // Runs `action` on a file object and expects the contract violation showing `message`.
  void ExpectViolation(void (*action)(zrFile&, const char16_t*), const std::string& message) {
    const std::u16string path = dir_.WidePathOf("f.txt");
    EXPECT_EXIT(
        {
          zrtest::MessageBoxRecorder recorder;
          platform::SetMessageBoxHandler(PrintBox);
          zrFile file;
          action(file, path.c_str());
        },
        ::testing::ExitedWithCode(kContractViolationExitCode),
        "\\[Assert message\\.\\.\\.\\] " + message);
    EXPECT_EQ(dir_.ReadFile("f.txt"), "abc");
  }
  TempDir dir_;
};

TEST_F(ZrFileDeathTest, BrokenContractsEndTheProcess) {
  ExpectViolation(
      [](zrFile& file, const char16_t* path) {
        file.Open(path, 0x101);
        file.Open(path, 0x101);
      },
      "既に違うファイルがオープンされています");
  ExpectViolation([](zrFile& file, const char16_t* path) { file.Open(path, 0x100); },
                  "ZRFILE_READ 又は ZRFILE_WRITE を指定してください");
  ExpectViolation([](zrFile& file, const char16_t* path) { file.Open(path, 0x403); },
                  "ZRFILE_READ ではアクセス出来ません");
  ExpectViolation(
      [](zrFile& file, const char16_t* path) {
        char buffer[4];
        file.Open(path, 0x802);
        file.Read(buffer, 4);
      },
      "読み込みモードでオープンされていません : .*f\\.txt");
  ExpectViolation(
      [](zrFile& file, const char16_t* path) {
        file.Open(path, 0x101);
        file.Write("x", 1);
      },
      "書き込みモードでオープンされていません : .*f\\.txt");
}

}  // namespace
