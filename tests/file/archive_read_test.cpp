// Reading archive members: seeking, plain and enciphered reads, handle limits, and archives that
// must not mount.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "file/archive_test_support.h"
#include "file/zrArchive.h"
#include "file/zrBigFile.h"

namespace {

using zrtest::Pattern;
using zrtest::TempDir;
using zrtest::Wide;

const std::string kKey = "secret key";

class ArchiveRead : public ::testing::Test {
 protected:
  // Mounts an archive of the members, enciphered when a key is given.
  zrArchive& Mount(const zrtest::Members& members, const std::string& key = "",
                   uint32_t handleLimit = 8) {
    const std::u16string path = dir_.WidePathOf("test.zra");
    archive_.reset();  // it holds the file open
    EXPECT_TRUE(zrtest::WriteArchive(path, members, key, handleLimit));
    archive_ = std::make_unique<zrArchive>();
    EXPECT_EQ(archive_->Mount(path.c_str(), key.data(), static_cast<uint32_t>(key.size())), 1);
    return *archive_;
  }

  TempDir dir_;
  std::unique_ptr<zrArchive> archive_;
};

TEST_F(ArchiveRead, SeekingClampsToTheLastByte) {
  zrArchive& archive = Mount({{"m", Pattern(100)}, {"empty", ""}});
  zrBigFile file(&archive);
  ASSERT_EQ(file.Open(u"M", ZRFILE_READ), 1);
  EXPECT_EQ(file.Seek(150), 100);
  EXPECT_EQ(file.GetPosition(), 99);
  char byte = 0;
  EXPECT_EQ(file.Read(&byte, 10), 1);
  EXPECT_EQ(byte, Pattern(100)[99]);
  EXPECT_EQ(file.Read(&byte, 10), 0);
  EXPECT_EQ(file.Seek(40), 40);
  EXPECT_EQ(file.GetPosition(), 40);
  EXPECT_EQ(file.Seek(-1), 100);  // compared unsigned: never before the member
  EXPECT_EQ(file.GetPosition(), 99);

  const int32_t handle = archive.OpenMember(u"m");
  EXPECT_EQ(archive.SeekMember(handle, 30, 0), 30);
  EXPECT_EQ(archive.SeekMember(handle, 20, 1), 20);
  EXPECT_EQ(archive.GetPosition(handle), 50);
  EXPECT_EQ(archive.SeekMember(handle, 60, 1), 50);  // 60 + 100 - 110
  EXPECT_EQ(archive.GetPosition(handle), 99);
  archive.CloseMember(handle);

  // An empty member stays at 0, so a read never reaches the bytes before it.
  zrBigFile empty(&archive);
  ASSERT_EQ(empty.Open(u"empty", ZRFILE_READ), 1);
  EXPECT_EQ(empty.Seek(5), 0);
  EXPECT_EQ(empty.GetPosition(), 0);
  EXPECT_EQ(empty.Read(&byte, 1), 0);
}

TEST_F(ArchiveRead, EncipheredMemberOf13BytesKeepsItsTailPlain) {
  const std::string plain = "0123456789abc";
  zrArchive& archive = Mount({{"m", plain}}, kKey);
  // What is stored: one enciphered block, then the 5 bytes as they are.
  std::ifstream stored(dir_.PathOf("test.zra"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(stored)), std::istreambuf_iterator<char>());
  const size_t at = bytes.find("89abc");
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(bytes.substr(at - 8, 8), "01234567");

  zrBigFile file(&archive);
  ASSERT_EQ(file.Open(u"m", ZRFILE_READ), 1);
  char out[13];
  ASSERT_EQ(file.Read(out, 13), 13);
  EXPECT_EQ(std::string(out, 13), plain);
}

// Every start and length, against the plain bytes, on sizes around the block edges.
TEST_F(ArchiveRead, EncipheredReadsMatchPlainBytesForEveryStartAndLength) {
  for (int size : {7, 8, 9, 13, 24, 100}) {
    SCOPED_TRACE(size);
    const std::string plain = Pattern(static_cast<size_t>(size), size);
    zrArchive& archive = Mount({{"member", plain}}, kKey);
    zrBigFile file(&archive);
    ASSERT_EQ(file.Open(u"member", ZRFILE_READ), 1);
    for (int start = 0; start < size; ++start) {
      for (int length = 1; length <= size - start + 3; ++length) {
        ASSERT_EQ(file.Seek(start), start);
        std::string out(static_cast<size_t>(length), '\xEE');
        const int expected = std::min(length, size - start);
        ASSERT_EQ(file.Read(out.data(), length), expected) << start << "+" << length;
        ASSERT_EQ(out.substr(0, expected), plain.substr(start, expected)) << start << "+" << length;
        ASSERT_EQ(out.substr(expected), std::string(length - expected, '\xEE'));
        ASSERT_EQ(file.GetPosition(), start + expected);
      }
    }
  }
}

TEST_F(ArchiveRead, HandlesAreFreedAndTheirMagicMarksThemOpen) {
  zrArchive& archive = Mount({{"a", "1"}, {"b", "2"}}, "", 2);
  EXPECT_EQ(archive.OpenMember(u"missing"), -1);
  const int32_t first = archive.OpenMember(u"a");
  const int32_t second = archive.OpenMember(u"b");
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  archive.CloseMember(first);
  EXPECT_EQ(archive.OpenMember(u"b"), 0);
  EXPECT_EQ(archive.ReadMember(5, nullptr, 1), 0);
  EXPECT_EQ(archive.SeekMember(-1, 0, 0), 0);
  EXPECT_EQ(archive.GetSize(7), -1);
  EXPECT_EQ(std::u16string(archive.GetName(1, nullptr, 0)), u"b");
  // A name too long to be a member's is never cut into another member's name.
  EXPECT_EQ(archive.MemberExists((std::u16string(300, u'a')).c_str()), 0);
}

TEST_F(ArchiveRead, BigFileWithoutArchiveOrHandleSaysSo) {
  zrtest::TraceCapture traces;
  char byte;
  zrBigFile none(nullptr);
  EXPECT_EQ(none.Open(u"a", ZRFILE_READ), 0);
  EXPECT_EQ(none.Read(&byte, 1), -1);
  EXPECT_TRUE(traces.Contains("zrBigFile : 統合ファイルがオープンされていません"));
  zrArchive& archive = Mount({{"a", "1"}});
  zrBigFile closed(&archive);
  EXPECT_EQ(closed.Read(&byte, 1), -1);
  EXPECT_TRUE(traces.Contains("zrBigFile : ファイルハンドルが無効です"));
  EXPECT_EQ(closed.Open(u"a", ZRFILE_WRITE), 0);
  EXPECT_EQ(closed.GetSize(), -1);
  EXPECT_EQ(closed.GetPosition(), 0);
  EXPECT_EQ(closed.Seek(3), 0);
  EXPECT_EQ(closed.GetName(), nullptr);
  EXPECT_EQ(closed.Close(), 0);
  ASSERT_EQ(closed.Open(u"a", ZRFILE_READ), 1);
  EXPECT_EQ(closed.Close(), 1);
  EXPECT_EQ(closed.Read(&byte, 1), -1);
}

TEST_F(ArchiveRead, BrokenContractsEndTheProcess) {
  zrArchive& archive = Mount({{"a", "1"}, {"b", "2"}}, "", 1);
  const int32_t handle = archive.OpenMember(u"a");
  ZR_EXPECT_VIOLATION(archive.OpenMember(u"b"),
                      "同時にオープンできるファイル数を超えています \\(MAX:1\\) : b");
  ZR_EXPECT_VIOLATION(archive.ReadMember(handle, nullptr, 1),
                      "読み込み先バッファが指定されていません");
  ZR_EXPECT_VIOLATION(archive.SeekMember(handle, 0, 2), "ファイルポインタ移動タイプが不正です");
}

TEST_F(ArchiveRead, ArchiveCutAfterMountingEndsAnEncipheredRead) {
#ifdef _WIN32
  GTEST_SKIP() << "cuts the archive while it is mounted; Windows lets no one shorten a file the "
                  "archive holds open";
#else
  zrArchive& archive = Mount({{"m", Pattern(64)}}, kKey);
  const int32_t handle = archive.OpenMember(u"m");
  ASSERT_EQ(truncate(dir_.PathOf("test.zra").c_str(), 40 + 20), 0);
  char out[64];
  ZR_EXPECT_VIOLATION(archive.ReadMember(handle, out, 64), "暗号化解除エラー \\(m:64\\)");
  // A plain member cut short delivers what is left.
  zrArchive& plain = Mount({{"m", Pattern(64)}});
  const int32_t plainHandle = plain.OpenMember(u"m");
  ASSERT_EQ(truncate(dir_.PathOf("test.zra").c_str(), 40 + 20), 0);
  EXPECT_EQ(plain.ReadMember(plainHandle, out, 64), 20);
#endif
}

// Archive bytes with one 32-bit field of the header or index changed.
std::string WithWord(std::string bytes, size_t at, uint32_t value) {
  std::memcpy(&bytes[at], &value, 4);
  return bytes;
}

TEST_F(ArchiveRead, BadArchivesFailToMount) {
  ASSERT_TRUE(zrtest::WriteArchive(dir_.WidePathOf("good.zra"),
                                   {{"a.png", Pattern(20)}, {"b.png", Pattern(30)}}));
  const std::string good = dir_.ReadFile("good.zra");
  const size_t index = 40 + 20 + 30;
  auto mounts = [&](const std::string& bytes, const std::string& key = "") {
    dir_.WriteFile("bad.zra", bytes);
    zrArchive archive;
    const char* reason = nullptr;
    const int32_t result = archive.Mount(dir_.WidePathOf("bad.zra").c_str(), key.data(),
                                         static_cast<uint32_t>(key.size()), &reason);
    EXPECT_EQ(result == 1, reason == nullptr);
    return result;
  };
  ASSERT_EQ(mounts(good), 1);
  EXPECT_EQ(mounts(good.substr(0, good.size() - 1)), 0);  // index cut
  EXPECT_EQ(mounts(good.substr(0, 39)), 0);
  EXPECT_EQ(mounts(""), 0);
  EXPECT_EQ(mounts(WithWord(good, 0, 0x12345678)), 0);       // magic
  EXPECT_EQ(mounts(WithWord(good, 4, 2)), 0);                // version
  EXPECT_EQ(mounts(WithWord(good, 8, 0)), 0);                // no handles
  EXPECT_EQ(mounts(WithWord(good, 8, 100000)), 0);           // too many handles
  EXPECT_EQ(mounts(WithWord(good, 16, 3)), 0);               // count beyond the index
  EXPECT_EQ(mounts(WithWord(good, 16, 1)), 0);               // index bytes left over
  EXPECT_EQ(mounts(WithWord(good, 20, 0xFFFFFFF0u)), 0);     // index outside
  EXPECT_EQ(mounts(WithWord(good, index, 0xFFFFFFF0u)), 0);  // member offset outside
  EXPECT_EQ(mounts(WithWord(good, index + 4, 1000)), 0);     // member size outside
  EXPECT_EQ(mounts(WithWord(good, index, 2)), 0);            // member inside the header
  std::string unterminated = good;
  unterminated[index + 14 + 10] = 'x';
  EXPECT_EQ(mounts(unterminated), 0);
  std::string duplicate = good;
  duplicate[good.size() - 12] = 'A';  // "b.png" becomes "A.png": the same as "a.png" upper-cased
  EXPECT_EQ(mounts(duplicate), 0);
  EXPECT_EQ(mounts(good, "key"), 0);  // a key for a plain archive

  ASSERT_TRUE(zrtest::WriteArchive(dir_.WidePathOf("sealed.zra"), {{"a", "abc"}}, kKey));
  const std::string sealed = dir_.ReadFile("sealed.zra");
  EXPECT_EQ(mounts(sealed, kKey), 1);
  EXPECT_EQ(mounts(sealed, "secret kez"), 0);
  EXPECT_EQ(mounts(sealed), 0);
}

// The tool packs through the writer: it must refuse an index the reader would refuse.
TEST(ArchiveWriter, RefusesNamesTheIndexCannotHold) {
  TempDir dir;
  archive_format::Writer writer;
  ASSERT_EQ(writer.Create(dir.WidePathOf("w.zra").c_str(), 4, nullptr, 0), 1);
  EXPECT_EQ(writer.Add(u"a", "x", 1, 0), 1);
  EXPECT_EQ(writer.Add(std::u16string(260, u'n'), "x", 1, 0), 0);
  EXPECT_EQ(writer.Finish(), 0);
  archive_format::Writer other;
  ASSERT_EQ(other.Create(dir.WidePathOf("v.zra").c_str(), 4, nullptr, 0), 1);
  EXPECT_EQ(other.Add(u"a", "x", 1, 0), 1);
  EXPECT_EQ(other.Add(u"A", "x", 1, 0), 0);
  EXPECT_NE(other.Reason(), nullptr);
}

}  // namespace
