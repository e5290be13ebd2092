// Decodes arbitrary bytes as an HG-2 file, by key and by the first positions, and saves what
// decodes again (trim, crop and the encoder on a picture a damaged file produced).
#include <cstddef>
#include <cstdint>

#include "image/zrImageHg2.h"
#include "library_heap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnsureLibraryHeap();
  if (size > UINT32_MAX) return 0;
  const MemoryBlock block = BorrowedBlock(data, static_cast<uint32_t>(size));
  zrImageHg2 byKey;
  if (byKey.Load(&block, 0)) {
    MemoryBlock saved = {nullptr, 0, 0, 0};
    byKey.Save(&saved, 1, 0, 0, 1);
    ReleaseMemoryBlock(&saved);
  }
  for (uint32_t position = 0; position < 3; ++position) {
    zrImageHg2 frame;
    int32_t key = 0;
    frame.LoadFrame(&block, position, &key);
  }
  return 0;
}
