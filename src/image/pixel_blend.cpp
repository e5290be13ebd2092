// Blends of a source with alpha over a destination: the opacity blends (3-byte destinations take
// the "over" rule, 4-byte and 16-bit destinations the composite that keeps destination alpha
// meaningful) and the blends with a layer mode.
#include <algorithm>

#include "image/pixel_access.h"
#include "image/pixel_members.h"

namespace {

// The 3-byte destination rule, shared by the opacity and the mode blends: a pixel whose alpha
// byte is 0 is skipped, one that is fully opaque after opacity replaces the destination.
void BlendOverBgr(uint8_t* dst, Bgra colour, uint8_t alphaByte, uint8_t t) {
  if (alphaByte == 0) return;
  if (t == 255) {
    PixelFormat<kPixelBgr>::Store(dst, colour);
    return;
  }
  dst[0] = MoveToward(dst[0], colour.b, t);
  dst[1] = MoveToward(dst[1], colour.g, t);
  dst[2] = MoveToward(dst[2], colour.r, t);
}

uint8_t CompositeChannel(uint8_t d, uint8_t s, uint32_t u, uint32_t w, uint32_t scale) {
  return static_cast<uint8_t>(((u * d + w * s) * scale) >> 16);
}

// Source s with effective alpha o over destination d.
Bgra Composite(Bgra s, Bgra d, uint32_t o) {
  if (o == 255) return s;
  if (o == 0) return IsZero(d) ? s : d;
  const uint32_t a = d.a;
  if (a == 0) return s;
  if (a == 255) {
    const int32_t t = static_cast<int32_t>(o);
    return {MoveToward(d.b, s.b, t), MoveToward(d.g, s.g, t), MoveToward(d.r, s.r, t), 255};
  }
  const uint32_t u = ((256 - o) * a) >> 8;
  const uint32_t w = (((256 - a) * o) >> 8) + (o * a) / 256;
  const uint32_t alpha = (u + w) | 1;  // at most 255 for o and a below 255
  const uint32_t scale = 65536 / alpha;
  return {CompositeChannel(d.b, s.b, u, w, scale), CompositeChannel(d.g, s.g, u, w, scale),
          CompositeChannel(d.r, s.r, u, w, scale), static_cast<uint8_t>(alpha)};
}

// Fills the all-zero pixel beside a blended row with the colour of the row's end and alpha 0, so
// that filtering across the rectangle's edge sees that colour rather than black.
template <int32_t Src, int32_t Dst>
void ExtendEdge(uint8_t* beside, const uint8_t* srcEnd) {
  if (!IsZero(PixelFormat<Dst>::Load(beside))) return;
  Bgra colour = PixelFormat<Src>::Load(srcEnd);
  colour.a = 0;
  PixelFormat<Dst>::Store(beside, colour);
}

bool IsKnownMode(int32_t mode) {
  return mode >= kBlendLinearDodge && mode <= kBlendDivide;
}

int32_t BlendChannel(int32_t mode, int32_t d, int32_t s) {
  switch (mode) {
    case kBlendLinearDodge:
      return std::min(255, d + s);
    case kBlendMultiply:
      return (d * (s + 1)) >> 8;
    case kBlendScreen:
      return d + s - ((d * (s + 1)) >> 8);
    case kBlendOverlay:
      return d >= 128 ? (d + s - d * s / 255) * 2 - 255 : 2 * d * s / 255;
    default:  // kBlendDivide
      return d == 255 ? 255 : std::min(255, s * 255 / (255 - d));
  }
}

Bgra BlendColour(int32_t mode, Bgra d, Bgra s) {
  return {static_cast<uint8_t>(BlendChannel(mode, d.b, s.b)),
          static_cast<uint8_t>(BlendChannel(mode, d.g, s.g)),
          static_cast<uint8_t>(BlendChannel(mode, d.r, s.r)), s.a};
}

// Dividing by a small destination alpha o would take the weighted sum past 255 (o = 1 and
// t = 255 give about 254 * S); such channels saturate instead of wrapping.
uint8_t ModeChannel(uint32_t s, uint32_t d, uint32_t blended, uint32_t v, uint32_t w, uint32_t k,
                    uint32_t scale) {
  const uint64_t value = (uint64_t{s * v + d * w + blended * k} * scale) >> 16;
  return static_cast<uint8_t>(std::min<uint64_t>(255, value));
}

// Source s blended by `mode` with effective alpha t over d, whose alpha stays.
Bgra BlendModeOverBgra(int32_t mode, Bgra s, Bgra d, uint32_t t) {
  const uint32_t o = d.a;
  if (t == 0) return o == 0 ? Bgra{s.b, s.g, s.r, 0} : d;
  if (o == 0) return d;
  const Bgra blended = BlendColour(mode, d, s);
  const uint32_t v = ((256 - o) * t) >> 8;
  const uint32_t w = ((256 - t) * o) >> 8;
  const uint32_t k = (o * t) >> 8;
  const uint32_t scale = 65536 / o;
  return {ModeChannel(s.b, d.b, blended.b, v, w, k, scale),
          ModeChannel(s.g, d.g, blended.g, v, w, k, scale),
          ModeChannel(s.r, d.r, blended.r, v, w, k, scale), d.a};
}

}  // namespace

void BuildOpacityTable(uint16_t opacity, uint8_t table[256]) {
  for (int32_t i = 0; i < 256; ++i) {
    table[i] = static_cast<uint8_t>(std::min(255, ((i + 1) * opacity) >> 8));
  }
}

template <int32_t Src>
int32_t BlendOntoBgr(const BlitParams* params) {
  uint8_t table[256];
  BuildOpacityTable(params->src.opacity, table);
  return ForEachBlitPixel<Src, kPixelBgr>(*params, [&](uint8_t* dst, const uint8_t* src) {
    const Bgra s = PixelFormat<Src>::Load(src);
    BlendOverBgr(dst, s, s.a, table[s.a]);
  });
}

template <int32_t Src, int32_t Dst>
int32_t CompositeOnto(const BlitParams* params) {
  using S = PixelFormat<Src>;
  using D = PixelFormat<Dst>;
  uint8_t table[256];
  BuildOpacityTable(params->src.opacity, table);
  return ForEachBlitRow(*params, S::kBytes, D::kBytes,
                        [&](const BlitRect& rect, uint8_t* dst, const uint8_t* src, int32_t) {
                          for (int32_t c = 0; c < rect.width; ++c) {
                            uint8_t* pixel = dst + c * D::kBytes;
                            const Bgra s = S::Load(src + c * S::kBytes);
                            D::Store(pixel, Composite(s, D::Load(pixel), table[s.a]));
                          }
                          if (rect.hasLeftPixel) ExtendEdge<Src, Dst>(dst - D::kBytes, src);
                          if (rect.hasRightPixel) {
                            ExtendEdge<Src, Dst>(dst + rect.width * D::kBytes,
                                                 src + (rect.width - 1) * S::kBytes);
                          }
                        });
}

int32_t BlendModeOntoBgr(const BlitParams* params) {
  const int32_t mode = params->blendMode;
  if (!IsKnownMode(mode)) return 0;
  uint8_t table[256];
  BuildOpacityTable(params->src.opacity, table);
  return ForEachBlitPixel<kPixelBgra, kPixelBgr>(*params, [&](uint8_t* dst, const uint8_t* src) {
    const Bgra s = PixelFormat<kPixelBgra>::Load(src);
    const Bgra blended = BlendColour(mode, PixelFormat<kPixelBgr>::Load(dst), s);
    BlendOverBgr(dst, blended, s.a, table[s.a]);
  });
}

int32_t BlendModeOntoBgra(const BlitParams* params) {
  const int32_t mode = params->blendMode;
  if (!IsKnownMode(mode)) return 0;
  uint8_t table[256];
  BuildOpacityTable(params->src.opacity, table);
  using P = PixelFormat<kPixelBgra>;
  return ForEachBlitPixel<kPixelBgra, kPixelBgra>(*params, [&](uint8_t* dst, const uint8_t* src) {
    const Bgra s = P::Load(src);
    P::Store(dst, BlendModeOverBgra(mode, s, P::Load(dst), table[s.a]));
  });
}

template int32_t BlendOntoBgr<kPixel4444>(const BlitParams*);
template int32_t BlendOntoBgr<kPixelBgra>(const BlitParams*);
template int32_t CompositeOnto<kPixel4444, kPixel4444>(const BlitParams*);
template int32_t CompositeOnto<kPixel4444, kPixelBgra>(const BlitParams*);
template int32_t CompositeOnto<kPixelBgra, kPixel4444>(const BlitParams*);
template int32_t CompositeOnto<kPixelBgra, kPixelBgra>(const BlitParams*);
