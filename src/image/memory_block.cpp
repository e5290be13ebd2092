#include "image/memory_block.h"

#include "system/heap.h"

MemoryBlock BorrowedBlock(const void* data, uint32_t size) {
  // The decoders only read a lent block, so its bytes may be const.
  return MemoryBlock{static_cast<uint8_t*>(const_cast<void*>(data)), size, size, 1};
}

void ReleaseMemoryBlock(MemoryBlock* block) {
  if (!block) return;
  if (!block->borrowed && block->data) zrHeapFree(block->data);
  block->data = nullptr;
  block->size = 0;
  block->capacity = 0;
}

void AdoptIntoMemoryBlock(MemoryBlock* block, uint8_t* data, uint32_t size) {
  if (!block) return;
  ReleaseMemoryBlock(block);
  *block = MemoryBlock{data, size, size, 0};
}
