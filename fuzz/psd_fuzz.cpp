// Decodes arbitrary bytes as a Photoshop picture (its merged image).
#include <cstddef>
#include <cstdint>

#include "image/zrImagePsd.h"
#include "image_adapter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImageAdapter<zrImagePsd>(data, size);
}
