#include "image/image_adapter.h"

#include <cstring>

#include "system/heap.h"
#include "system/trace.h"

uint8_t* zrImageAdapter::PrepareBuffer(uint32_t width, uint32_t height, int32_t bytesPerPixel,
                                       RowAlignment alignment) {
  DropPicture();
  if (!PictureFitsLimits(width, height, bytesPerPixel)) {
    Trace("ピクセルイメージ用バッファの確保に失敗しました");
    return nullptr;
  }
  uint64_t pitch = uint64_t{width} * static_cast<uint64_t>(bytesPerPixel);
  if (alignment == RowAlignment::kFourBytes) pitch = (pitch + 3) & ~uint64_t{3};
  const uint64_t size = pitch * height;
  if (size > kMaxImageBytes) {
    Trace("ピクセルイメージ用バッファの確保に失敗しました");
    return nullptr;
  }
  uint8_t* pixels = Reserve(static_cast<uint32_t>(size));
  if (!pixels) return nullptr;
  bufferSize_ = static_cast<uint32_t>(size);
  SetGeometry(width, height, bytesPerPixel, static_cast<int32_t>(pitch));
  canvasWidth_ = static_cast<int32_t>(width);
  canvasHeight_ = static_cast<int32_t>(height);
  return pixels;
}

void zrImageAdapter::DropPicture() {
  if (pixels_) zrHeapFree(pixels_);
  pixels_ = nullptr;
  bufferSize_ = 0;
  SetGeometry(0, 0, 0, 0);
  canvasWidth_ = 0;
  canvasHeight_ = 0;
  alphaState_ = kAlphaUnknown;
}

bool zrImageAdapter::HoldsEncodableRows(int32_t bytesPerPixel) const {
  return bytesPerPixel_ == bytesPerPixel && width_ > 0 && height_ > 0 && HoldsRows();
}

int HandOverEncoded(MemoryBlock* target, const void* bytes, uint32_t length) {
  if (!target || length > UINT32_MAX - 7) return 0;
  const uint32_t rounded = (length + 7) & ~uint32_t{7};
  auto* block = static_cast<uint8_t*>(zrHeapAlloc(0, rounded));
  if (!block) return 0;
  std::memcpy(block, bytes, length);
  std::memset(block + length, 0, rounded - length);
  AdoptIntoMemoryBlock(target, block, rounded);
  return 1;
}
