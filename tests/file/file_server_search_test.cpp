// Finding files by name: disk folders, slots, groups, aliases and always-searched archives.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "file/archive_test_support.h"
#include "file/zrBigFile.h"
#include "file/zrFile.h"
#include "file/zrFileServer.h"
#include "file/zrMemFile.h"

namespace {

using zrtest::FileServerWorld;
using zrtest::Wide;

// What a found file holds, or "<none>".
std::string Contents(zrFileBase* file) {
  std::unique_ptr<zrFileBase> owned(file);
  if (!owned) return "<none>";
  std::string bytes(static_cast<size_t>(owned->GetSize()), '\0');
  if (!bytes.empty() && owned->Read(bytes.data(), owned->GetSize()) != owned->GetSize()) {
    return "<short read>";
  }
  return bytes;
}

class FileServerSearch : public ::testing::Test {
 protected:
  std::string Open(const std::string& path, uint32_t flags) {
    return Contents(server_.OpenFile(Wide(path).c_str(), flags | ZRFS_QUIET));
  }

  FileServerWorld world_;
  zrFileServer server_;
};

TEST_F(FileServerSearch, WithoutArchivesRequestsResolveToDiskFiles) {
  world_.Dir().WriteFile("b.png", "disk b");
  ASSERT_EQ(mkdir("a", 0755), 0);
  world_.Dir().WriteFile("a/b.png", "disk a/b");

  EXPECT_EQ(Open("b.png", ZRFS_DISK_FIRST), "disk b");
  EXPECT_EQ(Open("a/b.png", ZRFS_DISK_FIRST), "<none>");
  EXPECT_EQ(Open("b.png", ZRFS_ARCHIVE), "<none>");
  EXPECT_EQ(Open("b.png", ZRFS_ARCHIVE_FIRST), "<none>");
  EXPECT_EQ(Open("a/b.png", ZRFS_DISK), "disk a/b");
  EXPECT_EQ(Open("b.png", 5), "<none>");
  EXPECT_EQ(server_.FileExists(u"b.png"), 1);
  EXPECT_EQ(server_.FileExists(u"c.png"), 0);
  EXPECT_EQ(server_.FileExists(nullptr), 0);
  EXPECT_EQ(server_.OpenFile(nullptr, 3), nullptr);
}

TEST_F(FileServerSearch, MissingFileIsTracedUnlessQuiet) {
  zrtest::TraceCapture traces;
  EXPECT_EQ(server_.OpenFile(u"nothing.png", ZRFS_DISK_FIRST), nullptr);
  EXPECT_TRUE(traces.Contains("Open file error > nothing.png"));
  traces.Clear();
  EXPECT_EQ(server_.OpenFile(u"nothing.png", ZRFS_DISK_FIRST | ZRFS_QUIET), nullptr);
  EXPECT_EQ(server_.LoadWholeFile(u"nothing.png", nullptr, ZRFS_DISK_FIRST | ZRFS_QUIET), 0);
  EXPECT_TRUE(traces.Texts().empty());
  EXPECT_EQ(server_.LoadWholeFile(u"nothing.png", nullptr, ZRFS_DISK_FIRST), 0);
  EXPECT_TRUE(traces.Contains("Open file error > nothing.png"));
}

TEST_F(FileServerSearch, MemoryFlagLoadsTheWholeFileAndClosesTheDiskFile) {
  world_.Dir().WriteFile("pic.hg3", "twelve bytes");
  std::unique_ptr<zrFileBase> file(server_.OpenFile(u"pic.hg3", 0x113));
  ASSERT_NE(dynamic_cast<zrMemFile*>(file.get()), nullptr);
  EXPECT_EQ(file->GetSize(), 12);
  // The disk file is closed: an open that lets nobody else in succeeds.
  zrFile writer;
  EXPECT_EQ(writer.Open(u"pic.hg3", ZRFILE_WRITE | ZRFILE_OPEN_EXISTING), 1);
  writer.Close();
  EXPECT_EQ(Contents(file.release()), "twelve bytes");
}

TEST_F(FileServerSearch, LoadWholeFileGivesTheSizeOrTheBytes) {
  world_.Dir().WriteFile("data.bin", "0123456789");
  EXPECT_EQ(server_.LoadWholeFile(u"data.bin", nullptr, 1), 10);
  char buffer[16] = {};
  EXPECT_EQ(server_.LoadWholeFile(u"data.bin", buffer, ZRFS_DISK_FIRST | 0x10), 10);
  EXPECT_EQ(std::string(buffer), "0123456789");
  EXPECT_EQ(server_.LoadWholeFile(nullptr, buffer, ZRFS_QUIET | 1), 0);
}

TEST_F(FileServerSearch, WriteFlagCreatesADiskFileWithoutSearching) {
  std::unique_ptr<zrFileBase> file(server_.OpenFile(u"out.txt", ZRFS_WRITE));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Write("abc", 3), 3);
  file.reset();
  EXPECT_EQ(world_.Dir().ReadFile("out.txt"), "abc");
  EXPECT_EQ(server_.OpenFile(u"missing/out.txt", ZRFS_WRITE), nullptr);
}

// Two archives: "bg" in slot 3 mounted as "image", "se" in slot 7 mounted as "sound".
class FileServerArchives : public FileServerSearch {
 protected:
  void SetUp() override {
    ASSERT_TRUE(zrtest::WriteArchive(u"bg.zra", {{"a.png", "bg a"}, {"sub\\c.png", "bg sub c"}}));
    ASSERT_TRUE(zrtest::WriteArchive(u"se.zra", {{"a.png", "se a"}, {"x.ogg", "se x"}}, "k3y"));
    ASSERT_EQ(mkdir("folder", 0755), 0);
    world_.Dir().WriteFile("folder/a.png", "folder a");
    world_.Dir().WriteFile("a.png", "cwd a");
    ASSERT_EQ(server_.MountArchive(3, u"image", u"bg.zra", u"folder", 1), 1);
    ASSERT_EQ(server_.MountArchive(7, u"sound", u"se.zra", u"", 0, "k3y", 3), 1);
  }
};

TEST_F(FileServerArchives, EachSearchTypeTakesItsOrder) {
  // Type 2 names archives by their file name.
  EXPECT_EQ(Open("bg/a.png", ZRFS_ARCHIVE), "bg a");
  EXPECT_EQ(Open("BG/SUB\\C.PNG", ZRFS_ARCHIVE), "bg sub c");
  EXPECT_EQ(Open("se/x.ogg", ZRFS_ARCHIVE), "se x");
  EXPECT_EQ(Open("image/a.png", ZRFS_ARCHIVE), "<none>");
  // Types 3 and 4 name slots by their mount name: folder first, or archive first.
  EXPECT_EQ(Open("image/a.png", ZRFS_DISK_FIRST), "folder a");
  EXPECT_EQ(Open("image/a.png", ZRFS_ARCHIVE_FIRST), "bg a");
  EXPECT_EQ(Open("image/sub\\c.png", ZRFS_DISK_FIRST), "bg sub c");
  EXPECT_EQ(Open("sound/a.png", ZRFS_DISK_FIRST), "se a");  // use-folder off
  EXPECT_EQ(Open("sound/a.png", ZRFS_ARCHIVE_FIRST), "se a");
  // Without an archive part, type 3 tries every slot's folder (the empty ones name the current
  // folder) before the archives.
  EXPECT_EQ(Open("a.png", ZRFS_DISK_FIRST), "cwd a");
  EXPECT_EQ(Open("x.ogg", ZRFS_DISK_FIRST), "se x");
  EXPECT_EQ(Open("x.ogg", ZRFS_ARCHIVE_FIRST), "<none>");
  EXPECT_EQ(server_.FileExists(u"sound/x.ogg"), 1);
}

TEST_F(FileServerArchives, OpenedMembersAreBigFiles) {
  std::unique_ptr<zrFileBase> file(server_.OpenFile(u"image/sub\\c.png", ZRFS_ARCHIVE_FIRST));
  ASSERT_NE(dynamic_cast<zrBigFile*>(file.get()), nullptr);
  EXPECT_EQ(file->GetSize(), 8);
  EXPECT_EQ(std::u16string(file->GetName()), u"sub\\c.png");
  EXPECT_EQ(file->GetAttributes(u"whatever"), 0x80);
  EXPECT_EQ(file->Exists(u"A.PNG"), 1);
  EXPECT_EQ(file->Exists(u"b.png"), 0);
  std::unique_ptr<zrFileBase> memory(server_.OpenFile(u"sound/x.ogg", 0x114));
  ASSERT_NE(dynamic_cast<zrMemFile*>(memory.get()), nullptr);
  EXPECT_EQ(Contents(memory.release()), "se x");
  EXPECT_EQ(server_.LoadWholeFile(u"image/sub\\c.png", nullptr, ZRFS_ARCHIVE_FIRST), 8);
}

TEST_F(FileServerArchives, GroupsSearchTheirMembersSlots) {
  ASSERT_EQ(server_.AddGroup(u"all.lst", {{-1, u"", 0}, {7, u"", 0}, {3, u"folder", 1}}), 1);
  EXPECT_EQ(Open("all.lst/a.png", ZRFS_ARCHIVE), "se a");
  EXPECT_EQ(Open("ALL.LST/sub\\c.png", ZRFS_ARCHIVE), "bg sub c");
  EXPECT_EQ(Open("all.lst/a.png", ZRFS_DISK_FIRST), "se a");
  ASSERT_EQ(server_.AddGroup(u"pics.lst", {{3, u"folder", 1}}), 1);
  EXPECT_EQ(Open("pics.lst/a.png", ZRFS_DISK_FIRST), "folder a");
  EXPECT_EQ(Open("pics.lst/a.png", ZRFS_ARCHIVE_FIRST), "bg a");
  EXPECT_EQ(Open("none.lst/a.png", ZRFS_ARCHIVE_FIRST), "<none>");
  EXPECT_EQ(server_.AddGroup(u"bad.lst", {{256, u"", 0}}), 0);
}

TEST_F(FileServerArchives, AliasesRedirectArchiveAndMember) {
  ASSERT_EQ(server_.AddAlias(u"Old", u"bg", u"pic_", u"sub\\"), 1);
  EXPECT_EQ(Open("old/pic_c.png", ZRFS_ARCHIVE), "bg sub c");
  EXPECT_EQ(Open("OLD/a.png", ZRFS_ARCHIVE), "bg a");
}

TEST_F(FileServerArchives, AlwaysSearchedArchivesComeFirst) {
  ASSERT_TRUE(zrtest::WriteArchive(u"patch.zra", {{"a.png", "patched a"}}));
  ASSERT_EQ(server_.AddSearchedArchive(u"patch.zra"), 1);
  EXPECT_EQ(Open("a.png", ZRFS_DISK), "patched a");
  EXPECT_EQ(Open("image/a.png", ZRFS_DISK_FIRST), "patched a");
  EXPECT_EQ(Open("image/sub\\c.png", ZRFS_DISK_FIRST), "bg sub c");
}

TEST_F(FileServerArchives, MountingRefusesWhatItCannotKeep) {
  EXPECT_EQ(server_.MountArchive(3, u"again", u"bg.zra", u"", 0), 0);  // slot in use
  EXPECT_EQ(server_.MountArchive(256, u"x", u"bg.zra", u"", 0), 0);
  EXPECT_EQ(server_.MountArchive(4, u"x", u"se.zra", u"", 0), 0);  // no key
  EXPECT_EQ(server_.MountArchive(4, u"x", u"se.zra", u"", 0, "key", 3), 0);
  EXPECT_EQ(server_.MountArchive(4, u"x", u"missing.zra", u"", 0), 0);
  const std::u16string longName(40, u'n');
  EXPECT_EQ(server_.SetSlotFolder(4, longName.c_str(), u"", 0), 0);
  EXPECT_EQ(server_.AddSearchedArchive(u"missing.zra"), 0);
  EXPECT_EQ(server_.AddPreload(u"a.png", 0, 3), 0);  // preloading is off
}

TEST(FileServerDeathTest, OnlyOneServerAtATime) {
  EXPECT_EQ(zrFileServer::Current(), nullptr);
  {
    zrFileServer server;
    EXPECT_EQ(zrFileServer::Current(), &server);
    ZR_EXPECT_VIOLATION(zrFileServer second, "zrFileServer は複数作成出来ません");
  }
  EXPECT_EQ(zrFileServer::Current(), nullptr);
}

}  // namespace
