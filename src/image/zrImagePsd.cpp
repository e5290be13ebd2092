#include "image/zrImagePsd.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kHeaderSize = 26;
constexpr uint16_t kRgb = 3;
constexpr uint16_t kDuotone = 8;
constexpr uint16_t kChannelDepth = 8;
constexpr uint16_t kRunLength = 1;

uint32_t Big16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0] << 8 | p[1]);
}

uint32_t Big32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Skips a section that starts with its 32-bit length; false when it leaves the block.
bool SkipSection(const uint8_t*& at, const uint8_t* end) {
  if (end - at < 4) return false;
  const uint32_t length = Big32(at);
  if (static_cast<uint64_t>(end - at - 4) < length) return false;
  at += 4 + length;
  return true;
}

// Decodes one plane of width x height bytes from `at`, which moves past it; false when the data
// ends first. In run-length data a header n below 128 copies n + 1 bytes, one above 128 repeats
// the next byte 257 - n times, and 128 does nothing, as every writer of the format means it.
bool DecodePlane(const uint8_t*& at, const uint8_t* end, uint16_t compression, uint32_t width,
                 uint32_t height, uint8_t* plane) {
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* row = plane + static_cast<size_t>(y) * width;
    if (compression != kRunLength) {
      if (static_cast<uint64_t>(end - at) < width) return false;
      std::memcpy(row, at, width);
      at += width;
      continue;
    }
    for (uint32_t x = 0; x < width;) {
      if (at == end) return false;
      const uint8_t header = *at++;
      if (header == 128) continue;
      if (header < 128) {
        const uint32_t count = header + 1u;
        if (static_cast<uint64_t>(end - at) < count) return false;
        // Bytes beyond the row are read and dropped, as a writer may run past it.
        std::memcpy(row + x, at, std::min(count, width - x));
        at += count;
        x += count;
      } else {
        const uint32_t count = 257u - header;
        if (at == end) return false;
        std::memset(row + x, *at++, std::min(count, width - x));
        x += count;
      }
    }
  }
  return true;
}

}  // namespace

int ParsePsd(const uint8_t* data, uint32_t size, PsdMergedImage* merged) {
  // The check of the colour mode data length reads two bytes past the header.
  if (!data || size < kHeaderSize + 2 || std::memcmp(data, "8BPS", 4) != 0) return 0;
  const uint32_t mode = Big16(data + 24);
  const uint32_t modeDataHigh = Big16(data + 26);
  // Only 8-bit channels are read: deeper ones would come out as noise.
  if ((mode != kRgb && mode != kDuotone) || (modeDataHigh != 0 && modeDataHigh != 3) ||
      Big16(data + 22) != kChannelDepth) {
    return 0;
  }
  const uint32_t channels = Big16(data + 12);
  const uint32_t height = Big16(data + 16);  // the low halves of the 32-bit sizes
  const uint32_t width = Big16(data + 20);
  const uint8_t* end = data + size;
  const uint8_t* at = data + kHeaderSize;
  for (int section = 0; section < 3; ++section) {  // colour mode data, resources, layers
    if (!SkipSection(at, end)) return 0;
  }
  if (end - at < 2 || channels < 3 || width == 0 || height == 0) return 0;
  const auto compression = static_cast<uint16_t>(Big16(at));
  at += 2;
  if (compression == kRunLength) {
    const uint64_t table = uint64_t{channels} * height * 2;  // row byte counts, not needed
    if (static_cast<uint64_t>(end - at) < table) return 0;
    at += table;
  }
  if (merged) *merged = {width, height, compression, at, end};
  return 1;
}

bool zrImagePsd::Accepts(const MemoryBlock* source) {
  return source && ParsePsd(source->data, source->size, nullptr) != 0;
}

int zrImagePsd::Load(const MemoryBlock* source, int32_t) {
  PsdMergedImage merged;
  if (!source || !ParsePsd(source->data, source->size, &merged)) return 0;
  const uint32_t width = merged.width;
  const uint32_t height = merged.height;
  const size_t planeSize = size_t{width} * height;
  // The picture limit, and data that could fill the three planes at all: two bytes of a run give
  // at most 128, so a document cannot make a few bytes ask for gigabytes.
  const uint64_t available = static_cast<uint64_t>(merged.end - merged.planes);
  const uint64_t needed = merged.compression == kRunLength ? planeSize * 3 / 64 : planeSize * 3;
  if (!PictureFitsLimits(width, height, 4) || available < needed) return 0;
  std::vector<uint8_t> planes;
  try {
    planes.assign(planeSize * 3, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const uint8_t* at = merged.planes;
  for (int plane = 0; plane < 3; ++plane) {
    if (!DecodePlane(at, merged.end, merged.compression, width, height,
                     planes.data() + plane * planeSize)) {
      return 0;
    }
  }
  const uint32_t pitch = width * 4;
  if (!Reserve(pitch * height)) return 0;
  SetGeometry(width, height, 4, static_cast<int32_t>(pitch));
  canvasWidth_ = static_cast<int32_t>(width);
  canvasHeight_ = static_cast<int32_t>(height);
  const uint8_t* red = planes.data();
  const uint8_t* green = red + planeSize;
  const uint8_t* blue = green + planeSize;
  for (uint32_t y = 0; y < height; ++y) {
    uint8_t* to = pixels_ + static_cast<size_t>(height - 1 - y) * pitch;
    for (uint32_t x = 0; x < width; ++x, to += 4) {
      const size_t from = static_cast<size_t>(y) * width + x;
      to[0] = blue[from];
      to[1] = green[from];
      to[2] = red[from];
      to[3] = 255;
    }
  }
  ClearTransparentColour();
  return 1;
}
