#include "image/zrImageZrf.h"

#include <cstring>

#include "image/zrlz.h"
#include "platform/little_endian.h"
#include "system/heap.h"
#include "system/trace.h"

namespace {

constexpr char kWrongType[] = "イメージのタイプが違います";
constexpr char kSaveFailed[] = "イメージの保存に失敗しました";
constexpr uint8_t kMagic[4] = {'Z', 'R', 'F', 0};
constexpr uint32_t kHeaderSize = 12;

bool HasMagic(const uint8_t* data, uint32_t size) {
  return data && size >= kHeaderSize && std::memcmp(data, kMagic, 4) == 0;
}

}  // namespace

bool zrImageZrf::Accepts(const MemoryBlock* source) {
  return source && source->data && source->size >= 4 && std::memcmp(source->data, kMagic, 4) == 0;
}

int zrImageZrf::Load(const MemoryBlock* source, int32_t) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  if (!HasMagic(data, size)) {
    Trace(kWrongType);
    return 0;
  }
  const uint32_t width = LoadLe16(data + 4);
  const uint32_t height = LoadLe16(data + 6);
  const uint32_t pitch = LoadLe16(data + 8);
  const int32_t bytesPerPixel = LoadLe16(data + 10);
  const uint8_t* block = data + kHeaderSize;
  const uint32_t blockSize = size - kHeaderSize;
  const uint32_t length = ZrlzLength(block, blockSize);
  // The buffer must hold every row the header names, of pixels the library knows.
  if (length == 0 || bytesPerPixel < 1 || bytesPerPixel > 4 || width == 0 || height == 0 ||
      pitch < width * static_cast<uint32_t>(bytesPerPixel) || uint64_t{pitch} * height > length ||
      length > kMaxImageBytes) {
    return 0;
  }
  if (!Reserve(length) || !ZrlzDecompress(block, blockSize, pixels_)) return 0;
  bufferSize_ = length;
  SetGeometry(width, height, bytesPerPixel, static_cast<int32_t>(pitch));
  canvasWidth_ = static_cast<int32_t>(width);
  canvasHeight_ = static_cast<int32_t>(height);
  return 1;
}

int zrImageZrf::Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) {
  if (!target || !HoldsRows() || width_ > 0xFFFF || height_ > 0xFFFF || pitch_ > 0xFFFF) return 0;
  ClearTransparentColour();
  const uint32_t length = static_cast<uint32_t>(pitch_) * height_;
  int32_t bestMode = 0;
  uint32_t best = 0;
  for (int32_t mode = 0; mode < kZrlzModes; ++mode) {
    const uint32_t measured = ZrlzCompress(pixels_, length, nullptr, mode);
    if (measured == 0) {
      Trace(kSaveFailed);
      return 0;
    }
    if (best == 0 || measured < best) {
      best = measured;
      bestMode = mode;
    }
  }
  const uint32_t capacity = (best + kHeaderSize + 7) & ~7u;
  auto* file = static_cast<uint8_t*>(zrHeapAlloc(0, capacity));
  if (!file) return 0;
  std::memset(file, 0, capacity);
  if (ZrlzCompress(pixels_, length, file + kHeaderSize, bestMode) == 0) {
    Trace(kSaveFailed);
    zrHeapFree(file);
    return 0;
  }
  std::memcpy(file, kMagic, 4);
  const uint32_t fields[] = {width_, height_, static_cast<uint32_t>(pitch_),
                             static_cast<uint32_t>(bytesPerPixel_)};
  for (int i = 0; i < 4; ++i) {
    file[4 + 2 * i] = static_cast<uint8_t>(fields[i]);
    file[5 + 2 * i] = static_cast<uint8_t>(fields[i] >> 8);
  }
  AdoptIntoMemoryBlock(target, file, capacity);
  return 1;
}
