// The record through which bytes travel into decoders and out of encoders: a whole file image
// lent by its reader, or an encoded picture handed back to its caller.
#pragma once

#include <cstdint>

struct MemoryBlock {
  uint8_t* data;
  uint32_t size;      // valid bytes
  uint32_t capacity;  // bytes allocated
  uint32_t borrowed;  // 1: the bytes belong to someone else; 0: a zrHeap block owned here
};

// A block that lends `size` bytes of someone else's to a decoder; releasing it frees nothing.
MemoryBlock BorrowedBlock(const void* data, uint32_t size);

// Frees the data unless it is borrowed, then empties the block; the flag stays as it was.
void ReleaseMemoryBlock(MemoryBlock* block);

// Refills the block with `size` bytes of the zrHeap block `data`, which it owns from now on; what
// it held before is released first.
void AdoptIntoMemoryBlock(MemoryBlock* block, uint8_t* data, uint32_t size);
