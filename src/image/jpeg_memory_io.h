// The JPEG library's source and destination in memory: a decoder reads a whole block at once, an
// encoder writes into a zrHeap block that grows as the picture needs.
#pragma once

// jpeglib.h needs FILE and size_t declared before it.
// clang-format off
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

// Offers `size` bytes at `data` to the decompressor at once. Asked for more, it supplies an
// end-of-image marker, so a picture cut short decodes from what there is; skips stop at the end.
void UseJpegMemorySource(j_decompress_ptr info, jpeg_source_mgr* source, const uint8_t* data,
                         uint32_t size);

constexpr uint32_t kJpegStagingSize = 4096;

struct JpegMemoryDestination {
  jpeg_destination_mgr manager;  // first, so that the library's pointer leads back here
  uint8_t* block;                // zrHeap; the caller owns it (and frees it after a failure)
  uint32_t written;
  uint32_t capacity;
  JOCTET staging[kJpegStagingSize];
};

// Directs the compressor's output into a new zrHeap block of `capacity` bytes, doubled whenever
// the data would not fit. False when the first block cannot be had.
bool UseJpegMemoryDestination(j_compress_ptr info, JpegMemoryDestination* destination,
                              uint32_t capacity);
