#include "image/zrImageHg2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/hg_slice_codec.h"
#include "image/zrImageLoader.h"
#include "platform/little_endian.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Hg2Image : public zrtest::HeapTest {
 protected:
  Bytes SaveOf(zrImageHg2& image, int32_t key, int32_t baseX = 0, int32_t baseY = 0) {
    MemoryBlock block{};
    EXPECT_EQ(image.Save(&block, key, baseX, baseY, 0), 1);
    EXPECT_EQ(block.capacity % 8, 0u);
    EXPECT_GE(block.capacity, 102400u);
    Bytes bytes(block.data, block.data + block.size);
    ReleaseMemoryBlock(&block);
    return bytes;
  }

  static MemoryBlock Lend(const Bytes& bytes) {
    return BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
};

// A 20 x 12 picture whose opaque part is columns 5 to 14 and rows 3 to 9; transparent pixels
// are all zero, as a decoder's canvas starts.
void FillBordered(zrImage& image) {
  image.Create(20, 12, 4);
  for (int32_t y = 3; y < 10; ++y) {
    for (int32_t x = 5; x < 15; ++x) {
      uint8_t* pixel = image.PixelAt(x, y);
      pixel[0] = static_cast<uint8_t>(x * 11);
      pixel[1] = static_cast<uint8_t>(y * 23);
      pixel[2] = static_cast<uint8_t>(x * y);
      pixel[3] = static_cast<uint8_t>(x == 5 ? 128 : 255);
    }
  }
}

// A version 16 file of one plane (`depth` 0 means full 8-bit channels).
Bytes Version16(const Bytes& pixels, uint32_t width, uint32_t height, int bpp, uint16_t depth) {
  HgEncodedPlane plane;
  EXPECT_TRUE(EncodeHgPlane(pixels.data(), width * bpp, width, height, bpp, plane));
  Bytes file = {'H', 'G', '-', '2'};
  for (uint32_t value : {12u, 16u, width, height}) AppendLe32(file, value);
  AppendLe16(file, static_cast<uint16_t>(bpp * 8));
  AppendLe16(file, depth);
  for (uint32_t value : {0u, 0u, static_cast<uint32_t>(plane.byteArea.size()), plane.byteAreaSize,
                         static_cast<uint32_t>(plane.bitArea.size()), plane.bitAreaSize}) {
    AppendLe32(file, value);
  }
  file.insert(file.end(), plane.byteArea.begin(), plane.byteArea.end());
  file.insert(file.end(), plane.bitArea.begin(), plane.bitArea.end());
  return file;
}

TEST_F(Hg2Image, SavingTrimsAndLoadingOnTheCanvasRestoresThePictureExactly) {
  zrImageHg2 original;
  FillBordered(original);
  zrImage reference;
  reference.CopyFrom(&original);
  const Bytes file = SaveOf(original, 7, 3, -4);

  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "HG-2");
  EXPECT_EQ(LoadLe32(file.data() + 8), 37u);
  EXPECT_EQ(LoadLe32(file.data() + 12), 10u);  // trimmed width
  EXPECT_EQ(LoadLe32(file.data() + 48), 40u);  // the byte area right after the frame information
  EXPECT_EQ(file.size(), 88u + LoadLe32(file.data() + 32) + LoadLe32(file.data() + 40));

  zrImageHg2 decoded;
  const MemoryBlock block = Lend(file);
  ASSERT_EQ(decoded.Load(&block, 7), 1);
  const ImagePlacement placement = decoded.GetPlacement();
  EXPECT_EQ(placement.width, 10u);
  EXPECT_EQ(placement.height, 7u);
  EXPECT_EQ(placement.canvasWidth, 20);
  EXPECT_EQ(placement.offsetX, 5);
  EXPECT_EQ(placement.offsetY, 3);
  EXPECT_EQ(placement.baseX, 3);
  EXPECT_EQ(placement.baseY, -4);
  EXPECT_EQ(decoded.GetAlphaState(), kAlphaTransparent);

  zrImageLoader loader;
  ASSERT_NE(loader.LoadFromMemory(&block, 1, 7), nullptr);
  EXPECT_EQ(loader.GetKind(), ImageKind::kHg2);
  for (int32_t y = 0; y < 12; ++y) {
    ASSERT_EQ(std::memcmp(loader.GetImage()->PixelAt(0, y), reference.PixelAt(0, y), 20 * 4), 0)
        << "row " << y;
  }
}

TEST_F(Hg2Image, ThreeBytePicturesStayThreeBytesAndEmptyOnesBecomeTwoByTwo) {
  zrImageHg2 colour;
  colour.Create(5, 3, 3);
  for (int32_t y = 0; y < 3; ++y) std::memset(colour.PixelAt(0, y), 0x30 + y, 15);
  const Bytes colourFile = SaveOf(colour, 0);
  zrImageHg2 decoded;
  MemoryBlock block = Lend(colourFile);
  ASSERT_EQ(decoded.Load(&block, 0), 1);
  EXPECT_EQ(decoded.GetBytesPerPixel(), 3);
  EXPECT_EQ(decoded.GetAlphaState(), kAlphaOpaque);
  EXPECT_EQ(decoded.PixelAt(4, 2)[2], 0x32);

  zrImageHg2 empty;
  empty.Create(9, 9, 4);
  const Bytes emptyFile = SaveOf(empty, 0);
  block = Lend(emptyFile);
  ASSERT_EQ(decoded.Load(&block, 0), 1);
  const ImagePlacement placement = decoded.GetPlacement();
  EXPECT_EQ(placement.width, 2u);
  EXPECT_EQ(placement.height, 2u);
  EXPECT_EQ(placement.offsetX, 0);
  EXPECT_EQ(placement.canvasWidth, 9);

  zrtest::TraceCapture traces;
  zrImageHg2 grey;
  grey.Create(4, 4, 1);
  MemoryBlock target{};
  EXPECT_EQ(grey.Save(&target, 0, 0, 0, 0), 0);
  EXPECT_TRUE(traces.Contains("この色数には対応していません"));
  EXPECT_EQ(target.data, nullptr);
}

TEST_F(Hg2Image, FramesByKeyAndByPositionPerVersion) {
  // Version 37: two frames chained by their "next" distance.
  zrImageHg2 first;
  FillBordered(first);
  zrImageHg2 second;
  second.Create(3, 2, 4);
  std::memset(second.PixelAt(0, 0), 0xFF, 3 * 2 * 4);
  Bytes file = SaveOf(first, 4);
  const Bytes other = SaveOf(second, 9);
  const uint32_t next = static_cast<uint32_t>(file.size() - 12);
  for (int i = 0; i < 4; ++i) file[48 + 28 + i] = static_cast<uint8_t>(next >> (8 * i));
  file.insert(file.end(), other.begin() + 12, other.end());
  MemoryBlock block = Lend(file);
  EXPECT_EQ(zrImageHg2::FrameKeys(&block), (std::vector<int32_t>{4, 9}));
  zrImageHg2 image;
  int32_t key = -1;
  ASSERT_EQ(image.LoadFrame(&block, 1, &key), 1);
  EXPECT_EQ(key, 9);
  EXPECT_EQ(image.GetPlacement().width, 3u);
  ASSERT_EQ(image.Load(&block, 9), 1);
  EXPECT_EQ(image.LoadFrame(&block, 2, &key), 0);
  zrtest::TraceCapture traces;
  EXPECT_EQ(image.Load(&block, 5), 0);
  EXPECT_TRUE(traces.Contains("HG2(5) : 対応するIDが見つかりません"));

  // Version 32 reads by key only: position 0 is the frame of key 0, which this file lacks.
  Bytes version32 = SaveOf(first, 3);
  version32[8] = 32;
  version32.erase(version32.begin() + 48 + 32, version32.begin() + 48 + 40);  // no base values
  version32[48] = 32;
  block = Lend(version32);
  EXPECT_EQ(zrImageHg2::FrameKeys(&block), std::vector<int32_t>{3});
  EXPECT_EQ(image.Load(&block, 3), 1);
  traces.Clear();
  EXPECT_EQ(image.LoadFrame(&block, 0, &key), 0);
  EXPECT_TRUE(traces.Contains("HG2(0) : 対応するIDが見つかりません"));

  // Version 16 has one picture for any key, nothing after it, and says nothing of alpha.
  const Bytes version16 = Version16(Bytes(4 * 2 * 4, 0x40), 4, 2, 4, 0);
  block = Lend(version16);
  EXPECT_EQ(zrImageHg2::FrameKeys(&block), std::vector<int32_t>{0});
  ASSERT_EQ(image.Load(&block, 12345), 1);
  EXPECT_EQ(image.GetAlphaState(), kAlphaUnknown);
  EXPECT_EQ(image.GetPlacement().canvasWidth, 4);
  ASSERT_EQ(image.LoadFrame(&block, 0, &key), 1);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(image.LoadFrame(&block, 1, &key), 0);
}

TEST_F(Hg2Image, ShallowChannelsAreWidenedByRepeatingTheirBits) {
  struct Case {
    uint16_t depth;
    uint8_t stored;
    uint8_t widened;
  };
  for (const Case& c :
       {Case{4, 0x0F, 0xFF}, Case{4, 0x05, 0x55}, Case{5, 0x10, 0x84}, Case{7, 0x7F, 0xFF},
        Case{3, 0x05, 0xB6}, Case{2, 0x01, 0x55}, Case{1, 0x01, 0xFF}, Case{8, 0x12, 0x12}}) {
    SCOPED_TRACE(c.depth);
    const Bytes file = Version16(Bytes(2 * 2 * 3, c.stored), 2, 2, 3, c.depth);
    const MemoryBlock block = Lend(file);
    zrImageHg2 image;
    ASSERT_EQ(image.Load(&block, 0), 1);
    EXPECT_EQ(image.PixelAt(1, 1)[2], c.widened);
  }
}

TEST_F(Hg2Image, BadFilesFailWithTheirMessagesAndDamageNeverCrashes) {
  zrImageHg2 picture;
  FillBordered(picture);
  const Bytes good = SaveOf(picture, 0);
  zrImageHg2 image;
  for (const auto& [at, value, message] : std::vector<std::tuple<size_t, uint8_t, const char*>>{
           {1, 'X', "HG2 : ヘッダが違います"},
           {8, 17, "HG2 : 未対応のバージョンです"},
           {36, 0x7F, "zrImageHg2 : バイト領域のサイズが異常です"},
           {44, 0x7F, "zrImageHg2 : ビット領域のサイズが異常です"}}) {
    Bytes bad = good;
    bad[at] = value;
    const MemoryBlock block = Lend(bad);
    zrtest::TraceCapture traces;
    EXPECT_EQ(image.Load(&block, 0), 0) << message;
    EXPECT_TRUE(traces.Contains(message)) << message;
  }
  // A cut in the headers or the byte area fails; one in the last stream's checksum may still
  // give every byte (the count decides, as for any stream here).
  for (size_t length = 0; length < good.size(); length += 3) {
    const Bytes cut(good.begin(), good.begin() + length);
    const MemoryBlock block = Lend(cut);
    const int loaded = image.Load(&block, 0);
    if (length < 88 + LoadLe32(good.data() + 32)) {
      EXPECT_EQ(loaded, 0) << length;
    }
  }
  std::mt19937 random(11);
  for (int round = 0; round < 1000; ++round) {
    Bytes bad = good;
    for (int i = 0; i < 3; ++i) bad[random() % bad.size()] = static_cast<uint8_t>(random());
    const MemoryBlock block = Lend(bad);
    image.Load(&block, 0);
  }
}

}  // namespace
