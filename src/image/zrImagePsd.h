// Photoshop documents of 8-bit RGB: the merged image the document carries, as 4-byte pixels
// (blue, green, red, alpha 255) with the bottom row first. Decoding only.
#pragma once

#include <cstdint>

#include "image/zrImage.h"

// Where the merged image lies in a document; filled by ParsePsd.
struct PsdMergedImage {
  uint32_t width;
  uint32_t height;
  uint16_t compression;   // 0 raw, 1 run-length (PackBits)
  const uint8_t* planes;  // the red plane; green and blue follow it
  const uint8_t* end;     // the end of the document
};

// Reads the header and skips to the merged image; 0 for anything but an 8-bit RGB document whose
// sections lie inside the block.
int ParsePsd(const uint8_t* data, uint32_t size, PsdMergedImage* merged);

class zrImagePsd : public zrImage {
 public:
  int Load(const MemoryBlock* source, int32_t key) override;

  // The loader's test: the document parses.
  static bool Accepts(const MemoryBlock* source);
};
