// Decodes arbitrary bytes as a PSD document: its merged image, then its first layers.
#include <cstddef>
#include <cstdint>

#include "image/zrImagePsd.h"
#include "image_adapter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzImageAdapter<zrImagePsd>(data, size);
  if (size > UINT32_MAX) return 0;
  const MemoryBlock source = BorrowedBlock(data, static_cast<uint32_t>(size));
  for (uint32_t layer = 0; layer < 3; ++layer) {
    zrImagePsd image;
    image.LoadLayer(&source, layer);
  }
  return 0;
}
