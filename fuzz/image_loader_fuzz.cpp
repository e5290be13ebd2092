// Loads arbitrary bytes the way the updater loads its splash picture: through the loader, placed
// on its canvas, flattened onto white and turned upside down for painting.
#include <cstddef>
#include <cstdint>

#include "image/dib_view.h"
#include "image/zrImageLoader.h"
#include "library_heap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnsureLibraryHeap();
  if (size > UINT32_MAX) return 0;
  const MemoryBlock block = BorrowedBlock(data, static_cast<uint32_t>(size));
  zrImageLoader loader;
  if (!loader.LoadFromMemory(&block, 1, 0)) return 0;
  zrImage* image = loader.GetImage();
  image->HasTransparency();
  image->FlattenTo24(0xFFFFFFFF);
  image->FlipVertical();
  DibView view;
  if (DescribeAsDib(*image, &view)) {
    // The painter reads sizeImage bytes from the bits.
    volatile uint8_t last = view.bits[view.header.sizeImage - 1];
    (void)last;
  }
  return 0;
}
