// Plain conversions: row copies, widening and narrowing between the formats, and the dithered
// narrowing of 4-byte pixels to 16 bits.
#include <algorithm>
#include <cstring>

#include "image/pixel_access.h"
#include "image/pixel_members.h"
#include "image/pixel_narrow_mmx.h"

namespace {

// Thresholds of the ordered dither by [row % 4][column % 4]. A low nibble at or above the
// threshold rounds its high nibble up; 16 never does, so a flat colour keeps some pixels down.
constexpr uint8_t kDitherMatrix[4][4] = {
    {5, 12, 7, 10},
    {13, 4, 15, 2},
    {6, 11, 8, 9},
    {14, 3, 16, 1},
};

uint8_t DitherNibble(uint8_t channel, uint8_t threshold) {
  const int32_t high = channel >> 4;
  return static_cast<uint8_t>((channel & 0x0F) >= threshold ? std::min(15, high + 1) : high);
}

// DitherNibble for every threshold (1 to 16) and channel value, so a pixel costs three lookups.
struct DitherTable {
  uint8_t nibble[17][256];
  DitherTable() : nibble() {
    for (int t = 1; t <= 16; ++t) {
      for (int v = 0; v < 256; ++v) {
        nibble[t][v] = DitherNibble(static_cast<uint8_t>(v), static_cast<uint8_t>(t));
      }
    }
  }
};

int32_t DitherBgraTo4444(const BlitParams& params) {
  constexpr int32_t kSrcBytes = 4, kDstBytes = 2;
  static const DitherTable table;
  return ForEachBlitRow(
      params, kSrcBytes, kDstBytes,
      [](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t r) {
        const uint8_t* thresholds = kDitherMatrix[(rect.firstRow + r) & 3];
        for (int32_t c = 0; c < rect.width; ++c, dst += kDstBytes, src += kSrcBytes) {
          const uint8_t* nibble = table.nibble[thresholds[(rect.firstColumn + c) & 3]];
          dst[0] = static_cast<uint8_t>((nibble[src[1]] << 4) | nibble[src[0]]);
          dst[1] = static_cast<uint8_t>((src[3] & 0xF0) | nibble[src[2]]);
        }
      });
}

}  // namespace

template <int32_t Format>
int32_t CopyRows(const BlitParams* params) {
  constexpr int32_t kBytes = PixelFormat<Format>::kBytes;
  return ForEachBlitRow(*params, kBytes, kBytes,
                        [](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t) {
                          std::memmove(dst, src, static_cast<size_t>(rect.width) * kBytes);
                        });
}

template <int32_t Src, int32_t Dst>
int32_t ConvertPixels(const BlitParams* params) {
  return ForEachBlitPixel<Src, Dst>(*params, [](uint8_t* dst, const uint8_t* src) {
    PixelFormat<Dst>::Store(dst, PixelFormat<Src>::Load(src));
  });
}

int32_t ConvertBgraTo4444(const BlitParams* params) {
  if (params->dither) return DitherBgraTo4444(*params);
  if (!CanNarrowWithMmx()) return ConvertPixels<kPixelBgra, kPixel4444>(params);
  return ForEachBlitRow(*params, 4, 2,
                        [](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t) {
                          NarrowBgraRowMmx(dst, src, rect.width);
                        });
}

template int32_t CopyRows<kPixel4444>(const BlitParams*);
template int32_t CopyRows<kPixelBgr>(const BlitParams*);
template int32_t CopyRows<kPixelBgra>(const BlitParams*);
template int32_t ConvertPixels<kPixel4444, kPixelBgr>(const BlitParams*);
template int32_t ConvertPixels<kPixel4444, kPixelBgra>(const BlitParams*);
template int32_t ConvertPixels<kPixelBgr, kPixel4444>(const BlitParams*);
template int32_t ConvertPixels<kPixelBgr, kPixelBgra>(const BlitParams*);
template int32_t ConvertPixels<kPixelBgra, kPixel4444>(const BlitParams*);
template int32_t ConvertPixels<kPixelBgra, kPixelBgr>(const BlitParams*);
