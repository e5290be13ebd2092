// JPEG pictures through the JPEG library: 3-byte pixels in red, green, blue order with rows
// rounded up to 4 bytes, top row first. Saving takes 3-byte pixels as RGB and 4-byte pixels as
// CMYK data.
#pragma once

#include <cstdint>

#include "image/image_adapter.h"

class zrImageJpeg : public zrImageAdapter {
 public:
  // More than 10 bytes, starting FF D8, with a complete header.
  static bool Accepts(const MemoryBlock* source);

  int Load(const MemoryBlock* source, int32_t key) override;
  int Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) override;

  void SetQuality(int32_t quality) { quality_ = quality; }
  int32_t GetQuality() const { return quality_; }

 private:
  int32_t quality_ = 90;
};
