// The lossless plane coding shared by the HG-3 slices and the HG-2 frames: a zlib stream of
// literal bytes, a zlib stream of gamma-coded zero/literal runs, a four-way bit-plane
// transposition of the expanded bytes, and a byte-wise prediction stored from the bottom row up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One coded plane as the file holds it. Both compressed areas must lie inside the caller's data.
struct HgCodedPlane {
  const uint8_t* byteArea = nullptr;
  size_t byteAreaCompressed = 0;
  uint32_t byteAreaSize = 0;  // after inflation
  const uint8_t* bitArea = nullptr;
  size_t bitAreaCompressed = 0;
  uint32_t bitAreaSize = 0;  // after inflation
};

// The picture a plane is decoded into: `height` rows of `pitch` bytes, top row first.
struct HgPlaneTarget {
  uint8_t* pixels = nullptr;
  size_t pitch = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  int bytesPerPixel = 0;  // 1 to 4
};

enum class HgSliceResult {
  kOk,
  kByteAreaSize,  // the byte area did not inflate to its stated size
  kBitAreaSize,   // the bit area did not inflate to its stated size
  kMalformed,     // runs, lengths, rows or geometry that do not fit the buffers
};

// The messages a format gives for areas that inflate to other sizes than their headers state.
struct HgSliceMessages {
  const char* byteAreaSize;
  const char* bitAreaSize;
};

// True for kOk; otherwise traces the format's message for the result (a malformed slice has
// none) and gives false.
bool HgSliceSucceeded(HgSliceResult result, const HgSliceMessages& messages);

// Decodes slices one after another, keeping its work buffers between them.
class HgSliceDecoder {
 public:
  // Decodes `rows` stored rows; the first goes to target row height - 1 - firstRow and each
  // following one to the row above. Nothing outside those rows is written, and nothing at all
  // when the slice fails.
  HgSliceResult Decode(const HgCodedPlane& plane, uint32_t firstRow, uint32_t rows,
                       const HgPlaneTarget& target);

 private:
  std::vector<uint8_t> literals_;
  std::vector<uint8_t> bits_;
  std::vector<uint8_t> runs_;
  std::vector<uint8_t> predicted_;
};

// An encoded plane: the two zlib streams and their inflated sizes.
struct HgEncodedPlane {
  std::vector<uint8_t> byteArea;
  uint32_t byteAreaSize = 0;
  std::vector<uint8_t> bitArea;
  uint32_t bitAreaSize = 0;
};

// Encodes a whole picture (`height` rows of `pitch` bytes, top row first, 1 to 4 bytes per pixel)
// as one plane. Pictures under 1024 bytes are coded as 1024 bytes, the surplus zero. Returns false
// for a bad geometry or when zlib or memory fails.
bool EncodeHgPlane(const uint8_t* pixels, size_t pitch, uint32_t width, uint32_t height,
                   int bytesPerPixel, HgEncodedPlane& encoded);

// The sign table: code 2i means i and code 2i + 1 means 255 - i.
uint8_t HgSignDecode(uint8_t code);
uint8_t HgSignEncode(uint8_t value);
