#include "image/zrImageBmp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/zrImageLoader.h"
#include "platform/little_endian.h"
#include "support/test_support.h"
#include "test_pictures.h"

namespace {

using zrtest::Bytes;
using zrtest::Lend;

Bytes Picture(const std::string& name) {
  return zrtest::TestPicture("bmp/" + name);
}

class BmpImage : public zrtest::HeapTest {};

TEST_F(BmpImage, ImageMagickBitmapsReadAsThePngsOfTheSamePictures) {
  const ImageKind bmp = ImageKind::kBmp;
  zrtest::ExpectBottomUpPicture(Picture("r24.bmp"), bmp, Picture("r24.png"));
  zrtest::ExpectBottomUpPicture(Picture("core.bmp"), bmp, Picture("r24.png"));  // rows at 26
  zrtest::ExpectBottomUpPicture(Picture("a32.bmp"), bmp, Picture("a32.png"));
}

TEST_F(BmpImage, TopDownFilesKeepTheBottomRowFirst) {
  Bytes bottomUp = Picture("r24.bmp");
  const uint32_t height = LoadLe32(bottomUp.data() + 22);
  const uint32_t offset = LoadLe32(bottomUp.data() + 10);
  const size_t rowBytes = (LoadLe32(bottomUp.data() + 18) * 3 + 3) & ~size_t{3};
  Bytes topDown = bottomUp;
  const uint32_t negative = static_cast<uint32_t>(-static_cast<int32_t>(height));
  for (int i = 0; i < 4; ++i) topDown[22 + i] = static_cast<uint8_t>(negative >> (8 * i));
  for (uint32_t row = 0; row < height; ++row) {
    std::memcpy(topDown.data() + offset + row * rowBytes,
                bottomUp.data() + offset + (height - 1 - row) * rowBytes, rowBytes);
  }
  zrImageBmp a;
  zrImageBmp b;
  MemoryBlock block = Lend(bottomUp);
  ASSERT_EQ(a.Load(&block, 0), 1);
  block = Lend(topDown);
  ASSERT_EQ(b.Load(&block, 0), 1);
  EXPECT_EQ(std::memcmp(a.GetPixels(), b.GetPixels(), a.GetSize(nullptr, nullptr)), 0);
}

TEST_F(BmpImage, SavedBitmapsHoldTheBufferAfterFiftyFourBytes) {
  zrImageBmp image;
  image.Create(3, 3, 4);
  for (int i = 0; i < 36; ++i) image.GetPixels()[i] = static_cast<uint8_t>(i + 1);
  MemoryBlock saved{};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  ASSERT_EQ(saved.size, 96u);
  EXPECT_EQ(LoadLe32(saved.data + 2), 90u);
  EXPECT_EQ(LoadLe32(saved.data + 10), 54u);
  EXPECT_EQ(LoadLe16(saved.data + 28), 32u);
  EXPECT_EQ(std::memcmp(saved.data + 54, image.GetPixels(), 36), 0);
  zrImageBmp back;
  ASSERT_EQ(back.Load(&saved, 0), 1);
  EXPECT_EQ(std::memcmp(back.GetPixels(), image.GetPixels(), 36), 0);
  ReleaseMemoryBlock(&saved);

  // A 24-bit one pixel wide reads rows of 4 bytes and gets alpha 255.
  zrImageBmp narrow;
  narrow.Create(1, 2, 3);
  narrow.GetPixels()[0] = 7;
  ASSERT_EQ(narrow.Save(&saved, 0, 0, 0, 0), 1);
  ASSERT_EQ(back.Load(&saved, 0), 1);
  EXPECT_EQ(back.GetPixels()[0], 7);
  EXPECT_EQ(back.GetPixels()[3], 255);
  ReleaseMemoryBlock(&saved);
}

TEST_F(BmpImage, DamagedAndForeignBitmapsFail) {
  const Bytes good = Picture("r24.bmp");
  zrImageBmp image;
  for (size_t length = 0; length < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + length);
    const MemoryBlock block = Lend(cut);
    EXPECT_EQ(image.Load(&block, 0), 0) << length;
  }
  Bytes wrongHeader = good;
  wrongHeader[14] = 108;  // a later header this reader does not know
  zrtest::TraceCapture traces;
  MemoryBlock block = Lend(wrongHeader);
  EXPECT_EQ(image.Load(&block, 0), 0);
  EXPECT_TRUE(traces.Contains("イメージのタイプが違います"));
  EXPECT_FALSE(zrImageBmp::Accepts(&block));
  Bytes huge = good;
  huge[21] = 0x7F;  // a width of about 2^31
  block = Lend(huge);
  EXPECT_EQ(image.Load(&block, 0), 0);
}

}  // namespace
