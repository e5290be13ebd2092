// Plain pixels in memory behind the surface interface, for whoever holds pixels of their own and
// for the tests, which can make it refuse locks and read back the order of its lock calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/pixel_surface.h"

class MemorySurface : public platform::PixelSurface {
 public:
  struct Call {
    bool lock;       // false: an unlock
    uint64_t order;  // ascending across every memory surface of the process
    uint32_t flags;
    platform::SurfaceRect rect;
  };

  // Zero-filled rows of `pitch` bytes; a pitch below a row's bytes is raised to them.
  MemorySurface(uint32_t format, uint32_t width, uint32_t height, uint32_t pitch = 0);

  bool Describe(platform::SurfaceDescription& description) override;
  // Refused while locked, when told to refuse, and for a rectangle that is empty or not inside.
  bool Lock(const platform::SurfaceRect& rect, uint32_t flags,
            platform::LockedPixels& locked) override;
  void Unlock() override;

  void RefuseLocks(bool refuse) { refuseLocks_ = refuse; }
  bool IsLocked() const { return locked_; }
  const std::vector<Call>& Calls() const { return calls_; }

  uint32_t Pitch() const { return pitch_; }
  uint8_t* Row(uint32_t y) { return pixels_.data() + static_cast<size_t>(y) * pitch_; }
  std::vector<uint8_t>& Bytes() { return pixels_; }

 private:
  bool Contains(const platform::SurfaceRect& rect) const;
  void Record(bool lock, uint32_t flags, const platform::SurfaceRect& rect);

  uint32_t format_;
  uint32_t width_;
  uint32_t height_;
  uint32_t pitch_;
  std::vector<uint8_t> pixels_;
  bool refuseLocks_ = false;
  bool locked_ = false;
  std::vector<Call> calls_;
};
