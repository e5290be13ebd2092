// Members that touch only the alpha of a 4-byte destination (multiplying it by a source channel
// or a mask), and the rectangle fills.
#include <algorithm>

#include "image/pixel_access.h"
#include "image/pixel_members.h"

namespace {

// alpha * factor / 255 without a division: 255 keeps the other value, 0 gives 0.
uint8_t ScaleAlpha(uint8_t alpha, uint8_t factor) {
  return static_cast<uint8_t>(((alpha + 1) * (factor + 1) - 1) >> 8);
}

Bgra ColourToBgra(uint32_t colour) {
  return {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
          static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 24)};
}

}  // namespace

int32_t ChannelToAlpha(const BlitParams* params) {
  const int32_t channel = std::clamp(params->alphaSource.channel, 1, 3) - 1;
  return ForEachBlitPixel<kPixelBgr, kPixelBgra>(*params, [&](uint8_t* dst, const uint8_t* src) {
    dst[3] = ScaleAlpha(dst[3], src[channel]);
  });
}

int32_t MaskToAlpha(const BlitParams* params) {
  const BlitMask* mask = params->alphaSource.mask;
  if (mask == nullptr || (mask->bytesPerPixel != 1 && mask->bytesPerPixel != 4)) return 0;
  // The mask takes the source's place; the rectangle stays the source's.
  BlitParams masked = *params;
  masked.src.bytesPerPixel = mask->bytesPerPixel;
  masked.src.pixels = mask->pixels;
  masked.src.width = mask->width;
  masked.src.height = mask->height;
  masked.src.pitch = mask->pitch;
  const int32_t bytes = mask->bytesPerPixel;
  const int32_t alphaByte = bytes - 1;  // the byte itself, or the alpha of a 4-byte pixel
  return ForEachBlitRow(masked, bytes, 4,
                        [&](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t) {
                          for (int32_t c = 0; c < rect.width; ++c) {
                            uint8_t& alpha = dst[c * 4 + 3];
                            alpha = ScaleAlpha(alpha, src[c * bytes + alphaByte]);
                          }
                        });
}

int32_t Fill4444(const FillParams* params) {
  uint8_t word[2];
  PixelFormat<kPixel4444>::Store(word, ColourToBgra(params->colour));
  return ForEachFillPixel(*params, 2, [&](uint8_t* pixel) {
    pixel[0] = word[0];
    pixel[1] = word[1];
  });
}

int32_t FillBgr(const FillParams* params) {
  const Bgra colour = ColourToBgra(params->colour);
  if (colour.a == 0) return 1;
  return ForEachFillPixel(*params, 3, [&](uint8_t* pixel) {
    if (colour.a == 255) {
      PixelFormat<kPixelBgr>::Store(pixel, colour);
      return;
    }
    pixel[0] = MoveToward(pixel[0], colour.b, colour.a);
    pixel[1] = MoveToward(pixel[1], colour.g, colour.a);
    pixel[2] = MoveToward(pixel[2], colour.r, colour.a);
  });
}

int32_t FillBgra(const FillParams* params) {
  const Bgra colour = ColourToBgra(params->colour);
  return ForEachFillPixel(*params, 4,
                          [&](uint8_t* pixel) { PixelFormat<kPixelBgra>::Store(pixel, colour); });
}
