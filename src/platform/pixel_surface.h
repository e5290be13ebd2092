// A surface of pixels as the surface converters see it: it describes itself, lends a rectangle of
// its pixels while locked and takes them back when unlocked. On Windows the engine's graphics
// surfaces stand behind it; anywhere, plain pixels in memory can.
#pragma once

#include <cstdint>

namespace platform {

// Pixel formats of the surfaces, by code (16-bit words are little-endian).
constexpr uint32_t kSurfaceArgb8888 = 0;  // blue, green, red, alpha bytes
constexpr uint32_t kSurfaceXrgb8888 = 1;  // blue, green, red, a byte without meaning
constexpr uint32_t kSurfaceArgb4444 = 2;  // bits 0-3 blue, 4-7 green, 8-11 red, 12-15 alpha
constexpr uint32_t kSurfaceXrgb1555 = 3;  // bits 0-4 blue, 5-9 green, 10-14 red, 15 ignored
constexpr uint32_t kSurfaceArgb1555 = 4;  // as above, bit 15 alpha
constexpr uint32_t kSurfaceRgb565 = 5;    // bits 0-4 blue, 5-10 green, 11-15 red
constexpr uint32_t kSurfaceFormatCount = 6;

// The bytes one pixel of `format` takes; 0 for a code that names no format.
constexpr uint32_t SurfaceBytesPerPixel(uint32_t format) {
  return format < 2 ? 4 : format < kSurfaceFormatCount ? 2 : 0;
}

// Lock flags, with the values the graphics system gives them.
constexpr uint32_t kSurfaceLockReadOnly = 0x10;
constexpr uint32_t kSurfaceLockNoDirtyUpdate = 0x8000;

struct SurfaceDescription {
  uint32_t format;
  uint32_t width;
  uint32_t height;
};

// Right and bottom are exclusive.
struct SurfaceRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The rectangle's first pixel, and the bytes from one of its rows to the next.
struct LockedPixels {
  uint8_t* bits;
  int32_t pitch;
};

class PixelSurface {
 public:
  virtual ~PixelSurface() = default;

  // False when the surface cannot say, or holds pixels of a format without a code.
  virtual bool Describe(SurfaceDescription& description) = 0;
  // Lends the pixels of `rect` until Unlock; false when the surface refuses.
  virtual bool Lock(const SurfaceRect& rect, uint32_t flags, LockedPixels& locked) = 0;
  virtual void Unlock() = 0;
};

}  // namespace platform
