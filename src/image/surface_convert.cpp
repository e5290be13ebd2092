#include "image/surface_convert.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/little_endian.h"

using platform::LockedPixels;
using platform::PixelSurface;
using platform::SurfaceDescription;

namespace {

// Converts `pixels` pixels of one row.
using RowFunction = void (*)(const uint8_t* source, uint8_t* destination, uint32_t pixels);

// Both surfaces must be of the formats the row function reads and writes: a row of any other
// format would be read or written past its end.
int ConvertSurfaces(PixelSurface* source, PixelSurface* destination, uint32_t sourceFormat,
                    uint32_t destinationFormat, RowFunction convertRow) {
  SurfaceDescription from;
  SurfaceDescription to;
  if (!source || !destination || !source->Describe(from) || !destination->Describe(to)) return 0;
  if (from.format != sourceFormat || to.format != destinationFormat) return 0;
  const uint32_t width = std::min(from.width, to.width);
  const uint32_t height = std::min(from.height, to.height);
  if (width == 0 || height == 0) return 0;
  const platform::SurfaceRect shared = {0, 0, static_cast<int32_t>(width),
                                        static_cast<int32_t>(height)};
  LockedPixels read;
  if (!source->Lock(shared, platform::kSurfaceLockReadOnly | platform::kSurfaceLockNoDirtyUpdate,
                    read)) {
    return 0;
  }
  LockedPixels written;
  if (!destination->Lock(shared, 0, written)) {
    source->Unlock();
    return 0;
  }
  for (uint32_t row = 0; row < height; ++row) {
    convertRow(read.bits + static_cast<ptrdiff_t>(row) * read.pitch,
               written.bits + static_cast<ptrdiff_t>(row) * written.pitch, width);
  }
  source->Unlock();
  destination->Unlock();
  return 1;
}

template <uint32_t kFormat>
void CopyRow(const uint8_t* source, uint8_t* destination, uint32_t pixels) {
  std::memcpy(destination, source,
              static_cast<size_t>(pixels) * platform::SurfaceBytesPerPixel(kFormat));
}

// 32-bit pixels copied with the byte after red set to `kFourth`.
template <uint8_t kFourth>
void CopyWithFourthByte(const uint8_t* source, uint8_t* destination, uint32_t pixels) {
  for (uint32_t i = 0; i < pixels; ++i, source += 4, destination += 4) {
    std::memcpy(destination, source, 3);
    destination[3] = kFourth;
  }
}

// Opaque 4-bit channels from the high four bits of 5-bit blue and red and of a green of
// `kGreenBits` bits (5 or 6) just above blue.
template <int kGreenBits>
uint16_t ToArgb4444(uint16_t pixel) {
  const int greenHigh = 5 + kGreenBits - 4;
  const int redHigh = 5 + kGreenBits + 1;
  return static_cast<uint16_t>(0xF000 | (((pixel >> redHigh) & 0xF) << 8) |
                               (((pixel >> greenHigh) & 0xF) << 4) | ((pixel >> 1) & 0xF));
}

template <uint16_t (*kConvert)(uint16_t)>
void ConvertWords(const uint8_t* source, uint8_t* destination, uint32_t pixels) {
  for (uint32_t i = 0; i < pixels; ++i, source += 2, destination += 2) {
    const uint16_t word = kConvert(LoadLe16(source));
    destination[0] = static_cast<uint8_t>(word);
    destination[1] = static_cast<uint8_t>(word >> 8);
  }
}

template <uint32_t kFrom, uint32_t kTo, RowFunction kRow>
int Converter(PixelSurface* source, PixelSurface* destination) {
  return ConvertSurfaces(source, destination, kFrom, kTo, kRow);
}

template <uint32_t kFormat>
constexpr SurfaceConverter kCopy = Converter<kFormat, kFormat, CopyRow<kFormat>>;

constexpr SurfaceConverter kFrom1555 =
    Converter<platform::kSurfaceXrgb1555, platform::kSurfaceArgb4444, ConvertWords<ToArgb4444<5>>>;
constexpr SurfaceConverter kFromA1555 =
    Converter<platform::kSurfaceArgb1555, platform::kSurfaceArgb4444, ConvertWords<ToArgb4444<5>>>;
constexpr SurfaceConverter kFrom565 =
    Converter<platform::kSurfaceRgb565, platform::kSurfaceArgb4444, ConvertWords<ToArgb4444<6>>>;
constexpr SurfaceConverter kDropAlpha =
    Converter<platform::kSurfaceArgb8888, platform::kSurfaceXrgb8888, CopyWithFourthByte<0x00>>;
constexpr SurfaceConverter kAddAlpha =
    Converter<platform::kSurfaceXrgb8888, platform::kSurfaceArgb8888, CopyWithFourthByte<0xFF>>;

}  // namespace

const SurfaceConverter
    kSurfaceConverters[platform::kSurfaceFormatCount][platform::kSurfaceFormatCount] = {
        {kCopy<0>, kDropAlpha, nullptr, nullptr, nullptr, nullptr},
        {kAddAlpha, kCopy<1>, nullptr, nullptr, nullptr, nullptr},
        {nullptr, nullptr, kCopy<2>, nullptr, nullptr, nullptr},
        {nullptr, nullptr, kFrom1555, kCopy<3>, nullptr, nullptr},
        {nullptr, nullptr, kFromA1555, nullptr, kCopy<4>, nullptr},
        {nullptr, nullptr, kFrom565, nullptr, nullptr, kCopy<5>},
};
