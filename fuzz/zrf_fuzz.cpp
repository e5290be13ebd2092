// Decodes arbitrary bytes as a ZRF picture (and saves what loads), then compresses the same bytes
// as ZRLZ in every mode and checks that each block decodes back to them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/zrImageZrf.h"
#include "image/zrlz.h"
#include "image_adapter_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzImageAdapter<zrImageZrf>(data, size);
  if (size > 65536) return 0;
  const auto length = static_cast<uint32_t>(size);
  for (int32_t mode = 0; mode < kZrlzModes; ++mode) {
    std::vector<uint8_t> block(ZrlzCompress(data, length, nullptr, mode));
    if (ZrlzCompress(data, length, block.data(), mode) != block.size()) std::abort();
    std::vector<uint8_t> output(length);
    if (!ZrlzDecompress(block.data(), static_cast<uint32_t>(block.size()), output.data()) ||
        (length != 0 && std::memcmp(output.data(), data, length) != 0)) {
      std::abort();
    }
  }
  return 0;
}
