// The round a picture adapter's harness runs on every input: the signature test, a load of the
// input as a lent block and, when that succeeds, a save of the picture into a new block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/memory_block.h"
#include "library_heap.h"

template <typename Adapter>
int FuzzImageAdapter(const uint8_t* data, size_t size) {
  EnsureLibraryHeap();
  if (size > UINT32_MAX) return 0;
  const MemoryBlock source = BorrowedBlock(data, static_cast<uint32_t>(size));
  Adapter::Accepts(&source);
  Adapter image;
  if (image.Load(&source, 0)) {
    MemoryBlock saved = {nullptr, 0, 0, 0};
    image.Save(&saved, 0, 0, 0, 0);
    ReleaseMemoryBlock(&saved);
  }
  return 0;
}
