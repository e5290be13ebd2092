#include "file/zrMemFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "file/zrFile.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace {

class ZrMemFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }
};

// The whole block as GetBuffer gives it, cut at `size` bytes.
std::string BlockOf(zrMemFile& file, int32_t size) {
  void* data = nullptr;
  uint32_t length = 0;
  if (!file.GetBuffer(&data, &length)) return "<closed>";
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

TEST_F(ZrMemFileTest, ReadsStopAtTheEndOfTheContents) {
  zrMemFile file;
  ASSERT_EQ(file.LoadFromMemory(u"x", "0123456789", 10), 1);
  char buffer[100] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4);
  EXPECT_EQ(file.Read(buffer + 4, 4), 4);
  EXPECT_EQ(file.Read(buffer + 8, 4), 2);
  EXPECT_EQ(file.Read(buffer, 4), -1);
  EXPECT_EQ(std::string(buffer), "0123456789");
  EXPECT_EQ(file.Seek(10), 9);
  EXPECT_EQ(file.Seek(3), 3);
  EXPECT_EQ(file.Read(buffer, -1), -1);
  EXPECT_EQ(file.Read(buffer, 100), 7);
  EXPECT_EQ(file.Seek(-1), 9);  // compared unsigned: the last byte
  EXPECT_EQ(file.Read(buffer, 1), 1);
  EXPECT_EQ(buffer[0], '9');
  EXPECT_EQ(std::u16string(file.GetName()), u"x");
}

TEST_F(ZrMemFileTest, ASeekInAnEmptyFileLeavesNothingToReadOrOverwrite) {
  zrMemFile file;
  ASSERT_EQ(file.Create(0), 1);
  EXPECT_EQ(file.Seek(0), -1);
  char byte = 'a';
  EXPECT_EQ(file.Read(&byte, 1), -1);
  EXPECT_EQ(file.Write(&byte, 1), -1);
  uint32_t length = 99;
  void* data = nullptr;
  EXPECT_EQ(file.GetBuffer(&data, &length), 1);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(file.GetSize(), 0);
}

TEST_F(ZrMemFileTest, CreatedFilesGrowInWholeStepsAndReadBackZeros) {
  zrMemFile small;
  ASSERT_EQ(small.Create(16), 1);
  const std::string sixteen(16, 's');
  EXPECT_EQ(small.Write(sixteen.data(), 16), 16);
  EXPECT_EQ(small.GetSize(), 32);  // grows while the size is not greater than the end
  EXPECT_EQ(BlockOf(small, 32), sixteen + std::string(16, '\0'));

  zrMemFile file;
  ASSERT_EQ(file.Create(1000), 1);
  const std::string first(1500, 'a');
  EXPECT_EQ(file.Write(first.data(), 1500), 1500);
  EXPECT_EQ(file.GetSize(), 2000);
  EXPECT_EQ(file.GetPosition(), 1500);
  void* data = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(file.GetBuffer(&data, &length), 1);
  EXPECT_EQ(length, 1500u);
  EXPECT_EQ(BlockOf(file, 2000), first + std::string(500, '\0'));
  // Several steps at once, the earlier bytes kept.
  const std::string second(2600, 'b');
  EXPECT_EQ(file.Write(second.data(), 2600), 2600);
  EXPECT_EQ(file.GetSize(), 5000);
  EXPECT_EQ(BlockOf(file, 5000), first + second + std::string(900, '\0'));
}

TEST_F(ZrMemFileTest, FilesWithoutAStepGrowByWhatTheWriteNeeds) {
  zrMemFile loaded;
  ASSERT_EQ(loaded.LoadFromMemory(u"x", "0123456789", 10), 1);
  EXPECT_EQ(loaded.Seek(8), 8);
  EXPECT_EQ(loaded.Write("abcde", 5), 5);
  EXPECT_EQ(loaded.GetSize(), 13);
  EXPECT_EQ(loaded.Seek(2), 2);
  EXPECT_EQ(loaded.Write("--", 2), 2);  // inside: no growth
  EXPECT_EQ(loaded.GetSize(), 13);
  EXPECT_EQ(BlockOf(loaded, 13), "01--4567abcde");

  zrMemFile empty;
  ASSERT_EQ(empty.Create(0), 1);
  EXPECT_EQ(empty.Write("xyz", 3), 3);
  EXPECT_EQ(empty.GetSize(), 3);
  EXPECT_EQ(BlockOf(empty, 3), "xyz");
}

TEST_F(ZrMemFileTest, WritesPastThirtyTwoBitSizesAreRefused) {
  char bytes[16] = {};
  zrMemFile loaded;
  ASSERT_EQ(loaded.LoadFromMemory(u"x", bytes, 16), 1);
  EXPECT_EQ(loaded.Seek(1), 1);
  EXPECT_EQ(loaded.Write(bytes, INT32_MAX), -1);
  EXPECT_EQ(loaded.Write(bytes, -1), -1);
  // The write itself would end below 2 GiB, but the next whole step would not.
  zrMemFile created;
  ASSERT_EQ(created.Create(16), 1);
  EXPECT_EQ(created.Write(bytes, INT32_MAX - 8), -1);
  EXPECT_EQ(created.GetSize(), 16);
  EXPECT_EQ(created.GetPosition(), 0);
  EXPECT_EQ(loaded.GetSize(), 16);
  EXPECT_EQ(loaded.GetPosition(), 1);
}

TEST_F(ZrMemFileTest, ClosedFilesRefuseWithTheirMessage) {
  zrtest::TraceCapture traces;
  zrMemFile file;
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, 4), -1);
  EXPECT_EQ(file.Write("abcd", 4), -1);
  const std::string message = "zrMemFile : ファイルがオープンされていません";
  EXPECT_EQ(traces.Texts(), (std::vector<std::string>{message, message}));
  EXPECT_EQ(file.GetSize(), -1);
  EXPECT_EQ(file.Seek(0), -1);
  EXPECT_EQ(file.GetName(), nullptr);
  EXPECT_EQ(file.GetBuffer(nullptr, nullptr), 0);
  EXPECT_EQ(file.Close(), 0);

  // Every opening operation refuses an open object, missing input and sizes past 32 bits.
  EXPECT_EQ(file.Create(0x80000000u), 0);
  EXPECT_EQ(file.LoadFromMemory(u"x", "abcd", 0x80000000u), 0);
  EXPECT_EQ(file.LoadFromMemory(u"x", nullptr, 4), 0);
  EXPECT_EQ(file.LoadFromFile(nullptr), 0);
  EXPECT_EQ(file.ShareFrom(nullptr), 0);
  zrMemFile closed;
  EXPECT_EQ(file.ShareFrom(&closed), 0);
  ASSERT_EQ(file.Create(8), 1);
  EXPECT_EQ(file.Create(8), 0);
  EXPECT_EQ(file.LoadFromMemory(u"x", "abcd", 4), 0);
  EXPECT_EQ(file.ShareFrom(&file), 0);
  EXPECT_EQ(file.GetSize(), 8);
  EXPECT_EQ(file.Write("ab", 2), 2);
  EXPECT_EQ(file.Close(), 1);
  EXPECT_EQ(file.GetPosition(), 2);  // the position stays
  // ... but is no length of newer, shorter contents.
  ASSERT_EQ(file.LoadFromMemory(u"y", "z", 1), 1);
  void* data = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(file.GetBuffer(&data, &length), 1);
  EXPECT_EQ(length, 1u);
}

TEST_F(ZrMemFileTest, ABorrowerNeverFreesOrChangesTheOwnersBytes) {
  zrMemFile owner;
  ASSERT_EQ(owner.LoadFromMemory(u"owner", "0123456789", 10), 1);
  EXPECT_EQ(owner.Seek(4), 4);
  {
    zrMemFile borrower;
    ASSERT_EQ(borrower.ShareFrom(&owner), 1);
    EXPECT_EQ(std::u16string(borrower.GetName()), u"owner");
    EXPECT_EQ(borrower.GetPosition(), 4);
    EXPECT_EQ(borrower.GetSize(), 10);
    EXPECT_EQ(borrower.Close(), 1);
    // Were the block freed, this allocation would likely take its place.
    void* reused = zrHeapAlloc(0, 10);
    std::memset(reused, 'X', 10);
    EXPECT_EQ(BlockOf(owner, 10), "0123456789");
    zrHeapFree(reused);

    ASSERT_EQ(borrower.ShareFrom(&owner), 1);
    EXPECT_EQ(borrower.Write("ab", 2), 2);  // inside the block
    EXPECT_EQ(BlockOf(borrower, 10), "0123ab6789");
    EXPECT_EQ(borrower.Seek(9), 9);
    EXPECT_EQ(borrower.Write("cd", 2), 2);  // growing
    EXPECT_EQ(BlockOf(borrower, 11), "0123ab678cd");
  }  // the borrower frees its own copy
  EXPECT_EQ(BlockOf(owner, 10), "0123456789");
}

TEST_F(ZrMemFileTest, LoadsTheWholeOfAnotherFile) {
  zrtest::TempDir dir;
  dir.WriteFile("data.bin", std::string("ab\0cd", 5));
  const std::u16string path = dir.WidePathOf("data.bin");
  zrFile disk;
  ASSERT_EQ(disk.Open(path.c_str(), 0x101), 1);
  zrMemFile file;
  ASSERT_EQ(file.LoadFromFile(&disk), 1);
  EXPECT_EQ(std::u16string(file.GetName()), path);
  EXPECT_EQ(file.GetSize(), 5);
  EXPECT_EQ(file.GetPosition(), 0);
  EXPECT_EQ(BlockOf(file, 5), std::string("ab\0cd", 5));
  EXPECT_EQ(file.LoadFromFile(&disk), 0);  // already open
}

// A file whose reads come short of the size it reports.
class ShortFile : public zrFileBase {
 public:
  int32_t GetSize() override { return 10; }
  int32_t Read(void* buffer, int32_t) override {
    std::memcpy(buffer, "abcd", 4);
    return 4;
  }
};

TEST_F(ZrMemFileTest, AShortReadIsNoLoadedFile) {
  ShortFile source;
  zrMemFile file;
  EXPECT_EQ(file.LoadFromFile(&source), 0);
  EXPECT_EQ(file.GetSize(), -1);
}

}  // namespace
