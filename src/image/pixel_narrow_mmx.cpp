#include "image/pixel_narrow_mmx.h"

#include <cstring>

#include "image/pixel_access.h"
#include "system/zrCaps.h"

#if defined(__i386__) || defined(__x86_64__)
#include <mmintrin.h>
#define ZR_HAS_MMX_PATH 1
#else
#define ZR_HAS_MMX_PATH 0
#endif

namespace {

#if ZR_HAS_MMX_PATH
// Narrows the pixel pairs of a row; returns how many pixels it did. Each 16-bit lane holds one
// output byte: lane (high << 8) | low gives (high & 0xF0) | low >> 4, so the green:blue and
// alpha:red lanes become the two bytes of a 16-bit pixel.
__attribute__((target("mmx"))) int32_t NarrowPairsMmx(uint8_t* dst, const uint8_t* src,
                                                      int32_t width) {
  const __m64 highNibbles = _mm_set1_pi8(static_cast<char>(0xF0));
  const __m64 lowNibble = _mm_set1_pi16(0x000F);
  int32_t c = 0;
  for (; c + 2 <= width; c += 2) {
    __m64 pixels;
    std::memcpy(&pixels, src + 4 * c, 8);
    const __m64 high = _mm_and_si64(pixels, highNibbles);
    const __m64 lanes =
        _mm_or_si64(_mm_srli_pi16(high, 8), _mm_and_si64(_mm_srli_pi16(high, 4), lowNibble));
    const int32_t packed = _mm_cvtsi64_si32(_mm_packs_pu16(lanes, lanes));
    std::memcpy(dst + 2 * c, &packed, 4);
  }
  _mm_empty();
  return c;
}
#endif

}  // namespace

bool CanNarrowWithMmx() {
  zrCaps* caps = zrCaps::Current();
  return ZR_HAS_MMX_PATH && caps != nullptr && caps->GetCpuInfo()->hasMmx != 0;
}

void NarrowBgraRowMmx(uint8_t* dst, const uint8_t* src, int32_t width) {
  int32_t c = 0;
#if ZR_HAS_MMX_PATH
  c = NarrowPairsMmx(dst, src, width);
#endif
  for (; c < width; ++c) {
    PixelFormat<kPixel4444>::Store(dst + 2 * c, PixelFormat<kPixelBgra>::Load(src + 4 * c));
  }
}
