#include "image/zrImageBmp.h"

#include <cstring>
#include <vector>

#include "platform/little_endian.h"
#include "system/heap.h"
#include "system/trace.h"

namespace {

constexpr char kWrongType[] = "イメージのタイプが違います";
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kPixelOffset =
    kFileHeaderSize + kInfoHeaderSize;  // where a saved file's rows start

bool HasMagic(const uint8_t* data, uint32_t size) {
  return data && size >= kFileHeaderSize + 4 && data[0] == 'B' && data[1] == 'M';
}

// Bits per pixel from whichever information header the file has; 0 when there is none.
uint32_t BitsPerPixel(const uint8_t* data, uint32_t size) {
  const uint32_t headerSize = LoadLe32(data + kFileHeaderSize);
  if (headerSize == kCoreHeaderSize && size >= kFileHeaderSize + kCoreHeaderSize) {
    return LoadLe16(data + kFileHeaderSize + 10);
  }
  if (headerSize == kInfoHeaderSize && size >= kFileHeaderSize + kInfoHeaderSize) {
    return LoadLe16(data + kFileHeaderSize + 14);
  }
  return 0;
}

}  // namespace

bool zrImageBmp::Accepts(const MemoryBlock* source) {
  if (!source || !HasMagic(source->data, source->size)) return false;
  const uint32_t bits = BitsPerPixel(source->data, source->size);
  return bits == 24 || bits == 32;
}

int zrImageBmp::Load(const MemoryBlock* source, int32_t) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  const uint32_t headerSize = HasMagic(data, size) ? LoadLe32(data + kFileHeaderSize) : 0;
  if ((headerSize != kInfoHeaderSize && headerSize != kCoreHeaderSize) ||
      size < kFileHeaderSize + headerSize) {
    Trace(kWrongType);
    return 0;
  }
  const uint8_t* info = data + kFileHeaderSize;
  std::memset(header_, 0, sizeof header_);
  if (headerSize == kInfoHeaderSize) {
    std::memcpy(header_, info, kInfoHeaderSize);
  } else {
    // The core header's 16-bit fields, widened.
    const uint32_t fields[] = {kInfoHeaderSize, LoadLe16(info + 4), LoadLe16(info + 6)};
    for (int i = 0; i < 3; ++i) std::memcpy(header_ + 4 * i, &fields[i], 4);
    std::memcpy(header_ + 12, info + 8, 4);  // planes and bits per pixel
  }
  const auto width = static_cast<int32_t>(LoadLe32(header_ + 4));
  const auto storedHeight = static_cast<int32_t>(LoadLe32(header_ + 8));
  const uint32_t bits = LoadLe16(header_ + 14);
  // A negative height marks a file stored top row first; the buffer keeps the bottom row first.
  const bool topDown = storedHeight < 0;
  const uint64_t height = topDown ? -int64_t{storedHeight} : storedHeight;
  if ((bits != 24 && bits != 32) || width <= 0 || !PictureFitsLimits(width, height, 4)) {
    return 0;
  }
  // The rows start where the file header says, unless that points into the headers.
  uint32_t offset = LoadLe32(data + 10);
  if (offset < kFileHeaderSize + headerSize) offset = kPixelOffset;
  const uint64_t rowBytes =
      (uint64_t{static_cast<uint32_t>(width)} * (bits / 8) + 3) & ~uint64_t{3};
  if (offset > size || rowBytes * height > size - offset) return 0;

  const uint32_t pitch = static_cast<uint32_t>(width) * 4;
  if (!Reserve(pitch * static_cast<uint32_t>(height))) return 0;
  SetGeometry(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 4,
              static_cast<int32_t>(pitch));
  canvasWidth_ = width;
  canvasHeight_ = static_cast<int32_t>(height);
  for (uint64_t row = 0; row < height; ++row) {
    const uint8_t* from = data + offset + rowBytes * (topDown ? height - 1 - row : row);
    uint8_t* to = pixels_ + row * pitch;
    if (bits == 32) {
      std::memcpy(to, from, pitch);
      continue;
    }
    for (int32_t x = 0; x < width; ++x, from += 3, to += 4) {
      std::memcpy(to, from, 3);
      to[3] = 255;
    }
  }
  return 1;
}

int zrImageBmp::Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) {
  if (!target || !HoldsRows()) return 0;
  // Rows of a bitmap end on 4 bytes; a buffer whose rows do not is padded row by row.
  const uint32_t rowBytes = width_ * static_cast<uint32_t>(bytesPerPixel_);
  const uint32_t fileRow = (rowBytes + 3) & ~3u;
  const uint32_t imageSize = fileRow * height_;
  const uint32_t capacity = (imageSize + kPixelOffset + 7) & ~7u;
  auto* block = static_cast<uint8_t*>(zrHeapAlloc(0, capacity));
  if (!block) return 0;
  std::memset(block, 0, capacity);
  std::vector<uint8_t> headers = {'B', 'M'};
  AppendLe32(headers, imageSize + kPixelOffset);
  AppendLe32(headers, 0);
  AppendLe32(headers, kPixelOffset);
  AppendLe32(headers, kInfoHeaderSize);
  AppendLe32(headers, width_);
  AppendLe32(headers, height_);
  AppendLe16(headers, 1);
  AppendLe16(headers, static_cast<uint16_t>(8 * bytesPerPixel_));
  AppendLe32(headers, 0);  // uncompressed
  AppendLe32(headers, imageSize);
  std::memcpy(block, headers.data(), headers.size());  // 16 zero bytes follow
  for (uint32_t row = 0; row < height_; ++row) {
    std::memcpy(block + kPixelOffset + row * fileRow, pixels_ + static_cast<size_t>(row) * pitch_,
                rowBytes);
  }
  AdoptIntoMemoryBlock(target, block, capacity);
  return 1;
}
