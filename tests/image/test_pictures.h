// The pictures under tests/data/images and what the image tests do with them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/memory_block.h"
#include "image/zrImageLoader.h"

namespace zrtest {

using Bytes = std::vector<uint8_t>;

// The bytes of tests/data/images/`relative`.
inline Bytes TestPicture(const std::string& relative) {
  std::ifstream file(std::string(ZR_SOURCE_DIR) + "/tests/data/images/" + relative,
                     std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

inline MemoryBlock Lend(const Bytes& bytes) {
  return BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

// Loads `file` (a format that holds the bottom row first) and `reference` (a PNG of the same
// picture, top row first) and compares every pixel; the PNG's 3-byte pixels read as opaque.
inline void ExpectBottomUpPicture(const Bytes& file, ImageKind kind, const Bytes& reference) {
  zrImageLoader picture;
  MemoryBlock block = Lend(file);
  ASSERT_NE(picture.LoadFromMemory(&block, 0, 0), nullptr);
  EXPECT_EQ(picture.GetKind(), kind);
  ASSERT_EQ(picture.GetBytesPerPixel(), 4);
  zrImageLoader png;
  block = Lend(reference);
  ASSERT_NE(png.LoadFromMemory(&block, 0, 0), nullptr);
  uint32_t width = 0;
  uint32_t height = 0;
  png.GetSize(&width, &height);
  uint32_t pictureWidth = 0;
  uint32_t pictureHeight = 0;
  picture.GetSize(&pictureWidth, &pictureHeight);
  ASSERT_EQ(pictureWidth, width);
  ASSERT_EQ(pictureHeight, height);
  const int bpp = png.GetBytesPerPixel();
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(width); ++x) {
      const uint8_t* want = png.GetImage()->PixelAt(x, y);
      const uint8_t* got = picture.GetImage()->PixelFromBottom(x, y);
      ASSERT_EQ(std::memcmp(want, got, 3), 0) << x << "," << y;
      ASSERT_EQ(got[3], bpp == 4 ? want[3] : 255) << x << "," << y;
    }
  }
}

}  // namespace zrtest
