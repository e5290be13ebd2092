// Decodes arbitrary bytes as an HG-3 file: the frame of key 0, then the first frames by position,
// and reads every pixel of each picture it accepts.
#include <cstddef>
#include <cstdint>

#include "image/zrImageHg3.h"
#include "library_heap.h"

namespace {

constexpr uint32_t kFramesTried = 4;

// Touches every byte the picture claims to hold, so that a buffer shorter than its geometry shows.
uint32_t SumPixels(const zrImage& image) {
  uint32_t width = 0;
  uint32_t height = 0;
  image.GetSize(&width, &height);
  uint32_t sum = 0;
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    const uint8_t* row = image.PixelAt(0, y);
    for (uint32_t i = 0; i < width * static_cast<uint32_t>(image.GetBytesPerPixel()); ++i) {
      sum += row[i];
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnsureLibraryHeap();
  if (size > UINT32_MAX) return 0;
  const MemoryBlock block = BorrowedBlock(data, static_cast<uint32_t>(size));
  volatile uint32_t sink = 0;
  zrImageHg3 byKey;
  if (byKey.Load(&block, 0)) sink = sink + SumPixels(byKey);
  for (uint32_t position = 0; position < kFramesTried; ++position) {
    zrImageHg3 frame;
    int32_t key = 0;
    if (frame.LoadFrame(&block, position, &key)) sink = sink + SumPixels(frame);
  }
  return 0;
}
