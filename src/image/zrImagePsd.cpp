#include "image/zrImagePsd.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace {

// The least data a plane can come from: two bytes of a run give at most 128 pixels, so a document
// cannot make a few bytes ask for gigabytes.
uint64_t LeastPlaneData(uint16_t compression, const PsdBounds& bounds) {
  const int64_t columns = int64_t{bounds.right} - bounds.left;
  const int64_t rows = int64_t{bounds.bottom} - bounds.top;
  if (columns <= 0 || rows <= 0) return 0;
  const uint64_t area = static_cast<uint64_t>(columns) * static_cast<uint64_t>(rows);
  return compression == kPsdRunLength ? area / 64 : area;
}

// Whether the channels hold at least that much data; checked before any plane is allocated.
bool HoldsEnoughData(const PsdLayerInfo& info) {
  if (info.merged) {
    const uint64_t available =
        static_cast<uint64_t>(info.channelEnd[kPsdRed] - info.channelData[kPsdRed]);
    return available >= 3 * LeastPlaneData(info.compression[kPsdRed], info.bounds);
  }
  for (int slot = 0; slot < kPsdChannelSlots; ++slot) {
    if (!info.channelData[slot]) continue;
    const uint64_t available =
        static_cast<uint64_t>(info.channelEnd[slot] - info.channelData[slot]);
    if (available < LeastPlaneData(info.compression[slot], info.bounds)) return false;
  }
  return true;
}

}  // namespace

bool zrImagePsd::Accepts(const MemoryBlock* source) {
  return source && ParsePsd(source->data, source->size, nullptr, 0, 0, nullptr) != 0;
}

int zrImagePsd::Load(const MemoryBlock* source, int32_t) {
  PsdLayerInfo info;
  if (!source || !ParsePsd(source->data, source->size, &info, 0, 0, nullptr)) return 0;
  return Decode(info);
}

int zrImagePsd::LoadLayer(const MemoryBlock* source, uint32_t index) {
  PsdLayerInfo info;
  int32_t blendCode = kPsdBlendNormal;
  if (!source || !ParsePsd(source->data, source->size, &info, index, 1, &blendCode)) return 0;
  if (!Decode(info)) return 0;
  compositionType_ = static_cast<uint32_t>(blendCode);
  return 1;
}

// Decodes the planes the record locates (for the merged image each starts where the previous one
// ended) and merges them into the buffer, the first row of the planes into the last buffer row.
int zrImagePsd::Decode(const PsdLayerInfo& info) {
  // The merged image's alpha channel is never read; a layer's is.
  const int planeCount = info.merged ? 3 : kPsdChannelSlots;
  const uint32_t width = info.width;
  const uint32_t height = info.height;
  if (!PictureFitsLimits(width, height, 4) || !HoldsEnoughData(info)) return 0;
  const size_t planeSize = size_t{width} * height;
  std::vector<uint8_t> planes;
  try {
    planes.assign(planeSize * kPsdChannelSlots, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const uint8_t* next = info.channelData[kPsdRed];
  for (int slot = 0; slot < planeCount; ++slot) {
    uint8_t* plane = planes.data() + slot * planeSize;
    const uint8_t* source = info.merged ? next : info.channelData[slot];
    if (!source) continue;
    next = DecodePlane(plane, source, info.channelEnd[slot], info.compression[slot], width, height,
                       info.bounds);
    if (!next) return 0;
  }
  if (!info.channelData[kPsdAlpha]) {
    std::fill(planes.begin() + kPsdAlpha * planeSize, planes.end(), 255);
  }

  const uint32_t pitch = width * 4;
  if (!Reserve(pitch * height)) return 0;
  SetGeometry(width, height, 4, static_cast<int32_t>(pitch));
  canvasWidth_ = static_cast<int32_t>(width);
  canvasHeight_ = static_cast<int32_t>(height);
  const uint8_t* red = planes.data();
  const uint8_t* green = red + planeSize;
  const uint8_t* blue = green + planeSize;
  const uint8_t* alpha = blue + planeSize;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* to = pixels_ + static_cast<size_t>(height - 1 - y) * pitch;
    for (size_t from = size_t{y} * width, last = from + width; from < last; ++from, to += 4) {
      to[0] = blue[from];
      to[1] = green[from];
      to[2] = red[from];
      to[3] = alpha[from];
    }
  }
  ClearTransparentColour();
  return 1;
}
