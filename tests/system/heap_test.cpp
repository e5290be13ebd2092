#include "system/heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

class HeapTest : public ::testing::Test {
 protected:
  void TearDown() override { zrHeapDestroy(); }
  zrtest::TraceCapture traces;
};

TEST_F(HeapTest, AllocationWithoutHeapFailsWithItsMessage) {
  EXPECT_EQ(zrHeapAlloc(7, 100), nullptr);
  EXPECT_TRUE(traces.Contains("メモリが確保出来ませんでした  id = 7  size = 104(0x68)"));
}

TEST_F(HeapTest, CreationIsTracedAndASecondHeapIsRefused) {
  ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
  EXPECT_TRUE(traces.Contains(
      "ヒープを作成しました。 size = 10485760 (0xa00000) byte (10.000000MB)"));
  void* block = zrHeapAlloc(0, 16);
  ASSERT_NE(block, nullptr);
  traces.Clear();
  EXPECT_EQ(zrHeapCreate(1024), 0);
  EXPECT_TRUE(traces.Texts().empty());
  // The first heap is still the one in use.
  EXPECT_EQ(zrHeapFree(block), 1);
}

TEST_F(HeapTest, UseCountKeepsABlockUntilItsLastOwnerReleasesIt) {
  ASSERT_EQ(zrHeapCreate(4096), 1);
  auto* block = static_cast<uint8_t*>(zrHeapAlloc(0, 32));
  ASSERT_NE(block, nullptr);
  int32_t count;
  std::memcpy(&count, block - 4, 4);
  EXPECT_EQ(count, 1);
  count = 3;  // two more owners
  std::memcpy(block - 4, &count, 4);
  EXPECT_EQ(zrHeapFree(block), 2);
  EXPECT_EQ(zrHeapFree(block), 1);
  std::memset(block, 0xAB, 32);  // still ours: ASan would object otherwise
  EXPECT_NE(zrHeapFree(block), 0);
  EXPECT_EQ(zrHeapFree(nullptr), 0);
}

TEST_F(HeapTest, EmptyAndLargeBlocks) {
  ASSERT_EQ(zrHeapCreate(4096), 1);
  void* empty = zrHeapAlloc(0, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_NE(zrHeapFree(empty), 0);
  // Larger than the initial size: the heap grows.
  void* large = zrHeapAlloc(0, 1 << 20);
  ASSERT_NE(large, nullptr);
  std::memset(large, 1, 1 << 20);
  EXPECT_NE(zrHeapFree(large), 0);
  // A size whose header would wrap around 32 bits is refused.
  EXPECT_EQ(zrHeapAlloc(3, 0xFFFFFFFEu), nullptr);
}

TEST_F(HeapTest, DestroyReleasesEveryBlockAndLaterAllocationsFail) {
  ASSERT_EQ(zrHeapCreate(4096), 1);
  for (int i = 0; i < 10; ++i) ASSERT_NE(zrHeapAlloc(0, 1000), nullptr);  // left to the heap
  traces.Clear();
  EXPECT_EQ(zrHeapDestroy(), 1);
  EXPECT_TRUE(traces.Contains("ヒープを破棄しました。"));
  EXPECT_EQ(zrHeapAlloc(0, 8), nullptr);
  // Destroying again only traces.
  EXPECT_EQ(zrHeapDestroy(), 1);
}

TEST_F(HeapTest, BlocksAreAlignedForAnyScalar) {
  ASSERT_EQ(zrHeapCreate(4096), 1);
  void* block = zrHeapAlloc(0, 24);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(double), 0u);
  zrHeapFree(block);
}

TEST_F(HeapTest, ThreadsAllocateAndReleaseAtTheSameTime) {
  ASSERT_EQ(zrHeapCreate(4096), 1);
  auto churn = [] {
    std::vector<void*> blocks;
    for (int round = 0; round < 200; ++round) {
      for (int i = 0; i < 8; ++i) blocks.push_back(zrHeapAlloc(0, 64 + i));
      for (void* block : blocks) EXPECT_NE(zrHeapFree(block), 0);
      blocks.clear();
    }
  };
  std::thread reader(churn);
  std::thread writer(churn);
  churn();
  reader.join();
  writer.join();
}

}  // namespace
