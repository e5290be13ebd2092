// Decodes arbitrary bytes as a bitmap picture and saves what loads.
#include <cstddef>
#include <cstdint>

#include "image/zrImageBmp.h"
#include "image_adapter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImageAdapter<zrImageBmp>(data, size);
}
