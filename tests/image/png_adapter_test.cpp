#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/zrImagePng.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace {

using Bytes = std::vector<uint8_t>;

// What a test picture holds beyond its rows.
struct PngExtras {
  std::vector<png_color> palette;
  Bytes paletteAlpha;        // tRNS for a palette picture
  int greyTransparent = -1;  // tRNS for a grey picture
};

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// A PNG written by the library itself, with rows already in the file's packing.
Bytes WritePng(uint32_t width, uint32_t height, int colourType, int depth,
               const std::vector<Bytes>& rows, const PngExtras& extras = {}) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendToVector, nullptr);
  png_set_IHDR(png, info, width, height, depth, colourType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!extras.palette.empty())
    png_set_PLTE(png, info, extras.palette.data(), static_cast<int>(extras.palette.size()));
  if (!extras.paletteAlpha.empty())
    png_set_tRNS(png, info, extras.paletteAlpha.data(),
                 static_cast<int>(extras.paletteAlpha.size()), nullptr);
  png_color_16 grey = {};
  if (extras.greyTransparent >= 0) {
    grey.gray = static_cast<png_uint_16>(extras.greyTransparent);
    png_set_tRNS(png, info, nullptr, 0, &grey);
  }
  png_write_info(png, info);
  for (const Bytes& row : rows) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

Bytes PixelBytes(const zrImage& image, int32_t x, int32_t y) {
  const uint8_t* pixel = image.PixelAt(x, y);
  return Bytes(pixel, pixel + image.GetBytesPerPixel());
}

bool LoadPng(zrImagePng* image, const Bytes& file) {
  const MemoryBlock source = BorrowedBlock(file.data(), static_cast<uint32_t>(file.size()));
  return image->Load(&source, 0) == 1;
}

// A failed load must leave nothing a caller could read as a picture.
void ExpectNoPicture(const zrImage& image) {
  uint32_t width = 1, height = 1;
  EXPECT_EQ(image.GetSize(&width, &height), 0u);
  EXPECT_EQ(width, 0u);
  EXPECT_EQ(height, 0u);
  EXPECT_EQ(image.GetPixels(), nullptr);
}

class PngAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }
};

TEST_F(PngAdapterTest, PaletteGivesBlueGreenRedWithAlphaOnlyWhenThereIsATransparencyChunk) {
  PngExtras extras;
  extras.palette = {{200, 100, 50}, {1, 2, 3}};
  const std::vector<Bytes> rows = {{0, 1, 0}};
  zrImagePng opaque;
  ASSERT_TRUE(LoadPng(&opaque, WritePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, rows, extras)));
  EXPECT_EQ(opaque.GetBytesPerPixel(), 3);
  EXPECT_EQ(opaque.GetPitch(), 12);  // 9 bytes rounded up to 4
  EXPECT_EQ(PixelBytes(opaque, 0, 0), (Bytes{50, 100, 200}));
  EXPECT_EQ(PixelBytes(opaque, 1, 0), (Bytes{3, 2, 1}));

  extras.paletteAlpha = {128};  // the second entry stays opaque
  zrImagePng transparent;
  ASSERT_TRUE(LoadPng(&transparent, WritePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, rows, extras)));
  EXPECT_EQ(transparent.GetBytesPerPixel(), 4);
  EXPECT_EQ(transparent.GetPitch(), 12);
  EXPECT_EQ(PixelBytes(transparent, 0, 0), (Bytes{50, 100, 200, 128}));
  EXPECT_EQ(PixelBytes(transparent, 1, 0), (Bytes{3, 2, 1, 255}));
  int32_t canvasWidth = 0, canvasHeight = 0;
  transparent.GetCanvasSize(&canvasWidth, &canvasHeight);
  EXPECT_EQ(canvasWidth, 3);
  EXPECT_EQ(canvasHeight, 1);
}

TEST_F(PngAdapterTest, GreyBecomesRepeatedSamplesAndGreyWithTransparencyGetsAlpha) {
  // 1-bit grey: samples 0 and 1 become 0 and 255, top row first.
  zrImagePng bits;
  ASSERT_TRUE(LoadPng(&bits, WritePng(9, 2, PNG_COLOR_TYPE_GRAY, 1, {{0xA0, 0x80}, {0x00, 0x00}})));
  EXPECT_EQ(bits.GetBytesPerPixel(), 3);
  EXPECT_EQ(bits.GetPitch(), 28);
  EXPECT_EQ(PixelBytes(bits, 0, 0), (Bytes{255, 255, 255}));
  EXPECT_EQ(PixelBytes(bits, 1, 0), (Bytes{0, 0, 0}));
  EXPECT_EQ(PixelBytes(bits, 2, 0), (Bytes{255, 255, 255}));
  EXPECT_EQ(PixelBytes(bits, 8, 0), (Bytes{255, 255, 255}));
  EXPECT_EQ(PixelBytes(bits, 8, 1), (Bytes{0, 0, 0}));

  // Grey with alpha: grey repeated, then the alpha, in 4-byte pixels.
  zrImagePng greyAlpha;
  ASSERT_TRUE(LoadPng(&greyAlpha,
                      WritePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{0x40, 0x80, 0x11, 0xFF}})));
  EXPECT_EQ(greyAlpha.GetBytesPerPixel(), 4);
  EXPECT_EQ(greyAlpha.GetPitch(), 8);
  EXPECT_EQ(PixelBytes(greyAlpha, 0, 0), (Bytes{0x40, 0x40, 0x40, 0x80}));
  EXPECT_EQ(PixelBytes(greyAlpha, 1, 0), (Bytes{0x11, 0x11, 0x11, 0xFF}));

  // Grey whose transparency chunk names the sample 7.
  PngExtras extras;
  extras.greyTransparent = 7;
  zrImagePng keyed;
  ASSERT_TRUE(LoadPng(&keyed, WritePng(3, 1, PNG_COLOR_TYPE_GRAY, 8, {{7, 8, 7}}, extras)));
  EXPECT_EQ(keyed.GetBytesPerPixel(), 4);
  EXPECT_EQ(PixelBytes(keyed, 0, 0), (Bytes{7, 7, 7, 0}));
  EXPECT_EQ(PixelBytes(keyed, 1, 0), (Bytes{8, 8, 8, 255}));
  EXPECT_EQ(PixelBytes(keyed, 2, 0), (Bytes{7, 7, 7, 0}));
}

TEST_F(PngAdapterTest, SixteenBitSamplesKeepTheirHighBytesInBlueGreenRedAlphaOrder) {
  const Bytes row = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00, 0x80, 0x01};  // R, G, B, A big-endian
  zrImagePng image;
  ASSERT_TRUE(LoadPng(&image, WritePng(1, 1, PNG_COLOR_TYPE_RGBA, 16, {row})));
  EXPECT_EQ(image.GetBytesPerPixel(), 4);
  EXPECT_EQ(PixelBytes(image, 0, 0), (Bytes{0xFF, 0xAB, 0x12, 0x80}));
}

TEST_F(PngAdapterTest, DamagedFilesFailWithoutLeavingAPicture) {
  const Bytes good = WritePng(40, 40, PNG_COLOR_TYPE_RGB, 8, std::vector<Bytes>(40, Bytes(120, 9)));
  zrImagePng image;
  ASSERT_TRUE(LoadPng(&image, good));

  Bytes badCrc = good;
  badCrc[29] ^= 0xFF;  // inside the header chunk's CRC
  EXPECT_FALSE(LoadPng(&image, badCrc));
  ExpectNoPicture(image);

  ASSERT_TRUE(LoadPng(&image, good));
  const Bytes cutInData(good.begin(), good.begin() + 50);
  EXPECT_FALSE(LoadPng(&image, cutInData));
  ExpectNoPicture(image);

  // Wider than any picture accepted: refused from the header, before any buffer.
  const Bytes tooWide =
      WritePng(kMaxImageSide + 1, 1, PNG_COLOR_TYPE_GRAY, 1, {Bytes((kMaxImageSide + 8) / 8, 0)});
  EXPECT_FALSE(LoadPng(&image, tooWide));
  ExpectNoPicture(image);

  MemoryBlock empty = {nullptr, 0, 0, 1};
  EXPECT_EQ(image.Load(&empty, 0), 0);
  EXPECT_EQ(image.Load(nullptr, 0), 0);
}

// Found by fuzzing: a text chunk whose length claims 2 GB made the library ask for that much
// memory before reading a byte of it. The request is refused and the load fails.
TEST_F(PngAdapterTest, AChunkClaimingGigabytesIsRefusedNotAllocated) {
  std::ifstream in(ZR_SOURCE_DIR "/tests/data/images/png_text_chunk_claims_2gb.png",
                   std::ios::binary);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), 108u);
  zrtest::TraceCapture traces;
  zrImagePng image;
  EXPECT_FALSE(LoadPng(&image, file));
  EXPECT_TRUE(traces.Contains("zrImagePng : tEXt: out of memory"));
  ExpectNoPicture(image);
}

TEST_F(PngAdapterTest, SavedPicturesLoadBackAndReportSizesRoundedUpToEight) {
  zrImagePng image;
  ASSERT_EQ(image.Create(5, 3, 4), 1);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      uint8_t* pixel = image.PixelAt(x, y);
      const uint8_t values[4] = {uint8_t(x), uint8_t(y), uint8_t(x * y), uint8_t(10 * x + y)};
      std::memcpy(pixel, values, 4);
    }
  MemoryBlock saved = {nullptr, 0, 0, 0};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  EXPECT_EQ(saved.size % 8, 0u);
  EXPECT_EQ(saved.capacity, saved.size);
  EXPECT_EQ(saved.borrowed, 0u);
  // The encoded stream ends with IEND and its CRC; what follows is rounding only.
  const Bytes file(saved.data, saved.data + saved.size);
  const uint8_t iend[] = {'I', 'E', 'N', 'D'};
  const auto at = std::search(file.begin(), file.end(), iend, iend + 4);
  ASSERT_NE(at, file.end());
  const size_t encoded = static_cast<size_t>(at - file.begin()) + 8;
  EXPECT_EQ(saved.size, (encoded + 7) / 8 * 8);

  zrImagePng loaded;
  ASSERT_TRUE(LoadPng(&loaded, file));
  EXPECT_EQ(loaded.GetBytesPerPixel(), 4);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(PixelBytes(loaded, x, y), PixelBytes(image, x, y));
  ReleaseMemoryBlock(&saved);

  zrImagePng grey;  // 1-byte pixels are neither RGB nor RGBA
  ASSERT_EQ(grey.Create(4, 4, 1), 1);
  EXPECT_EQ(grey.Save(&saved, 0, 0, 0, 0), 0);
  EXPECT_EQ(saved.data, nullptr);
}

TEST_F(PngAdapterTest, TrimmingKeepsTheOpaquePartOrASmallCornerOfAnEmptyPicture) {
  zrImagePng image;
  image.SetTrim(1);
  ASSERT_EQ(image.Create(6, 5, 4), 1);
  image.PixelAt(2, 1)[3] = 255;
  image.PixelAt(3, 3)[3] = 1;
  MemoryBlock saved = {nullptr, 0, 0, 0};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  zrImagePng loaded;
  ASSERT_EQ(loaded.Load(&saved, 0), 1);
  uint32_t width = 0, height = 0;
  loaded.GetSize(&width, &height);
  EXPECT_EQ(width, 2u);
  EXPECT_EQ(height, 3u);
  EXPECT_EQ(loaded.PixelAt(0, 0)[3], 255);

  zrImagePng empty;
  empty.SetTrim(1);
  ASSERT_EQ(empty.Create(6, 5, 4), 1);
  ASSERT_EQ(empty.Save(&saved, 0, 0, 0, 0), 1);
  ASSERT_EQ(loaded.Load(&saved, 0), 1);
  loaded.GetSize(&width, &height);
  EXPECT_EQ(width, 2u);
  EXPECT_EQ(height, 2u);
  ReleaseMemoryBlock(&saved);
}

TEST_F(PngAdapterTest, AcceptsOnlyBlocksStartingWithTheSignature) {
  const Bytes good = WritePng(1, 1, PNG_COLOR_TYPE_GRAY, 8, {{0}});
  MemoryBlock block = BorrowedBlock(good.data(), static_cast<uint32_t>(good.size()));
  EXPECT_TRUE(zrImagePng::Accepts(&block));
  block = BorrowedBlock(good.data(), 7);  // a signature cut short
  EXPECT_FALSE(zrImagePng::Accepts(&block));
  block = BorrowedBlock(good.data(), 0);
  EXPECT_FALSE(zrImagePng::Accepts(&block));
  block = BorrowedBlock(nullptr, 8);
  EXPECT_FALSE(zrImagePng::Accepts(&block));
  EXPECT_FALSE(zrImagePng::Accepts(nullptr));
  const Bytes garbage(64, 0x89);
  block = BorrowedBlock(garbage.data(), 64);
  EXPECT_FALSE(zrImagePng::Accepts(&block));
}

}  // namespace
