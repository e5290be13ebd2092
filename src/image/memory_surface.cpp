#include "image/memory_surface.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<uint64_t> callCount{0};

}  // namespace

MemorySurface::MemorySurface(uint32_t format, uint32_t width, uint32_t height, uint32_t pitch)
    : format_(format),
      width_(width),
      height_(height),
      pitch_(std::max(pitch, width * platform::SurfaceBytesPerPixel(format))),
      pixels_(static_cast<size_t>(pitch_) * height) {}

bool MemorySurface::Describe(platform::SurfaceDescription& description) {
  description = {format_, width_, height_};
  return true;
}

bool MemorySurface::Lock(const platform::SurfaceRect& rect, uint32_t flags,
                         platform::LockedPixels& locked) {
  Record(true, flags, rect);
  if (refuseLocks_ || locked_ || !Contains(rect)) return false;
  locked_ = true;
  locked.bits = Row(static_cast<uint32_t>(rect.top)) +
                static_cast<size_t>(rect.left) * platform::SurfaceBytesPerPixel(format_);
  locked.pitch = static_cast<int32_t>(pitch_);
  return true;
}

void MemorySurface::Unlock() {
  Record(false, 0, {0, 0, 0, 0});
  locked_ = false;
}

bool MemorySurface::Contains(const platform::SurfaceRect& rect) const {
  return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
         static_cast<uint32_t>(rect.right) <= width_ &&
         static_cast<uint32_t>(rect.bottom) <= height_;
}

void MemorySurface::Record(bool lock, uint32_t flags, const platform::SurfaceRect& rect) {
  calls_.push_back({lock, callCount.fetch_add(1), flags, rect});
}
