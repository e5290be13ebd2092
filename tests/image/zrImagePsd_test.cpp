#include "image/zrImagePsd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/zrImageLoader.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Document(const std::string& name) {
  std::ifstream file(std::string(ZR_SOURCE_DIR) + "/tests/data/images/psd/" + name,
                     std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

MemoryBlock Lend(const Bytes& bytes) {
  return BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

class PsdImage : public zrtest::HeapTest {};

TEST_F(PsdImage, MergedImagesReadAsImageMagickReadsThem) {
  // Raw and run-length planes (ImageMagick ends run-length rows with the no-op header 128), and
  // a document with an alpha channel, which loads opaque.
  for (const char* name : {"raw", "rle", "alpha"}) {
    SCOPED_TRACE(name);
    const Bytes psd = Document(std::string(name) + ".psd");
    const Bytes png = Document(std::string(name) + "_ref.png");
    zrImageLoader document;
    MemoryBlock block = Lend(psd);
    ASSERT_NE(document.LoadFromMemory(&block, 0, 0), nullptr);
    EXPECT_EQ(document.GetKind(), ImageKind::kPsd);
    zrImageLoader reference;
    block = Lend(png);
    ASSERT_NE(reference.LoadFromMemory(&block, 0, 0), nullptr);
    uint32_t width = 0;
    uint32_t height = 0;
    reference.GetSize(&width, &height);
    uint32_t psdWidth = 0;
    uint32_t psdHeight = 0;
    document.GetSize(&psdWidth, &psdHeight);
    ASSERT_EQ(psdWidth, width);
    ASSERT_EQ(psdHeight, height);
    for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
      for (int32_t x = 0; x < static_cast<int32_t>(width); ++x) {
        const uint8_t* want = reference.GetImage()->PixelAt(x, y);
        const uint8_t* got = document.GetImage()->PixelFromBottom(x, y);  // bottom row first
        ASSERT_EQ(std::memcmp(want, got, 3), 0) << x << "," << y;
        ASSERT_EQ(got[3], 255);
      }
    }
  }
}

TEST_F(PsdImage, OtherDocumentsAreNotAcceptedAndDamageFailsCleanly) {
  const Bytes good = Document("rle.psd");
  Bytes grey = good;
  grey[25] = 1;  // greyscale
  Bytes deep = good;
  deep[23] = 16;  // 16-bit channels
  for (const Bytes& bytes : {grey, deep}) {
    const MemoryBlock block = Lend(bytes);
    EXPECT_FALSE(zrImagePsd::Accepts(&block));
  }
  zrImagePsd image;
  // The last byte is a row's closing no-op, which a decoder that stops at the row's end never
  // needs.
  for (size_t length = 0; length + 1 < good.size(); ++length) {
    const Bytes cut(good.begin(), good.begin() + length);
    const MemoryBlock block = Lend(cut);
    EXPECT_EQ(image.Load(&block, 0), 0) << length;
  }
}

}  // namespace
