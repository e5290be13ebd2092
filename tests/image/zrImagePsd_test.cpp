#include "image/zrImagePsd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/zrImageLoader.h"
#include "support/test_support.h"
#include "test_pictures.h"

namespace {

using zrtest::Bytes;
using zrtest::Lend;

Bytes Document(const std::string& name) {
  return zrtest::TestPicture("psd/" + name);
}

class PsdImage : public zrtest::HeapTest {};

TEST_F(PsdImage, MergedImagesReadAsImageMagickReadsThem) {
  // Raw and run-length planes (ImageMagick ends run-length rows with the no-op header 128), and
  // a document with an alpha channel, which loads opaque.
  for (const char* name : {"raw", "rle", "alpha"}) {
    SCOPED_TRACE(name);
    zrtest::ExpectBottomUpPicture(Document(std::string(name) + ".psd"), ImageKind::kPsd,
                                  Document(std::string(name) + "_ref.png"));
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
