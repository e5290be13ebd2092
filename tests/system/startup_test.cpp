#include "system/startup.h"

#include <gtest/gtest.h>

#include "file/zrFileServer.h"
#include "support/test_support.h"
#include "system/heap.h"
#include "system/sine_table.h"
#include "system/trace.h"
#include "system/zrCaps.h"
#include "system/zrDDE.h"
#include "system/zrRandom.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  // Shutdown turns diagnostic output off for good; the other tests of this process want it.
  void TearDown() override { SetTraceOutputEnabled(true); }
};

TEST_F(StartupTest, StartupMakesEveryObjectAndShutdownEndsThem) {
  ASSERT_EQ(zrCaps::Current(), nullptr);
  SineTable[8192] = 0;
  EXPECT_EQ(LibraryStartup(kProbeOs | kProbeMemory, kDdeNone), 1);
  EXPECT_EQ(zrDDE::Current(), nullptr);  // no DDE mode, no DDE object
  ASSERT_NE(zrCaps::Current(), nullptr);
  OsInfo os;
  zrCaps::Current()->GetOsInfo(&os);
  EXPECT_NE(os.code, 0u);  // the probes ran
  EXPECT_NE(zrFileServer::Current(), nullptr);
  EXPECT_NE(zrRandom::Current(), nullptr);
  EXPECT_EQ(SineTable[8192], 32768);
  void* block = zrHeapAlloc(0, 1024);
  EXPECT_NE(block, nullptr);
  zrHeapFree(block);

  LibraryShutdown();
  EXPECT_EQ(zrCaps::Current(), nullptr);
  EXPECT_EQ(zrFileServer::Current(), nullptr);
  EXPECT_EQ(zrRandom::Current(), nullptr);
  EXPECT_EQ(zrHeapAlloc(0, 16), nullptr);  // the heap is gone
}

// What exists before start-up stays; a DDE mode makes the DDE object; a second start-up after a
// shutdown makes everything anew.
TEST_F(StartupTest, ExistingObjectsStayAndStartupRepeats) {
  zrCaps* early = new zrCaps(0, kDdeNone);
  LibraryStartup(kProbeOs, kDdePublish);
  EXPECT_EQ(zrCaps::Current(), early);
  EXPECT_NE(zrDDE::Current(), nullptr);
  LibraryShutdown();
  EXPECT_EQ(zrCaps::Current(), nullptr);  // shutdown ends it, whoever made it
  EXPECT_EQ(zrDDE::Current(), nullptr);

  LibraryStartup(0, kDdeNone);
  EXPECT_NE(zrCaps::Current(), nullptr);
  EXPECT_NE(zrFileServer::Current(), nullptr);
  LibraryShutdown();
}

TEST_F(StartupTest, ShutdownWithoutStartupIsHarmless) {
  zrtest::TraceCapture traces;
  LibraryShutdown();
  LibraryShutdown();
  EXPECT_EQ(zrCaps::Current(), nullptr);
  EXPECT_EQ(zrFileServer::Current(), nullptr);
}

}  // namespace
