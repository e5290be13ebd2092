#include "image/memory_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "system/heap.h"

namespace {

// The use count in front of a heap block shows how often the block was freed.
int32_t UseCount(const uint8_t* data) {
  int32_t count;
  std::memcpy(&count, data - 4, 4);
  return count;
}

// A heap block with two owners: one release through a MemoryBlock leaves the count at 1.
uint8_t* SharedHeapBlock(uint32_t size) {
  auto* data = static_cast<uint8_t*>(zrHeapAlloc(0, size));
  const int32_t count = 2;
  std::memcpy(data - 4, &count, 4);
  return data;
}

TEST(MemoryBlockTest, ReleaseFreesOwnedBytesOnlyAndEmptiesTheBlock) {
  ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
  uint8_t* data = SharedHeapBlock(32);
  MemoryBlock owned = {data, 20, 32, 0};
  ReleaseMemoryBlock(&owned);
  EXPECT_EQ(UseCount(data), 1);
  EXPECT_TRUE(!owned.data && !owned.size && !owned.capacity && !owned.borrowed);
  MemoryBlock lent = BorrowedBlock(data, 8);
  EXPECT_TRUE(lent.data == data && lent.size == 8 && lent.capacity == 8 && lent.borrowed == 1);
  ReleaseMemoryBlock(&lent);
  EXPECT_EQ(UseCount(data), 1);
  EXPECT_TRUE(!lent.data && !lent.size && lent.borrowed == 1);  // the flag stays
  zrHeapFree(data);
  zrHeapDestroy();
}

TEST(MemoryBlockTest, RefillingReleasesWhatTheBlockOwnedAndOwnsTheNewBytes) {
  ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1);
  uint8_t* old = SharedHeapBlock(4);
  MemoryBlock block = {old, 4, 4, 0};
  auto* fresh = static_cast<uint8_t*>(zrHeapAlloc(0, 16));
  AdoptIntoMemoryBlock(&block, fresh, 16);
  EXPECT_EQ(UseCount(old), 1);
  EXPECT_TRUE(block.data == fresh && block.size == 16 && block.capacity == 16);
  block = BorrowedBlock(old, 4);
  AdoptIntoMemoryBlock(&block, fresh, 16);  // the lender's bytes are left alone
  EXPECT_EQ(UseCount(old), 1);
  EXPECT_EQ(block.borrowed, 0u);
  ReleaseMemoryBlock(&block);
  zrHeapFree(old);
  zrHeapDestroy();
}

}  // namespace
