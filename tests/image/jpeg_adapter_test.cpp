#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "image/zrImageJpeg.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A JPEG written by the library itself; `pixel(x, y, c)` gives each sample.
template <typename Pixel>
Bytes EncodeJpeg(uint32_t width, uint32_t height, int components, J_COLOR_SPACE space,
                 Pixel pixel) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long length = 0;
  jpeg_mem_dest(&info, &out, &length);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  Bytes row(width * components);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c) row[x * components + c] = pixel(x, y, c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes file(out, out + length);
  std::free(out);
  return file;
}

// What the library reads from a saved block: its colour space and its first pixel as stored.
struct JpegFacts {
  int components;
  J_COLOR_SPACE space;
  Bytes firstPixel;
};

JpegFacts Inspect(const MemoryBlock& block) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, block.data, block.size);
  jpeg_read_header(&info, TRUE);
  JpegFacts facts = {info.num_components, info.jpeg_color_space, {}};
  info.out_color_space = info.jpeg_color_space == JCS_CMYK ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(&info);
  Bytes row(info.output_width * info.output_components);
  JSAMPROW rows[1] = {row.data()};
  while (info.output_scanline < info.output_height) {
    jpeg_read_scanlines(&info, rows, 1);
    if (info.output_scanline == 1) facts.firstPixel.assign(row.begin(), row.begin() + 4);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return facts;
}

void ExpectNear(const uint8_t* actual, const Bytes& expected, int tolerance) {
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(actual[i], expected[i], tolerance) << "byte " << i;
}

bool LoadJpeg(zrImageJpeg* image, const Bytes& file) {
  const MemoryBlock source = BorrowedBlock(file.data(), static_cast<uint32_t>(file.size()));
  return image->Load(&source, 0) == 1;
}

class JpegAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }
};

auto Gradient = [](uint32_t x, uint32_t y, int c) {
  return static_cast<uint8_t>(c == 0 ? 200 : c == 1 ? x * 4 : y * 4);
};

TEST_F(JpegAdapterTest, LoadsRedGreenBlueRowsPaddedToFourBytesTopRowFirst) {
  zrImageJpeg image;
  ASSERT_TRUE(LoadJpeg(&image, EncodeJpeg(33, 20, 3, JCS_RGB, Gradient)));
  uint32_t width = 0, height = 0;
  EXPECT_EQ(image.GetSize(&width, &height), 100u * 20u);
  EXPECT_EQ(width, 33u);
  EXPECT_EQ(height, 20u);
  EXPECT_EQ(image.GetBytesPerPixel(), 3);
  EXPECT_EQ(image.GetPitch(), 100);
  ExpectNear(image.PixelAt(0, 0), {200, 0, 0}, 12);
  ExpectNear(image.PixelAt(30, 19), {200, 120, 76}, 12);
}

TEST_F(JpegAdapterTest, APictureCutShortLoadsQuietlyFromWhatThereIs) {
  const Bytes whole = EncodeJpeg(64, 64, 3, JCS_RGB, Gradient);
  const Bytes cut(whole.begin(), whole.begin() + whole.size() * 2 / 3);
  zrtest::TraceCapture traces;
  zrImageJpeg image;
  testing::internal::CaptureStderr();
  const bool loaded = LoadJpeg(&image, cut);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(loaded);
  uint32_t width = 0, height = 0;
  image.GetSize(&width, &height);
  EXPECT_EQ(width, 64u);
  EXPECT_EQ(height, 64u);
  ExpectNear(image.PixelAt(0, 0), {200, 0, 0}, 12);
  bool warned = false;  // the library's warning went to the trace sink instead
  for (const std::string& text : traces.Texts()) warned |= text.rfind("zrImageJpeg : ", 0) == 0;
  EXPECT_TRUE(warned);
}

TEST_F(JpegAdapterTest, LibraryErrorsFailTheLoadAndLeaveNoPicture) {
  zrImageJpeg image;
  ASSERT_TRUE(LoadJpeg(&image, EncodeJpeg(8, 8, 3, JCS_RGB, Gradient)));
  testing::internal::CaptureStderr();
  // A start-of-image marker followed by garbage.
  Bytes garbage = {0xFF, 0xD8};
  for (int i = 0; i < 40; ++i) garbage.push_back(static_cast<uint8_t>(i * 37));
  EXPECT_FALSE(LoadJpeg(&image, garbage));
  EXPECT_EQ(image.GetPixels(), nullptr);
  EXPECT_EQ(image.GetSize(nullptr, nullptr), 0u);

  // A CMYK picture has a good header, but the library cannot deliver it as RGB.
  const Bytes cmyk = EncodeJpeg(8, 8, 4, JCS_CMYK, Gradient);
  MemoryBlock block = BorrowedBlock(cmyk.data(), static_cast<uint32_t>(cmyk.size()));
  EXPECT_TRUE(zrImageJpeg::Accepts(&block));
  EXPECT_FALSE(LoadJpeg(&image, cmyk));
  EXPECT_EQ(image.GetPixels(), nullptr);

  // Wider than any picture accepted: refused before a buffer is reserved.
  EXPECT_FALSE(LoadJpeg(&image, EncodeJpeg(kMaxImageSide + 8, 1, 1, JCS_GRAYSCALE,
                                           [](uint32_t, uint32_t, int) { return 0; })));
  EXPECT_EQ(image.GetPixels(), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(JpegAdapterTest, SavesThreeBytePixelsAsRgbAndFourBytePixelsAsCmyk) {
  zrImageJpeg image;
  ASSERT_EQ(image.Create(16, 8, 3), 1);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 16; ++x) std::memcpy(image.PixelAt(x, y), "\xC8\x32\x14", 3);
  MemoryBlock saved = {nullptr, 0, 0, 0};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  EXPECT_EQ(saved.capacity, 8192u);
  EXPECT_LT(saved.size, saved.capacity);
  JpegFacts facts = Inspect(saved);
  EXPECT_EQ(facts.components, 3);
  ExpectNear(facts.firstPixel.data(), {200, 50, 20}, 6);

  zrImageJpeg cmyk;
  ASSERT_EQ(cmyk.Create(16, 8, 4), 1);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 16; ++x) std::memcpy(cmyk.PixelAt(x, y), "\x10\x80\xF0\x40", 4);
  ASSERT_EQ(cmyk.Save(&saved, 0, 0, 0, 0), 1);
  facts = Inspect(saved);
  EXPECT_EQ(facts.components, 4);
  EXPECT_EQ(facts.space, JCS_CMYK);
  ExpectNear(facts.firstPixel.data(), {0x10, 0x80, 0xF0, 0x40}, 6);
  ReleaseMemoryBlock(&saved);

  zrImageJpeg grey;  // 1-byte pixels are neither
  ASSERT_EQ(grey.Create(4, 4, 1), 1);
  EXPECT_EQ(grey.Save(&saved, 0, 0, 0, 0), 0);
}

TEST_F(JpegAdapterTest, SaveGrowsTheBlockWhenTheDataOutgrowIt) {
  // Four channels of noise at full quality code to more than the first block of 8192 bytes.
  zrImageJpeg image;
  image.SetQuality(100);
  ASSERT_EQ(image.Create(44, 44, 4), 1);
  std::mt19937 noise(1);
  for (int32_t y = 0; y < 44; ++y)
    for (int32_t x = 0; x < 44 * 4; ++x) image.PixelAt(0, y)[x] = static_cast<uint8_t>(noise());
  MemoryBlock saved = {nullptr, 0, 0, 0};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  EXPECT_GT(saved.size, 8192u);
  EXPECT_EQ(saved.capacity, 16384u);  // 8192 doubled
  const JpegFacts facts = Inspect(saved);
  EXPECT_EQ(facts.components, 4);
  ExpectNear(facts.firstPixel.data(), Bytes(image.PixelAt(0, 0), image.PixelAt(0, 0) + 4), 40);
  ReleaseMemoryBlock(&saved);
}

TEST_F(JpegAdapterTest, AcceptsOnlyBlocksWithACompleteHeader) {
  const Bytes good = EncodeJpeg(8, 8, 3, JCS_RGB, Gradient);
  MemoryBlock block = BorrowedBlock(good.data(), static_cast<uint32_t>(good.size()));
  EXPECT_TRUE(zrImageJpeg::Accepts(&block));
  block = BorrowedBlock(good.data(), 10);  // 10 bytes are too few by definition
  EXPECT_FALSE(zrImageJpeg::Accepts(&block));
  block = BorrowedBlock(good.data(), 40);  // the header is cut off
  EXPECT_FALSE(zrImageJpeg::Accepts(&block));
  block = BorrowedBlock(good.data(), 0);
  EXPECT_FALSE(zrImageJpeg::Accepts(&block));
  block = BorrowedBlock(nullptr, 100);
  EXPECT_FALSE(zrImageJpeg::Accepts(&block));
  EXPECT_FALSE(zrImageJpeg::Accepts(nullptr));
  Bytes garbage(64, 0x5A);
  garbage[0] = 0xFF;
  garbage[1] = 0xD8;
  block = BorrowedBlock(garbage.data(), 64);
  EXPECT_FALSE(zrImageJpeg::Accepts(&block));
}

}  // namespace
