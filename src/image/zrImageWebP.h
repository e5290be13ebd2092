// WebP pictures through the WebP library: 4-byte pixels in red, green, blue, alpha order, rows of
// exactly 4 × width bytes, top row first. Saving encodes such pixels lossily.
#pragma once

#include <cstdint>

#include "image/image_adapter.h"

class zrImageWebP : public zrImageAdapter {
 public:
  // The library finds a WebP picture's features in the block.
  static bool Accepts(const MemoryBlock* source);

  int Load(const MemoryBlock* source, int32_t key) override;
  int Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) override;

  void SetQuality(int32_t quality) { quality_ = quality; }
  int32_t GetQuality() const { return quality_; }

 private:
  int32_t quality_ = 90;
};
