// Uncompressed Windows bitmaps of 24 or 32 bits per pixel. Pictures load as 4-byte pixels (blue,
// green, red, alpha) with the bottom row first, as the file stores it; saving writes the buffer
// as held.
#pragma once

#include <cstdint>

#include "image/zrImage.h"

class zrImageBmp : public zrImage {
 public:
  int Load(const MemoryBlock* source, int32_t key) override;
  int Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) override;

  // The loader's test: "BM" and 24 or 32 bits per pixel in the information header.
  static bool Accepts(const MemoryBlock* source);

 private:
  uint8_t header_[40] = {};  // the information header, a core header widened to 40 bytes
};
