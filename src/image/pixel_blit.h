// Rectangle converters between the engine's three raw pixel formats: copy, convert, dither, blend
// and fill rectangles of pixel surfaces held by the caller. Each converter takes one parameter
// record and is reached through one of the four dispatch tables below, indexed by format code;
// index 0 and the pairs a table does not serve hold null.
//
// Pixel formats (little-endian, no padding between pixels of a row):
//   1 = 16-bit word, bits 0-3 blue, 4-7 green, 8-11 red, 12-15 alpha;
//   2 = 3 bytes blue, green, red (opaque);
//   3 = 4 bytes blue, green, red, alpha.
// A 4-bit channel v widens to 8 bits as v * 17; an 8-bit channel narrows to its high 4 bits.
//
// Addressing: destination row r of the rectangle starts at
//   dst.pixels + (dst.y + r) * dst.pitch + dst.x * bytes per pixel,
// source row r at src.pixels + (src.y + r) * src.pitch + src.x * bytes per pixel; with `flip` set
// source row r is surface row src.height - src.y - 1 - r instead (the source read bottom up).
// Every converter handles src.copyWidth pixels in each of src.copyHeight rows, clipped to both
// surfaces (rows and columns outside either surface are skipped, so a converter never touches
// memory outside the surfaces it was given). The formats come from the table position; the
// bytesPerPixel fields of the source and destination are informative only.
//
// Results: 1 when done (also when the clipped rectangle is empty); 0 when a surface needed for a
// non-empty rectangle has no pixels, or for the unknown blend mode / missing mask named below.
#pragma once

#include <cstdint>

constexpr int32_t kPixel4444 = 1;  // 16-bit 4:4:4:4
constexpr int32_t kPixelBgr = 2;   // 3-byte
constexpr int32_t kPixelBgra = 3;  // 4-byte
constexpr int32_t kPixelFormatSlots = 4;

// Blend modes of the mode blend (per colour channel, source S onto destination D):
constexpr int32_t kBlendLinearDodge = 1;  // min(255, D + S)
constexpr int32_t kBlendMultiply = 2;     // (D * (S + 1)) >> 8
constexpr int32_t kBlendScreen = 3;       // D + S - ((D * (S + 1)) >> 8)
constexpr int32_t kBlendOverlay = 4;      // D >= 128: (D + S - D*S/255) * 2 - 255; else 2*D*S/255
constexpr int32_t kBlendDivide = 5;       // D = 255: 255; else min(255, S * 255 / (255 - D))

struct BlitDestination {
  int32_t bytesPerPixel;
  uint8_t* pixels;
  int32_t width;  // surface size
  int32_t height;
  int32_t x;  // rectangle origin
  int32_t y;
  int32_t ignoredWidth;  // the copy size is the source's
  int32_t ignoredHeight;
  int32_t pitch;  // bytes from one row to the next
  uint16_t ignoredWord;
};

struct BlitSource {
  int32_t bytesPerPixel;
  const uint8_t* pixels;
  int32_t width;  // surface size
  int32_t height;
  int32_t x;  // rectangle origin
  int32_t y;
  int32_t copyWidth;  // the rectangle size, for both sides
  int32_t copyHeight;
  int32_t pitch;
  uint16_t opacity;  // of the opacity and mode blends; 256 = fully opaque
};

// The alpha byte source of the mask-to-alpha member: a surface of its own with 1 or 4 bytes per
// pixel (1 = the byte itself, 4 = the alpha byte of a 4-byte pixel), read at the source
// rectangle's position (src.x, src.y, with `flip` applied against the mask's height).
struct BlitMask {
  int32_t bytesPerPixel;
  const uint8_t* pixels;
  int32_t width;
  int32_t height;
  int32_t pitch;
};

// Which alpha the alpha members multiply by: `channel` (1 blue, 2 green, 3 red; values outside are
// clamped) for channel-to-alpha, `mask` for mask-to-alpha.
struct BlitAlphaSource {
  int32_t channel;
  const BlitMask* mask;
};

struct BlitParams {
  BlitDestination dst;
  BlitSource src;
  int32_t flip;    // non-zero: source rows bottom up
  int32_t dither;  // non-zero: 4-byte to 16-bit conversion dithers with a 4 x 4 matrix
  BlitAlphaSource alphaSource;
  int32_t blendMode;  // kBlend*
};

// pitch 0 means width * bytesPerPixel rounded up to a multiple of 4.
struct FillParams {
  int32_t bytesPerPixel;
  uint8_t* pixels;
  int32_t pitch;
  int32_t width;  // surface size
  int32_t height;
  int32_t x;  // rectangle
  int32_t y;
  int32_t fillWidth;
  int32_t fillHeight;
  uint32_t colour;  // 0xAARRGGBB
};

using BlitFunction = int32_t (*)(const BlitParams* params);
using FillFunction = int32_t (*)(const FillParams* params);

// [source][destination]: a row copy for equal formats, else each pixel widened or narrowed
// (a 3-byte source gives alpha 255, a 3-byte destination drops alpha). 4-byte to 16-bit honours
// `dither`: each colour's high nibble rounds up (at most to 15) where its low nibble reaches the
// matrix threshold of the pixel's column and row within the rectangle, taken modulo 4.
extern const BlitFunction kConvertTable[kPixelFormatSlots][kPixelFormatSlots];

// [source][destination]: blends the source over the destination with src.opacity. Each source
// alpha A becomes the effective alpha t = min(255, ((A + 1) * opacity) >> 8).
//  - 3-byte destination: a pixel with alpha byte 0 is skipped, one with t = 255 is copied, any
//    other moves each channel by ((S - D) * t) >> 8.
//  - 4-byte destination ("composite"): t = 255 copies the pixel; t = 0 copies it only onto an all
//    zero pixel; otherwise destination alpha 0 takes the pixel, 255 moves each channel by
//    ((S - D) * t) >> 8, any other alpha a composites with weights u = ((256 - t) * a) >> 8 and
//    w = ((256 - a) * t) >> 8 + t * a / 256 into alpha (u + w) | 1. An all-zero pixel just left
//    or right of the rectangle receives the colour of the row's first / last source pixel with
//    alpha 0, so that filtering at the rectangle's edge does not bleed black.
//  - 16-bit pixels take part as the 4-byte pixels they widen to; a 16-bit destination receives
//    the narrowed result (16-bit to 3-byte follows the 3-byte rule, the others the composite).
//  - A 3-byte source is opaque: those entries are the plain conversions.
extern const BlitFunction kOpacityBlendTable[kPixelFormatSlots][kPixelFormatSlots];

// [3][2] and [3][3]: the 4-byte source blended by `blendMode` (kBlend*); 0 for another mode.
//  - 3-byte destination: as the opacity blend's 3-byte rule with the blended colour in place of
//    the source colour.
//  - 4-byte destination with alpha o: t = 0 and o = 0 takes the source colour with alpha 0;
//    t = 0 with o > 0 and t > 0 with o = 0 leave the pixel; otherwise, with v = ((256 - o) * t)
//    >> 8, w = ((256 - t) * o) >> 8 and k = (o * t) >> 8, each channel becomes
//    ((S * v + D * w + blended * k) * (65536 / o)) >> 16, at most 255; alpha stays.
extern const BlitFunction kModeBlendTable[kPixelFormatSlots][kPixelFormatSlots];

struct AlphaFillTable {
  // 3-byte source onto a 4-byte destination: alpha = ((alpha + 1) * (channel + 1) - 1) >> 8.
  BlitFunction channelToAlpha;
  // 4-byte destination: alpha = ((alpha + 1) * (mask byte + 1) - 1) >> 8; 0 without a mask of
  // 1 or 4 bytes per pixel.
  BlitFunction maskToAlpha;
  // [format]: fills the rectangle with the colour. 16-bit writes its narrowed word, 4-byte the
  // colour's four bytes. 3-byte leaves the surface for alpha 0, writes blue, green, red for alpha
  // 255 and moves each byte by ((C - D) * alpha) >> 8 between.
  FillFunction fill[kPixelFormatSlots];
};
extern const AlphaFillTable kAlphaFillTable;
