// What every rectangle converter shares: pixels of the three formats read as and written from one
// 4-byte form, and the clipped walk over the rows of a rectangle (flipped source rows included).
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/pixel_blit.h"

struct Bgra {
  uint8_t b, g, r, a;
};

inline bool IsZero(Bgra p) {
  return (p.b | p.g | p.r | p.a) == 0;
}

template <int32_t Format>
struct PixelFormat;

template <>
struct PixelFormat<kPixel4444> {
  static constexpr int32_t kBytes = 2;
  static Bgra Load(const uint8_t* p) {
    return {static_cast<uint8_t>((p[0] & 0x0F) * 17), static_cast<uint8_t>((p[0] >> 4) * 17),
            static_cast<uint8_t>((p[1] & 0x0F) * 17), static_cast<uint8_t>((p[1] >> 4) * 17)};
  }
  static void Store(uint8_t* p, Bgra c) {
    p[0] = static_cast<uint8_t>((c.g & 0xF0) | (c.b >> 4));
    p[1] = static_cast<uint8_t>((c.a & 0xF0) | (c.r >> 4));
  }
};

template <>
struct PixelFormat<kPixelBgr> {
  static constexpr int32_t kBytes = 3;
  static Bgra Load(const uint8_t* p) { return {p[0], p[1], p[2], 255}; }
  static void Store(uint8_t* p, Bgra c) {
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
  }
};

template <>
struct PixelFormat<kPixelBgra> {
  static constexpr int32_t kBytes = 4;
  static Bgra Load(const uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }
  static void Store(uint8_t* p, Bgra c) {
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    p[3] = c.a;
  }
};

// The rectangle of one call after clipping to both surfaces.
struct BlitRect {
  uint8_t* dst;        // first pixel of the first destination row
  const uint8_t* src;  // first pixel of the first source row (the bottom one when flipped)
  ptrdiff_t dstStep;   // bytes to the next row
  ptrdiff_t srcStep;   // negative when flipped
  int32_t width;
  int32_t height;
  int32_t firstColumn;  // of the requested rectangle, > 0 when clipping cut its left part
  int32_t firstRow;     // likewise for its top
  bool hasLeftPixel;    // the destination has a column just left of the rectangle
  bool hasRightPixel;   // and one just right of it
};

// Clips the rectangle of `params` to both surfaces. 1 with `rect` filled (width or height 0 when
// nothing is left), 0 when a non-empty rectangle meets a surface without pixels.
int32_t ClipBlit(const BlitParams& params, int32_t srcBytes, int32_t dstBytes, BlitRect* rect);

// Calls rowFn(rect, dstRow, srcRow, rowIndex) for each row of the clipped rectangle.
template <class RowFn>
int32_t ForEachBlitRow(const BlitParams& params, int32_t srcBytes, int32_t dstBytes, RowFn rowFn) {
  BlitRect rect;
  if (!ClipBlit(params, srcBytes, dstBytes, &rect)) return 0;
  for (int32_t r = 0; r < rect.height; ++r) {
    rowFn(rect, rect.dst + r * rect.dstStep, rect.src + r * rect.srcStep, r);
  }
  return 1;
}

// Calls pixelFn(dstPixel, srcPixel) for each pixel pair of the clipped rectangle.
template <int32_t Src, int32_t Dst, class PixelFn>
int32_t ForEachBlitPixel(const BlitParams& params, PixelFn pixelFn) {
  constexpr int32_t kSrcBytes = PixelFormat<Src>::kBytes;
  constexpr int32_t kDstBytes = PixelFormat<Dst>::kBytes;
  return ForEachBlitRow(params, kSrcBytes, kDstBytes,
                        [&](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t) {
                          for (int32_t c = 0; c < rect.width; ++c) {
                            pixelFn(dst + c * kDstBytes, src + c * kSrcBytes);
                          }
                        });
}

// Calls pixelFn(pixel) for each pixel of the fill rectangle clipped to the surface; 0 when a
// non-empty rectangle has no pixels.
int32_t ClipFill(const FillParams& params, int32_t bytes, uint8_t** first, ptrdiff_t* step,
                 int32_t* width, int32_t* height);

template <class PixelFn>
int32_t ForEachFillPixel(const FillParams& params, int32_t bytes, PixelFn pixelFn) {
  uint8_t* first;
  ptrdiff_t step;
  int32_t width, height;
  if (!ClipFill(params, bytes, &first, &step, &width, &height)) return 0;
  for (int32_t r = 0; r < height; ++r) {
    for (int32_t c = 0; c < width; ++c) pixelFn(first + r * step + c * bytes);
  }
  return 1;
}

// Signed products shifted right by 8, rounding toward minus infinity on every compiler.
inline int32_t FloorShift8(int32_t value) {
  return value >= 0 ? value >> 8 : -((-value + 255) >> 8);
}

// D moved toward S by weight/256.
inline uint8_t MoveToward(uint8_t d, uint8_t s, int32_t weight) {
  return static_cast<uint8_t>(d + FloorShift8((s - d) * weight));
}
