// How a held picture is painted: as a bottom-up device-independent bitmap whose bits are the
// pixel buffer itself (3-byte pixels with 4-byte rows after FlattenTo24).
#pragma once

#include <cstdint>

#include "image/zrImage.h"
#include "platform/window.h"

struct DibView {
  platform::DibInfoHeader header;
  const uint8_t* bits;
};

// Fills `view` for `image`; 0 when the image has no pixels.
int DescribeAsDib(const zrImage& image, DibView* view);
