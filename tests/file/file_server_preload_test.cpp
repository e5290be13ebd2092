// The preload queue and its thread (also run under ThreadSanitizer).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "file/archive_test_support.h"
#include "file/zrFileServer.h"
#include "file/zrMemFile.h"

namespace {

using zrtest::FileServerWorld;
using zrtest::Pattern;

// Waits (at most 10 s) until the queue holds the path loaded.
bool WaitPreloaded(zrFileServer& server, const char16_t* path) {
  for (int i = 0; i < 10000; ++i) {
    if (server.IsPreloaded(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

std::string ReadAll(zrFileBase* file) {
  std::unique_ptr<zrFileBase> owned(file);
  if (!owned) return "<none>";
  std::string bytes(static_cast<size_t>(owned->GetSize()), '\0');
  owned->Read(bytes.data(), owned->GetSize());
  return bytes;
}

TEST(FileServerPreload, QueuedFilesAreServedFromMemory) {
  FileServerWorld world;
  world.Dir().WriteFile("one.bin", "first");
  world.Dir().WriteFile("two.bin", "second");
  world.Dir().WriteFile("three.bin", "third");
  zrFileServer server(true);
  EXPECT_EQ(server.PreloadGroup(), zrFileServer::kPreloadIdle);
  ASSERT_EQ(server.AddPreload(u"one.bin", 1, ZRFS_DISK_FIRST), 1);
  ASSERT_EQ(server.AddPreload(u"two.bin", 1, ZRFS_DISK_FIRST), 1);
  ASSERT_EQ(server.AddPreload(u"three.bin", 2, ZRFS_DISK_FIRST | ZRFS_WRITE), 1);
  ASSERT_EQ(server.AddPreload(u"absent.bin", 3, ZRFS_DISK_FIRST | ZRFS_QUIET), 1);
  ASSERT_TRUE(WaitPreloaded(server, u"one.bin"));
  ASSERT_TRUE(WaitPreloaded(server, u"two.bin"));
  ASSERT_TRUE(WaitPreloaded(server, u"three.bin"));
  // A queued write flag is not honoured: the file was read, not emptied.
  EXPECT_EQ(world.Dir().ReadFile("three.bin"), "third");
  EXPECT_EQ(server.IsPreloaded(u"absent.bin"), 0);

  // From memory now, whatever becomes of the disk files.
  std::remove("one.bin");
  std::remove("two.bin");
  std::unique_ptr<zrFileBase> one(server.OpenFile(u"ONE.BIN", ZRFS_DISK_FIRST));
  ASSERT_NE(dynamic_cast<zrMemFile*>(one.get()), nullptr);
  EXPECT_EQ(ReadAll(one.release()), "first");

  // A file handed out keeps its bytes when the queue is cleared.
  zrFileBase* two = server.OpenFile(u"two.bin", ZRFS_ARCHIVE);
  server.ClearPreload();
  EXPECT_EQ(server.IsPreloaded(u"two.bin"), 0);
  EXPECT_EQ(ReadAll(two), "second");
  EXPECT_EQ(server.OpenFile(u"two.bin", ZRFS_DISK_FIRST | ZRFS_QUIET), nullptr);
  EXPECT_EQ(server.PreloadGroup(), zrFileServer::kPreloadIdle);
}

// The thread reads members of an archive while the caller reads the same archive.
TEST(FileServerPreload, ArchiveIsReadBesideTheCaller) {
  FileServerWorld world;
  zrtest::Members members;
  for (int i = 0; i < 8; ++i) members.push_back({"m" + std::to_string(i), Pattern(5000, i)});
  ASSERT_TRUE(zrtest::WriteArchive(u"pack.zra", members, "key"));
  zrFileServer server(true);
  ASSERT_EQ(server.MountArchive(0, u"pack", u"pack.zra", u"", 0, "key", 3), 1);
  for (int i = 1; i < 8; ++i) {
    const std::u16string path = u"pack/m" + zrtest::Wide(std::to_string(i));
    ASSERT_EQ(server.AddPreload(path.c_str(), i, ZRFS_ARCHIVE_FIRST), 1);
  }
  for (int round = 0; round < 50; ++round) {
    EXPECT_EQ(ReadAll(server.OpenFile(u"pack/m0", ZRFS_ARCHIVE_FIRST)), Pattern(5000, 0));
  }
  ASSERT_TRUE(WaitPreloaded(server, u"pack/m7"));
  EXPECT_EQ(ReadAll(server.OpenFile(u"PACK/M7", ZRFS_ARCHIVE_FIRST)), Pattern(5000, 7));
}

TEST(FileServerPreload, ShutdownStopsABusyThread) {
  FileServerWorld world;
  world.Dir().WriteFile("f.bin", Pattern(100000));
  auto server = std::make_unique<zrFileServer>(true);
  for (int i = 0; i < 200; ++i) server->AddPreload(u"f.bin", i, ZRFS_DISK_FIRST);
  server.reset();
  EXPECT_EQ(zrFileServer::Current(), nullptr);
}

}  // namespace
