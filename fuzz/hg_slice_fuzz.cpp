// Decodes arbitrary bytes as one lossless HG plane. Layout of the input: bytes per pixel (low two
// bits + 1), width, height, first row and row count (one byte each), then three little-endian
// 32-bit values: the byte area's compressed size, its inflated size and the bit area's inflated
// size; the byte area follows and the bit area is the rest.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/hg_slice_codec.h"

namespace {

constexpr size_t kHeaderSize = 17;

uint32_t ReadU32(const uint8_t* data) {
  return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderSize) return 0;
  const int bpp = (data[0] & 3) + 1;
  const uint32_t width = data[1];
  const uint32_t height = data[2];
  const size_t areas = size - kHeaderSize;
  const size_t byteCompressed = ReadU32(data + 5) % (areas + 1);

  HgCodedPlane plane;
  plane.byteArea = data + kHeaderSize;
  plane.byteAreaCompressed = byteCompressed;
  plane.byteAreaSize = ReadU32(data + 9);
  plane.bitArea = plane.byteArea + byteCompressed;
  plane.bitAreaCompressed = areas - byteCompressed;
  plane.bitAreaSize = ReadU32(data + 13);

  // Exactly the picture's bytes, so that any stray write is caught.
  const size_t pitch = size_t{width} * bpp;
  std::vector<uint8_t> pixels(pitch * height);
  HgSliceDecoder decoder;
  decoder.Decode(plane, data[3], data[4], {pixels.data(), pitch, width, height, bpp});
  return 0;
}
