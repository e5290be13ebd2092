#include "image/zrImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "image/dib_view.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace {

constexpr char kAllocationFailed[] = "ピクセルイメージ用バッファの確保に失敗しました";

// Opens the fields a decoder would set.
class ProbeImage : public zrImage {
 public:
  using zrImage::alphaState_;
  using zrImage::canvasHeight_;
  using zrImage::colourOrderMode_;
  using zrImage::compositionType_;
  using zrImage::height_;
  using zrImage::offsetX_;
  using zrImage::pitch_;
};

// A byte that tells pixel (x, y) and channel c apart from its neighbours.
uint8_t Mark(int x, int y, int c) {
  return static_cast<uint8_t>(1 + x + 16 * y + 64 * c);
}

void Paint(zrImage& image) {
  uint32_t width, height;
  image.GetSize(&width, &height);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      for (int c = 0; c < image.GetBytesPerPixel(); ++c) image.PixelAt(x, y)[c] = Mark(x, y, c);
}

void ExpectRect(const ImageRect& rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

// The heap lives for one test; every image in it is gone before TearDown.
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(zrHeapCreate(kLibraryHeapSize), 1); }
  void TearDown() override { zrHeapDestroy(); }
  zrtest::TraceCapture traces;
};

TEST_F(ImageTest, CreateRoundsRowsToFourBytesClearsAndReusesTheBuffer) {
  zrImage image;
  uint8_t* reserved = image.Reserve(64);
  ASSERT_NE(reserved, nullptr);
  std::memset(reserved, 0xAB, 64);
  ASSERT_EQ(image.Create(5, 3, 3), 1);
  uint32_t width = 0, height = 0;
  EXPECT_EQ(image.GetSize(&width, &height), 48u);  // 15 bytes rounded up to 16, 3 rows
  EXPECT_EQ(width * 100 + height, 503u);
  EXPECT_EQ(image.GetPitch(), 16);
  ExpectRect(image.GetBounds(), 0, 0, 5, 3);
  EXPECT_EQ(image.GetPixels(), reserved);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(reserved[i], 0) << i;
  // Reserve keeps a big enough buffer and otherwise takes exactly the count.
  EXPECT_EQ(image.Reserve(10), reserved);
  ASSERT_EQ(image.Create(16, 16, 4), 1);  // a buffer too small is replaced, never overrun
  EXPECT_EQ(image.GetSize(nullptr, nullptr), 1024u);
  image.PixelAt(15, 15)[3] = 1;
  // Rows are addressed from the top or the bottom, and nothing outside is.
  EXPECT_EQ(image.PixelFromBottom(2, 1), image.GetPixels() + 14 * 64 + 8);
  EXPECT_EQ(image.PixelAt(16, 0), nullptr);
  EXPECT_EQ(image.PixelAt(0, -1), nullptr);
  EXPECT_EQ(image.PixelFromBottom(0, 16), nullptr);
}

TEST_F(ImageTest, SizesBeyondTheLimitOrThirtyTwoBitsAreRefusedAndThePictureKept) {
  zrImage image;
  ASSERT_EQ(image.Create(4, 4, 4), 1);
  uint8_t* before = image.GetPixels();
  EXPECT_EQ(image.Create(65536, 65536, 1), 0);  // wraps to 0 bytes in 32 bits
  EXPECT_EQ(image.Create(kMaxImageSide + 1, 1, 1), 0);
  EXPECT_EQ(image.Create(1, kMaxImageSide + 1, 1), 0);
  EXPECT_EQ(image.Reserve(kMaxImageBytes + 1), nullptr);
  EXPECT_EQ(image.Reserve(UINT32_MAX), nullptr);
  EXPECT_TRUE(traces.Contains(kAllocationFailed));
  uint32_t width = 0;
  EXPECT_EQ(image.GetSize(&width, nullptr), 64u);
  EXPECT_EQ(width, 4u);
  EXPECT_EQ(image.GetPixels(), before);
  // An empty picture is allowed and has no pixel to address.
  ASSERT_EQ(image.Create(0, 0, 4), 1);
  EXPECT_EQ(image.PixelAt(0, 0), nullptr);
  EXPECT_EQ(image.FlipVertical(), 1);
}

int PrintBoxToStderr(const platform::MessageBoxRequest& request) {
  std::fprintf(stderr, "[%s] %s\n", zrtest::Utf8(request.caption).c_str(),
               zrtest::Utf8(request.text).c_str());
  return platform::kAnswerOk;
}

TEST_F(ImageTest, BytesPerPixelOutsideOneToFourBreaksTheContract) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (int32_t bytesPerPixel : {5, 0}) {
    EXPECT_EXIT(
        {
          zrtest::MessageBoxRecorder recorder;
          platform::SetMessageBoxHandler(PrintBoxToStderr);
          zrImage().Create(2, 2, bytesPerPixel);
        },
        ::testing::ExitedWithCode(kContractViolationExitCode),
        "\\[Assert message\\.\\.\\.\\] 不正な bpp です");
  }
}

TEST_F(ImageTest, CopyFromTakesPixelsGeometryAndPlacementButNeedsASource) {
  ProbeImage source;
  ASSERT_EQ(source.Create(3, 2, 4), 1);
  Paint(source);
  source.offsetX_ = 7;
  source.alphaState_ = kAlphaTransparent;
  source.compositionType_ = 2;
  source.canvasHeight_ = 40;  // the width stays 0 and is copied as the picture's own
  ProbeImage copy;
  ASSERT_EQ(copy.CopyFrom(&source), 1);
  EXPECT_EQ(copy.GetSize(nullptr, nullptr), 24u);
  EXPECT_EQ(copy.GetPitch(), 12);
  EXPECT_EQ(std::memcmp(copy.GetPixels(), source.GetPixels(), 24), 0);
  int32_t canvasWidth = 0, canvasHeight = 0;
  copy.GetCanvasSize(&canvasWidth, &canvasHeight);
  EXPECT_EQ(canvasWidth * 100 + canvasHeight, 340);
  EXPECT_EQ(copy.offsetX_, 7);
  EXPECT_EQ(copy.alphaState_, kAlphaTransparent);
  EXPECT_EQ(copy.compositionType_, 2u);
  ExpectRect(copy.GetBounds(), 0, 0, 3, 2);

  zrImage empty;
  EXPECT_EQ(copy.CopyFrom(nullptr), 0);
  EXPECT_EQ(copy.CopyFrom(&empty), 0);
  ASSERT_EQ(empty.Create(0, 5, 4), 1);  // a buffer of 0 bytes
  EXPECT_EQ(copy.CopyFrom(&empty), 0);
  EXPECT_EQ(copy.CopyFrom(&copy), 1);
  EXPECT_EQ(copy.PixelAt(2, 1)[3], Mark(2, 1, 3));
}

// A 4 × 4 picture of marks is blitted onto an 8 × 6 picture of zeros (1 byte per pixel); the
// target must then hold source pixel (x - shiftX, y - shiftY) inside `kept` and 0 elsewhere.
struct BlitCase {
  int32_t x, y, sourceX, sourceY, w, h;
  int shiftX, shiftY;
  ImageRect kept;
};

TEST_F(ImageTest, BlitClipsAtEverySideAndKeepsEachPixelInItsPlace) {
  const BlitCase cases[] = {
      {3, 1, 1, 1, 2, 3, 2, 0, {3, 1, 5, 4}},      // inside
      {6, 4, 0, 0, 4, 4, 6, 4, {6, 4, 8, 6}},      // cut at the right and bottom
      {-2, -3, 0, 0, 4, 4, -2, -3, {0, 0, 2, 1}},  // cut at the left and top
      {2, 2, -1, -1, 10, 10, 2, 2, {2, 2, 6, 6}},  // source rectangle larger than the source
      {8, 0, 0, 0, 4, 4, 0, 0, {0, 0, 0, 0}},      // nothing in common
      {0, 0, 4, 0, 4, 4, 0, 0, {0, 0, 0, 0}},      // nothing of the source
      {0, 0, INT32_MAX, 0, INT32_MAX, 1, 0, 0, {0, 0, 0, 0}},
  };
  for (const BlitCase& c : cases) {
    zrImage source, target;
    ASSERT_EQ(source.Create(4, 4, 1), 1);
    Paint(source);
    ASSERT_EQ(target.Create(8, 6, 1), 1);
    const bool copies = c.kept.right > c.kept.left;
    EXPECT_EQ(target.Blit(c.x, c.y, &source, c.sourceX, c.sourceY, c.w, c.h), copies ? 1 : 0);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 8; ++x) {
        const bool inside =
            x >= c.kept.left && x < c.kept.right && y >= c.kept.top && y < c.kept.bottom;
        ASSERT_EQ(target.PixelAt(x, y)[0], inside ? Mark(x - c.shiftX, y - c.shiftY, 0) : 0)
            << "blit to " << c.x << "," << c.y << ": pixel " << x << "," << y;
      }
    }
  }
}

TEST_F(ImageTest, BlitNeedsTheSamePixelsAndCopiesWithinOnePictureSafely) {
  zrImage image, other;
  ASSERT_EQ(image.Create(4, 4, 1), 1);
  Paint(image);
  ASSERT_EQ(other.Create(4, 4, 3), 1);
  EXPECT_EQ(image.Blit(0, 0, &other, 0, 0, 4, 4), 0);
  EXPECT_EQ(image.Blit(0, 0, nullptr, 0, 0, 4, 4), 0);
  // Moving down and right within one picture: no row is overwritten before it is read.
  ASSERT_EQ(image.Blit(1, 1, &image, 0, 0, 4, 4), 1);
  for (int y = 1; y < 4; ++y)
    for (int x = 1; x < 4; ++x) ASSERT_EQ(image.PixelAt(x, y)[0], Mark(x - 1, y - 1, 0));
}

TEST_F(ImageTest, CropClampsTheRectangleWritesItBackAndKeepsThePictureWhenNothingIsLeft) {
  zrImage image;
  ASSERT_EQ(image.Create(6, 5, 3), 1);
  Paint(image);
  uint8_t* pixels = image.GetPixels();
  ImageRect whole = {-1, -1, 6, 9};
  EXPECT_EQ(image.Crop(&whole), 1);
  ExpectRect(whole, 0, 0, 6, 5);
  EXPECT_EQ(image.GetPixels(), pixels);  // the whole picture: nothing changes

  ImageRect nothing = {7, 1, 9, 3};
  EXPECT_EQ(image.Crop(&nothing), 0);
  ExpectRect(nothing, 6, 1, 6, 3);
  EXPECT_EQ(image.GetSize(nullptr, nullptr), 100u);

  ImageRect rect = {-3, 2, 2, 99};
  ASSERT_EQ(image.Crop(&rect), 1);
  ExpectRect(rect, 0, 2, 2, 5);
  uint32_t width = 0, height = 0;
  EXPECT_EQ(image.GetSize(&width, &height), 24u);  // 6 bytes rounded up to 8, 3 rows
  EXPECT_EQ(width * 100 + height, 203u);
  ExpectRect(image.GetBounds(), 0, 0, 2, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(image.PixelAt(x, y)[c], Mark(x, y + 2, c));
  EXPECT_EQ(image.GetPixels()[6], 0);  // padding cleared
}

TEST_F(ImageTest, ExpandTo32AddsAnOpaqueAlphaToThreeBytePixels) {
  zrImage image;
  ASSERT_EQ(image.Create(3, 2, 3), 1);  // padded rows
  Paint(image);
  ASSERT_EQ(image.ExpandTo32(), 1);
  EXPECT_EQ(image.GetPitch(), 12);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 4; ++c) ASSERT_EQ(image.PixelAt(x, y)[c], c == 3 ? 255 : Mark(x, y, c));
  EXPECT_EQ(image.HasTransparency(), 0);
  EXPECT_EQ(image.ExpandTo32(), 0);
}

TEST_F(ImageTest, FlattenTo24BlendsWithSignedArithmeticOntoBlueGreenRed) {
  zrImage image;
  ASSERT_EQ(image.Create(4, 1, 4), 1);
  const uint8_t pixels[] = {9, 200, 77, 0, 0, 0, 0, 255, 0, 0, 0, 128, 200, 10, 100, 64};
  std::memcpy(image.GetPixels(), pixels, sizeof pixels);
  zrImage tinted;
  ASSERT_EQ(tinted.CopyFrom(&image), 1);
  ASSERT_EQ(image.FlattenTo24(0xFFFFFFFF), 1);
  EXPECT_EQ(image.GetBytesPerPixel(), 3);
  EXPECT_EQ(image.GetPitch(), 12);
  const uint8_t white[] = {255, 255, 255, 0, 0, 0, 127, 127, 127, 241, 193, 216};
  EXPECT_EQ(std::memcmp(image.GetPixels(), white, sizeof white), 0);
  // Blue 0x30, green 0x20, red 0x10: 48 + (152 × 64 >> 8), 32 + (-22 × 64 >> 8), 16 + 21.
  ASSERT_EQ(tinted.FlattenTo24(0x00102030), 1);
  const uint8_t expected[] = {86, 26, 37};
  EXPECT_EQ(std::memcmp(tinted.PixelAt(3, 0), expected, 3), 0);
  // Already three bytes: nothing to do.
  EXPECT_EQ(image.FlattenTo24(0), 0);
  EXPECT_EQ(image.PixelAt(0, 0)[0], 255);
}

TEST_F(ImageTest, FlipVerticalOfThreeRowsSwapsTheOuterOnes) {
  zrImage image;
  ASSERT_EQ(image.Create(2, 3, 1), 1);
  Paint(image);
  ASSERT_EQ(image.FlipVertical(), 1);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(image.PixelAt(x, y)[0], Mark(x, 2 - y, 0));
}

TEST_F(ImageTest, ColourAndTransparencyTouchOnlyWhatTheyAreFor) {
  ProbeImage image;
  ASSERT_EQ(image.Create(2, 1, 4), 1);
  const uint8_t pixels[] = {1, 2, 3, 0, 4, 5, 6, 1};
  std::memcpy(image.GetPixels(), pixels, sizeof pixels);
  ASSERT_EQ(image.ClearTransparentColour(), 1);
  EXPECT_EQ(image.SwapRedBlue(), 0);  // the colour order does not ask for it
  image.colourOrderMode_ = 1;
  ASSERT_EQ(image.SwapRedBlue(), 1);
  EXPECT_EQ(image.SwapRedBlue(), 0);  // once only
  const uint8_t expected[] = {0, 0, 0, 0, 6, 5, 4, 1};
  EXPECT_EQ(std::memcmp(image.GetPixels(), expected, sizeof expected), 0);
}

TEST_F(ImageTest, OpaqueBoundsEncloseEveryPixelWithAlpha) {
  zrImage image;
  ImageRect rect = {};
  EXPECT_EQ(image.OpaqueBounds(&rect), 0);
  ASSERT_EQ(image.Create(6, 5, 4), 1);
  ASSERT_EQ(image.OpaqueBounds(&rect), 1);
  ExpectRect(rect, 6, 5, 6, 5);  // fully transparent
  image.PixelAt(1, 3)[3] = 1;
  image.PixelAt(4, 1)[3] = 255;
  image.PixelAt(5, 4)[0] = 255;  // colour without alpha does not count
  ASSERT_EQ(image.OpaqueBounds(&rect), 1);
  ExpectRect(rect, 1, 1, 5, 4);
  ASSERT_EQ(image.Create(6, 5, 3), 1);
  ASSERT_EQ(image.OpaqueBounds(&rect), 1);
  ExpectRect(rect, 0, 0, 6, 5);
}

TEST_F(ImageTest, HasTransparencyCachesItsAnswerUntilThePixelsChange) {
  ProbeImage image;
  ASSERT_EQ(image.Create(2, 2, 4), 1);  // every alpha is 0
  image.alphaState_ = kAlphaOpaque;     // as a decoder may say: trusted without a scan
  EXPECT_EQ(image.HasTransparency(), 0);
  image.alphaState_ = kAlphaUnknown;
  EXPECT_EQ(image.HasTransparency(), 1);
  EXPECT_EQ(image.alphaState_, kAlphaTransparent);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) image.PixelAt(x, y)[3] = 255;
  EXPECT_EQ(image.HasTransparency(), 1);  // still the cached answer
  // Operations that make new pixels forget it.
  ImageRect rect = {0, 0, 1, 2};
  ASSERT_EQ(image.Crop(&rect), 1);
  EXPECT_EQ(image.HasTransparency(), 0);
  ASSERT_EQ(image.Create(2, 2, 4), 1);
  EXPECT_EQ(image.HasTransparency(), 1);
  ASSERT_EQ(image.Create(2, 2, 3), 1);
  EXPECT_EQ(image.HasTransparency(), 0);
}

TEST_F(ImageTest, AttributesHoldACopyOfTwentyBytesPerKey) {
  zrImage image;
  uint8_t record[kImageAttributeSize];
  for (uint32_t i = 0; i < kImageAttributeSize; ++i) record[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(image.SetAttribute(3, record), 1);
  record[0] = 99;
  ASSERT_EQ(image.SetAttribute(0xFFFF, record), 1);
  EXPECT_EQ(image.GetAttribute(3)[0], 1);
  EXPECT_EQ(image.GetAttribute(3)[19], 20);
  EXPECT_EQ(image.GetAttribute(0xFFFF)[0], 99);
  ASSERT_EQ(image.SetAttribute(3, record), 1);  // replaces the entry
  EXPECT_EQ(image.GetAttribute(3)[0], 99);
  EXPECT_EQ(image.GetAttribute(4), nullptr);
  EXPECT_EQ(image.SetAttribute(4, nullptr), 0);
}

class CountedImage : public zrImage {
 public:
  explicit CountedImage(int* destroyed) : destroyed_(destroyed) {}
  ~CountedImage() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST_F(ImageTest, ReleaseDestroysTheImageWithItsLastReference) {
  int destroyed = 0;
  auto* image = new CountedImage(&destroyed);
  ASSERT_EQ(image->Create(4, 4, 4), 1);
  EXPECT_EQ(image->AddRef(), 2);
  EXPECT_EQ(image->Release(), 1);
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(image->Release(), 0);
  EXPECT_EQ(destroyed, 1);
}

// A geometry that promises more than the buffer holds (as a careless decoder might leave it) is
// refused by every pixel walk instead of being read or written past the end.
TEST_F(ImageTest, PixelWalksRefuseAGeometryTheBufferDoesNotHold) {
  ProbeImage image;
  ASSERT_EQ(image.Create(4, 4, 4), 1);
  image.height_ = 400;
  image.colourOrderMode_ = 1;
  zrImage other;
  ASSERT_EQ(other.Create(4, 4, 4), 1);
  ImageRect rect = {0, 0, 2, 2};
  EXPECT_EQ(image.FlipVertical(), 0);
  EXPECT_EQ(image.Crop(&rect), 0);
  EXPECT_EQ(image.OpaqueBounds(&rect), 0);
  EXPECT_EQ(image.FlattenTo24(0), 0);
  EXPECT_EQ(image.ClearTransparentColour(), 0);
  EXPECT_EQ(image.SwapRedBlue(), 0);
  EXPECT_EQ(image.HasTransparency(), 0);
  EXPECT_EQ(image.PixelAt(0, 300), nullptr);
  EXPECT_EQ(other.Blit(0, 0, &image, 0, 0, 4, 4), 0);
  image.height_ = 4;
  image.pitch_ = 8;  // rows shorter than their pixels
  EXPECT_EQ(image.Blit(0, 0, &other, 0, 0, 4, 4), 0);
}

TEST_F(ImageTest, DibViewIsTheBufferAsABottomUpBitmap) {
  zrImage image;
  DibView view = {};
  EXPECT_EQ(DescribeAsDib(image, &view), 0);
  ASSERT_EQ(image.Create(5, 3, 4), 1);
  ASSERT_EQ(image.FlattenTo24(0xFFFFFFFF), 1);
  ASSERT_EQ(DescribeAsDib(image, &view), 1);
  EXPECT_EQ(view.header.size, 40u);
  EXPECT_EQ(view.header.width * 10 + view.header.height, 53);
  EXPECT_EQ(view.header.planes, 1);
  EXPECT_EQ(view.header.bitCount, 24);
  EXPECT_EQ(view.header.sizeImage, 48u);
  EXPECT_EQ(view.bits, image.GetPixels());
}

}  // namespace
