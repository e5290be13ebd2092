#include <gtest/gtest.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <cstring>
#include <vector>

#include "image/zrImageWebP.h"
#include "system/heap.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Red, green, blue, alpha values that differ per channel and per position.
uint8_t Sample(int32_t x, int32_t y, int c) {
  const uint8_t base[4] = {200, 60, 20, 255};
  return static_cast<uint8_t>(base[c] - (c == 3 ? 0 : (x + y) % 4));
}

Bytes EncodeLossless(int32_t width, int32_t height) {
  Bytes pixels(width * height * 4);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      for (int c = 0; c < 4; ++c) pixels[(y * width + x) * 4 + c] = Sample(x, y, c);
  uint8_t* out = nullptr;
  const size_t length = WebPEncodeLosslessRGBA(pixels.data(), width, height, width * 4, &out);
  Bytes file(out, out + length);
  WebPFree(out);
  return file;
}

bool LoadWebP(zrImageWebP* image, const Bytes& file) {
  const MemoryBlock source = BorrowedBlock(file.data(), static_cast<uint32_t>(file.size()));
  return image->Load(&source, 0) == 1;
}

class WebPAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }
};

TEST_F(WebPAdapterTest, LoadsRedGreenBlueAlphaInPackedRows) {
  zrImageWebP image;
  ASSERT_TRUE(LoadWebP(&image, EncodeLossless(7, 5)));
  uint32_t width = 0, height = 0;
  EXPECT_EQ(image.GetSize(&width, &height), 7u * 5u * 4u);
  EXPECT_EQ(width, 7u);
  EXPECT_EQ(height, 5u);
  EXPECT_EQ(image.GetBytesPerPixel(), 4);
  EXPECT_EQ(image.GetPitch(), 28);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 7; ++x)
      for (int c = 0; c < 4; ++c) ASSERT_EQ(image.PixelAt(x, y)[c], Sample(x, y, c));
}

TEST_F(WebPAdapterTest, SavesLossilyWithinATolerance_SizeRoundedUpToEight) {
  zrImageWebP image;
  ASSERT_EQ(image.Create(16, 16, 4), 1);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x)
      for (int c = 0; c < 4; ++c) image.PixelAt(x, y)[c] = Sample(x, y, c);
  MemoryBlock saved = {nullptr, 0, 0, 0};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  EXPECT_EQ(saved.size % 8, 0u);
  EXPECT_EQ(saved.capacity, saved.size);
  // The RIFF header names the encoded length; the block reports it rounded up.
  uint32_t riff = 0;
  std::memcpy(&riff, saved.data + 4, 4);
  EXPECT_EQ(saved.size, (riff + 8 + 7) / 8 * 8);

  // Read by the library directly, so that the channel order of the saved data is checked.
  int width = 0, height = 0;
  uint8_t* decoded = WebPDecodeRGBA(saved.data, saved.size, &width, &height);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(width, 16);
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(decoded[c], Sample(0, 0, c), 8);
  WebPFree(decoded);

  zrImageWebP loaded;
  ASSERT_EQ(loaded.Load(&saved, 0), 1);
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(loaded.PixelAt(9, 9)[c], Sample(9, 9, c), 8);
  ReleaseMemoryBlock(&saved);

  zrImageWebP rgb;  // the encoder reads 4 bytes a pixel
  ASSERT_EQ(rgb.Create(4, 4, 3), 1);
  EXPECT_EQ(rgb.Save(&saved, 0, 0, 0, 0), 0);
}

TEST_F(WebPAdapterTest, DamagedOrForeignBlocksFailAndLeaveNoPicture) {
  const Bytes good = EncodeLossless(32, 32);
  MemoryBlock block = BorrowedBlock(good.data(), static_cast<uint32_t>(good.size()));
  EXPECT_TRUE(zrImageWebP::Accepts(&block));
  zrImageWebP image;
  ASSERT_TRUE(LoadWebP(&image, good));
  const Bytes cut(good.begin(), good.begin() + good.size() / 2);
  EXPECT_FALSE(LoadWebP(&image, cut));
  EXPECT_EQ(image.GetPixels(), nullptr);
  EXPECT_EQ(image.GetSize(nullptr, nullptr), 0u);

  block = BorrowedBlock(good.data(), 0);
  EXPECT_FALSE(zrImageWebP::Accepts(&block));
  block = BorrowedBlock(good.data(), 12);
  EXPECT_FALSE(zrImageWebP::Accepts(&block));
  block = BorrowedBlock(nullptr, 64);
  EXPECT_FALSE(zrImageWebP::Accepts(&block));
  EXPECT_FALSE(zrImageWebP::Accepts(nullptr));
  const Bytes garbage(64, 0x52);
  block = BorrowedBlock(garbage.data(), 64);
  EXPECT_FALSE(zrImageWebP::Accepts(&block));
  EXPECT_EQ(image.Load(&block, 0), 0);
}

}  // namespace
