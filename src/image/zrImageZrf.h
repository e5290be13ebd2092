// ZRF pictures: the pixel buffer exactly as held in memory (rows, pitch and pixel size as they
// are), compressed as one ZRLZ block behind a 12-byte header.
#pragma once

#include <cstdint>

#include "image/zrImage.h"

class zrImageZrf : public zrImage {
 public:
  int Load(const MemoryBlock* source, int32_t key) override;
  // Blanks the colour of fully transparent pixels, then stores the buffer in whichever ZRLZ mode
  // makes it smallest.
  int Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) override;

  // The loader's test: the block starts with "ZRF" and a zero byte.
  static bool Accepts(const MemoryBlock* source);
};
