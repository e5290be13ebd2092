// How a held picture is painted: as a bottom-up device-independent bitmap whose bits are the
// pixel buffer itself (3-byte pixels with 4-byte rows after FlattenTo24).
#pragma once

#include <cstdint>

#include "image/zrImage.h"

// The 40-byte bitmap information header, laid out as the platform expects it.
struct DibInfoHeader {
  uint32_t size;
  int32_t width;
  int32_t height;  // positive: the first buffer row is the bottom line on screen
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;  // 0: uncompressed
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t coloursUsed;
  uint32_t coloursImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "the header is 40 bytes");

struct DibView {
  DibInfoHeader header;
  const uint8_t* bits;
};

// Fills `view` for `image`; 0 when the image has no pixels.
int DescribeAsDib(const zrImage& image, DibView* view);
