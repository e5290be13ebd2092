#include "image/zrImageLoader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/hg3_writer.h"
#include "image/zrImagePng.h"
#include "platform/little_endian.h"
#include "support/test_support.h"
#include "test_pictures.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kUnknownFormat[] = "展開できないイメージです";

using zrtest::TestPicture;

uint8_t* Load(zrImageLoader& loader, const Bytes& bytes, int placeOnCanvas = 0) {
  const MemoryBlock block = BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return loader.LoadFromMemory(&block, placeOnCanvas, 0);
}

// A 4 x 2 picture on a 10 x 6 canvas at (3, 4), as one HG-3 frame.
Bytes PlacedHg3() {
  zrImage picture;
  picture.Create(4, 2, 4);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 4; ++x) std::memset(picture.PixelAt(x, y), 0x40 + x + 4 * y, 4);
  }
  hg3::Writer writer;
  AddHg3StandardFrame(writer, 0, picture);
  Bytes file = writer.Finish();
  // stdinfo sits right after the file header, the frame header and the tag header.
  const size_t info = hg3::kHeaderSize + hg3::kFrameHeaderSize + hg3::kTagHeaderSize;
  const uint32_t placement[] = {3, 4, 10, 6};
  for (int i = 0; i < 4; ++i) {
    for (int b = 0; b < 4; ++b)
      file[info + 12 + 4 * i + b] = static_cast<uint8_t>(placement[i] >> (8 * b));
  }
  return file;
}

class ImageLoader : public zrtest::HeapTest {};

TEST_F(ImageLoader, PicksTheFormatByItsFirstBytes) {
  zrImageLoader loader;
  EXPECT_NE(Load(loader, TestPicture("rose.png")), nullptr);
  EXPECT_EQ(loader.GetKind(), ImageKind::kPng);
  uint32_t width = 0;
  uint32_t height = 0;
  loader.GetSize(&width, &height);
  EXPECT_EQ(width, 70u);
  EXPECT_EQ(height, 46u);
  EXPECT_EQ(loader.GetBytesPerPixel(), 3);
  EXPECT_EQ(loader.GetPitch(), 212);

  EXPECT_NE(Load(loader, PlacedHg3()), nullptr);
  EXPECT_EQ(loader.GetKind(), ImageKind::kHg3);
  EXPECT_EQ(loader.GetBytesPerPixel(), 4);
}

TEST_F(ImageLoader, AFailedDecodeTriesNoOtherFormatAndHoldsNothing) {
  zrImageLoader loader;
  ASSERT_NE(Load(loader, TestPicture("rose.png")), nullptr);
  // "HG-3" followed by a PNG: the HG-3 decoder refuses it, and PNG is not tried.
  Bytes hg3 = {'H', 'G', '-', '3'};
  const Bytes png = TestPicture("rose.png");
  hg3.insert(hg3.end(), png.begin(), png.end());
  zrtest::TraceCapture traces;
  EXPECT_EQ(Load(loader, hg3), nullptr);
  EXPECT_EQ(loader.GetImage(), nullptr);
  EXPECT_EQ(loader.GetPixels(), nullptr);
  EXPECT_EQ(loader.GetBytesPerPixel(), 0);
  EXPECT_FALSE(traces.Contains(kUnknownFormat));
}

TEST_F(ImageLoader, UnknownBytesAreReportedAndKeepTheKind) {
  zrImageLoader loader;
  ASSERT_NE(Load(loader, TestPicture("rose.png")), nullptr);
  // A bitmap of 8 bits per pixel, a PSD header cut short and a GIF: not formats read here.
  Bytes bitmap(64, 0);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  bitmap[28] = 8;
  const Bytes others[] = {bitmap, Bytes{'8', 'B', 'P', 'S', 0, 1},
                          Bytes{'G', 'I', 'F', '8', '9', 'a'}, Bytes{}, Bytes{0xFF, 0xD8}};
  for (const Bytes& bytes : others) {
    zrtest::TraceCapture traces;
    EXPECT_EQ(Load(loader, bytes), nullptr);
    EXPECT_TRUE(traces.Contains(kUnknownFormat));
    EXPECT_EQ(loader.GetImage(), nullptr);
    EXPECT_EQ(loader.GetKind(), ImageKind::kPng);
  }
  EXPECT_EQ(loader.LoadFromMemory(nullptr, 0, 0), nullptr);
}

TEST_F(ImageLoader, PlacesAPictureOnItsCanvas) {
  zrImageLoader loader;
  ASSERT_NE(Load(loader, PlacedHg3(), 1), nullptr);
  uint32_t width = 0;
  uint32_t height = 0;
  loader.GetSize(&width, &height);
  EXPECT_EQ(width, 10u);
  EXPECT_EQ(height, 6u);
  zrImage* canvas = loader.GetImage();
  EXPECT_EQ(canvas->PixelAt(2, 4)[0], 0);
  EXPECT_EQ(canvas->PixelAt(3, 4)[0], 0x40);
  EXPECT_EQ(canvas->PixelAt(6, 5)[0], 0x47);
  EXPECT_EQ(canvas->PixelAt(7, 5)[0], 0);
  // The canvas carries no placement of its own: placing again changes nothing.
  int32_t x = -1;
  int32_t y = -1;
  canvas->GetOffset(&x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  loader.PlaceOnCanvas();
  EXPECT_EQ(loader.GetImage(), canvas);

  // A picture that fills its canvas (a PNG: canvas read as its own size) stays as loaded.
  ASSERT_NE(Load(loader, TestPicture("rose.png"), 1), nullptr);
  loader.GetSize(&width, &height);
  EXPECT_EQ(width, 70u);
}

}  // namespace
