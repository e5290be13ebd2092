#include "copy/copy_blocks.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kMiB = 0x100000;

TEST(CopyBlocksTest, UncachedRequestsAreWholeSectorsOfOneBlock) {
  EXPECT_EQ(BlockCapacity(0), 2 * kMiB);
  EXPECT_EQ(BlockCapacity(512), kMiB + 512);
  EXPECT_EQ(BlockCapacity(4096), kMiB + 4096);
  EXPECT_EQ(BlockCapacity(3), 3 * ((3 + kMiB) / 3));  // a whole number of sectors still

  EXPECT_EQ(RequestLength(1000, BlockCapacity(512), 512), 1024u);  // 1000 bytes, two sectors
  EXPECT_EQ(RequestLength(1024, BlockCapacity(512), 512), 1024u);
  EXPECT_EQ(RequestLength(5 * kMiB, BlockCapacity(512), 512), kMiB + 512);
  EXPECT_EQ(RequestLength(kMiB + 100, BlockCapacity(4096), 4096), kMiB + 4096);
  EXPECT_EQ(RequestLength(1000, BlockCapacity(0), 0), 1000u);  // through the cache: as it is
  EXPECT_EQ(RequestLength(5ull << 32, BlockCapacity(0), 0), 2 * kMiB);  // files past 4 GiB
}

}  // namespace
