#include "image/zrImageHg3.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "image/hg3_container.h"
#include "image/hg3_writer.h"
#include "image/zlib_buffers.h"
#include "image/zrImageJpeg.h"
#include "image/zrImageLoader.h"
#include "image/zrImageWebP.h"
#include "platform/little_endian.h"
#include "support/test_support.h"
#include "test_pictures.h"

namespace {

using Bytes = std::vector<uint8_t>;

using zrtest::TestPicture;

struct ImageDeleter {
  void operator()(zrImage* image) const { image->Release(); }
};
template <typename Image>
using Held = std::unique_ptr<Image, ImageDeleter>;

// Decodes `bytes` as HG-3 frame `key`; null when the decoder refuses them.
Held<zrImageHg3> DecodeHg3(const Bytes& bytes, int32_t key = 0) {
  Held<zrImageHg3> image(new zrImageHg3);
  const MemoryBlock block = BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (!image->Load(&block, key)) return nullptr;
  return image;
}

Bytes StdInfo(uint32_t width, uint32_t height, int bits, bool transparent = false) {
  Bytes info;
  AppendLe32(info, width);
  AppendLe32(info, height);
  AppendLe16(info, static_cast<uint16_t>(bits));
  AppendLe16(info, 0);
  for (uint32_t value : {3u, 4u, width + 10, height + 20, transparent ? 1u : 0u, 7u, 8u}) {
    AppendLe32(info, value);
  }
  return info;
}

void AddTag(hg3::Writer& writer, const char* name, const Bytes& data) {
  writer.AddTag(name, data.data(), static_cast<uint32_t>(data.size()));
}

// A picture whose every byte differs from its neighbours, so that a row or channel out of place
// shows.
zrImage* MakePattern(uint32_t width, uint32_t height, int bpp) {
  auto* image = new zrImage;
  image->Create(width, height, bpp);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      uint8_t* pixel = image->PixelAt(static_cast<int32_t>(x), static_cast<int32_t>(y));
      for (int c = 0; c < bpp; ++c) pixel[c] = static_cast<uint8_t>(x * 7 + y * 13 + c * 50);
    }
  }
  return image;
}

// Every pixel of `decoded` (4 bytes) equals `source` (3 or 4 bytes; 3-byte pixels read as
// opaque).
void ExpectSamePixels(zrImage& source, zrImage& decoded) {
  uint32_t width = 0;
  uint32_t height = 0;
  source.GetSize(&width, &height);
  uint32_t decodedWidth = 0;
  uint32_t decodedHeight = 0;
  decoded.GetSize(&decodedWidth, &decodedHeight);
  ASSERT_EQ(decodedWidth, width);
  ASSERT_EQ(decodedHeight, height);
  ASSERT_EQ(decoded.GetBytesPerPixel(), 4);
  const int bpp = source.GetBytesPerPixel();
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    for (int32_t x = 0; x < static_cast<int32_t>(width); ++x) {
      const uint8_t* want = source.PixelAt(x, y);
      const uint8_t* got = decoded.PixelAt(x, y);
      ASSERT_EQ(std::memcmp(want, got, 3), 0) << "pixel " << x << "," << y;
      ASSERT_EQ(got[3], bpp == 4 ? want[3] : 255) << "pixel " << x << "," << y;
    }
  }
}

Held<zrImage> LoadPicture(const std::string& name) {
  const Bytes bytes = TestPicture(name);
  zrImageLoader loader;
  const MemoryBlock block = BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (!loader.LoadFromMemory(&block, 0, 0)) return nullptr;
  Held<zrImage> copy(new zrImage);
  copy->CopyFrom(loader.GetImage());
  return copy;
}

class Hg3Image : public zrtest::HeapTest {};

TEST_F(Hg3Image, RealPicturesRoundTripPixelExactThroughOurWriter) {
  for (const char* name : {"rose.png", "logo_alpha.png"}) {
    Held<zrImage> picture = LoadPicture(name);
    ASSERT_TRUE(picture) << name;
    // One slice, several slices, and slices of a single row.
    for (uint32_t sliceRows : {1024u, 7u, 1u}) {
      SCOPED_TRACE(std::string(name) + " slices of " + std::to_string(sliceRows));
      hg3::Writer writer;
      ASSERT_TRUE(AddHg3StandardFrame(writer, 0, *picture, sliceRows));
      const Held<zrImageHg3> decoded = DecodeHg3(writer.Finish());
      ASSERT_TRUE(decoded);
      ExpectSamePixels(*picture, *decoded);
      EXPECT_EQ(decoded->HasTransparency(), picture->GetBytesPerPixel() == 4 ? 1 : 0);
    }
  }
}

TEST_F(Hg3Image, FramesAreFoundByKeyAndByPosition) {
  Held<zrImage> first(MakePattern(5, 3, 4));
  Held<zrImage> second(MakePattern(9, 4, 3));
  hg3::Writer writer;
  AddHg3StandardFrame(writer, 5, *first);
  AddHg3StandardFrame(writer, 0, *second);
  const Bytes file = writer.Finish();

  const Held<zrImageHg3> byKey = DecodeHg3(file, 0);
  ASSERT_TRUE(byKey);
  ExpectSamePixels(*second, *byKey);
  EXPECT_FALSE(DecodeHg3(file, 3));

  const MemoryBlock block = BorrowedBlock(file.data(), static_cast<uint32_t>(file.size()));
  int32_t key = -1;
  zrImageHg3 byPosition;
  ASSERT_TRUE(byPosition.LoadFrame(&block, 1, &key));
  EXPECT_EQ(key, 0);
  ExpectSamePixels(*second, byPosition);
  ASSERT_TRUE(byPosition.LoadFrame(&block, 0, &key));
  EXPECT_EQ(key, 5);
  EXPECT_FALSE(byPosition.LoadFrame(&block, 2, &key));
}

TEST_F(Hg3Image, TagsCarryPlacementAttributesAndColourOrder) {
  Held<zrImage> picture(MakePattern(4, 2, 4));
  hg3::Writer writer;
  writer.BeginFrame(0);
  AddTag(writer, "stdinfo", StdInfo(4, 2, 32, true));
  Bytes record(20);
  for (int i = 0; i < 20; ++i) record[i] = static_cast<uint8_t>(i + 1);
  AddTag(writer, "ats0x1F", record);
  AddTag(writer, "ats12.5", record);
  AddTag(writer, "ats-2", Bytes(record.begin(), record.begin() + 3));  // short: zero-padded
  AddTag(writer, "cptype", {9, 0, 0, 0});
  AddTag(writer, "imgmode", {1, 0, 0, 0});
  const Held<zrImageHg3> image = DecodeHg3(writer.Finish());
  ASSERT_TRUE(image);
  int32_t a = 0;
  int32_t b = 0;
  image->GetCanvasSize(&a, &b);
  EXPECT_EQ(a, 14);
  EXPECT_EQ(b, 22);
  image->GetOffset(&a, &b);
  EXPECT_EQ(a, 3);
  EXPECT_EQ(b, 4);
  image->GetBase(&a, &b);
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 8);
  EXPECT_EQ(image->GetAlphaState(), kAlphaTransparent);
  EXPECT_EQ(image->GetCompositionType(), 9u);
  ASSERT_NE(image->GetAttribute(31), nullptr);
  EXPECT_EQ(std::memcmp(image->GetAttribute(31), record.data(), 20), 0);
  EXPECT_EQ(image->GetAttribute(12), nullptr);
  ASSERT_NE(image->GetAttribute(0xFFFE), nullptr);
  EXPECT_EQ(image->GetAttribute(0xFFFE)[2], 3);
  EXPECT_EQ(image->GetAttribute(0xFFFE)[3], 0);
  // A frame without slices is a blank picture, not heap garbage.
  for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(image->PixelAt(x, 1)[0], 0);
}

TEST_F(Hg3Image, SlicesAfterAGapAreNotDecoded) {
  Held<zrImage> picture(MakePattern(6, 6, 4));
  hg3::Writer source;
  AddHg3StandardFrame(source, 0, *picture, 3);
  const Bytes whole = source.Finish();
  hg3::Frame frame;
  ASSERT_TRUE(hg3::FindFrameByKey(whole.data(), static_cast<uint32_t>(whole.size()), 0, frame));
  ASSERT_EQ(frame.Slices().size(), 2u);

  hg3::Writer gap;
  gap.BeginFrame(0);
  AddTag(gap, "stdinfo", StdInfo(6, 6, 32));
  const hg3::Tag* second = frame.Find("img0001");
  gap.AddTag("img0001", second->data, second->size);
  const Held<zrImageHg3> image = DecodeHg3(gap.Finish());
  ASSERT_TRUE(image);
  for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(image->PixelAt(0, y)[3], 0) << y;
}

// A frame whose picture is a JPEG plane, with optional extra tags.
Bytes JpegFrame(const Bytes& jpeg, uint32_t width, uint32_t height, int bits,
                const std::vector<std::pair<const char*, Bytes>>& extra) {
  hg3::Writer writer;
  writer.BeginFrame(0);
  AddTag(writer, "stdinfo", StdInfo(width, height, bits));
  AddTag(writer, "img_jpg", jpeg);
  for (const auto& [name, data] : extra) AddTag(writer, name, data);
  return writer.Finish();
}

Bytes AlphaPlane(const Bytes& alpha, uint32_t statedSize) {
  Bytes compressed(alpha.size() + 1024);
  const int64_t length =
      DeflateBuffer(compressed.data(), compressed.size(), alpha.data(), alpha.size());
  Bytes tag;
  AppendLe32(tag, static_cast<uint32_t>(length));
  AppendLe32(tag, statedSize);
  tag.insert(tag.end(), compressed.begin(), compressed.begin() + length);
  return tag;
}

TEST_F(Hg3Image, JpegPlaneWithAlphaPlaneAndColourOrder) {
  Held<zrImage> colours(MakePattern(16, 8, 3));
  zrImageJpeg encoder;
  encoder.CopyFrom(colours.get());
  MemoryBlock jpeg{};
  ASSERT_TRUE(encoder.Save(&jpeg, 0, 0, 0, 0));
  const Bytes jpegBytes(jpeg.data, jpeg.data + jpeg.size);
  ReleaseMemoryBlock(&jpeg);
  zrImageJpeg reference;
  const MemoryBlock block =
      BorrowedBlock(jpegBytes.data(), static_cast<uint32_t>(jpegBytes.size()));
  ASSERT_TRUE(reference.Load(&block, 0));

  Bytes alpha(16 * 8);
  for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>(i * 2);

  struct Case {
    const char* name;
    std::vector<std::pair<const char*, Bytes>> tags;
    bool swapped;
    bool alphaApplied;
  };
  const Case cases[] = {
      {"no imgmode: red and blue exchanged", {}, true, false},
      {"imgmode 0 keeps the order", {{"imgmode", {0, 0, 0, 0}}}, false, false},
      {"alpha plane", {{"img_al", AlphaPlane(alpha, 16 * 8)}}, true, true},
      {"alpha plane of the wrong size", {{"img_al", AlphaPlane(alpha, 16 * 8 + 1)}}, true, false},
      {"alpha plane too small for the picture",
       {{"img_al", AlphaPlane(Bytes(10, 1), 10)}},
       true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Held<zrImageHg3> image = DecodeHg3(JpegFrame(jpegBytes, 16, 8, 32, c.tags));
    ASSERT_TRUE(image);
    ASSERT_EQ(image->GetBytesPerPixel(), 4);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 16; ++x) {
        const uint8_t* want = reference.PixelAt(x, y);
        const uint8_t* got = image->PixelAt(x, y);
        ASSERT_EQ(got[0], want[c.swapped ? 2 : 0]);
        ASSERT_EQ(got[1], want[1]);
        ASSERT_EQ(got[2], want[c.swapped ? 0 : 2]);
        ASSERT_EQ(got[3], c.alphaApplied ? alpha[y * 16 + x] : 255);
      }
    }
  }
  // A 24-bit frame gets opaque 4-byte pixels; a plane of another size or no JPEG at all fails.
  EXPECT_TRUE(DecodeHg3(JpegFrame(jpegBytes, 16, 8, 24, {})));
  EXPECT_FALSE(DecodeHg3(JpegFrame(jpegBytes, 17, 8, 32, {})));
  EXPECT_FALSE(
      DecodeHg3(JpegFrame(Bytes(jpegBytes.begin(), jpegBytes.begin() + 20), 16, 8, 32, {})));
}

TEST_F(Hg3Image, WebPPlaneMustMatchTheDescribedPicture) {
  Held<zrImage> colours(MakePattern(12, 6, 4));
  zrImageWebP encoder;
  encoder.CopyFrom(colours.get());
  MemoryBlock webp{};
  ASSERT_TRUE(encoder.Save(&webp, 0, 0, 0, 0));
  const Bytes webpBytes(webp.data, webp.data + webp.size);
  ReleaseMemoryBlock(&webp);
  zrImageWebP reference;
  const MemoryBlock block =
      BorrowedBlock(webpBytes.data(), static_cast<uint32_t>(webpBytes.size()));
  ASSERT_TRUE(reference.Load(&block, 0));

  auto frame = [&](uint32_t width, int bits) {
    hg3::Writer writer;
    writer.BeginFrame(0);
    AddTag(writer, "stdinfo", StdInfo(width, 6, bits));
    AddTag(writer, "img_wbp", webpBytes);
    AddTag(writer, "img_jpg", Bytes(40, 0));  // the WebP plane wins
    AddTag(writer, "imgmode", {0, 0, 0, 0});
    return writer.Finish();
  };
  const Held<zrImageHg3> image = DecodeHg3(frame(12, 32));
  ASSERT_TRUE(image);
  for (int32_t y = 0; y < 6; ++y) {
    ASSERT_EQ(std::memcmp(image->PixelAt(0, y), reference.PixelAt(0, y), 12 * 4), 0);
  }
  EXPECT_FALSE(DecodeHg3(frame(13, 32)));
  EXPECT_FALSE(DecodeHg3(frame(12, 24)));
}

TEST_F(Hg3Image, BadHeadersAndSlicesFailWithTheirMessages) {
  Held<zrImage> picture(MakePattern(8, 8, 4));
  hg3::Writer writer;
  AddHg3StandardFrame(writer, 0, *picture);
  const Bytes good = writer.Finish();
  hg3::Frame frame;
  ASSERT_TRUE(hg3::FindFrameByKey(good.data(), static_cast<uint32_t>(good.size()), 0, frame));
  const size_t slice = static_cast<size_t>(frame.Find("img0000")->data - good.data());

  struct Case {
    const char* name;
    size_t at;
    uint8_t value;
    const char* message;
  };
  const Case cases[] = {
      {"magic", 3, '2', "HG3 : ヘッダが違います"},
      {"header size", 4, 13, "HG3 : ヘッダサイズが違います"},
      {"byte area size", slice + 12, 0x7F, "zrImageHg3 : バイト領域のサイズが異常です"},
      {"bit area size", slice + 20, 0x7F, "zrImageHg3 : ビット領域のサイズが異常です"},
      {"rows beyond the picture", slice + 4, 9, nullptr},
      {"first row beyond the picture", slice, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    bad[c.at] = c.value;
    zrtest::TraceCapture traces;
    EXPECT_FALSE(DecodeHg3(bad));
    if (c.message) {
      EXPECT_TRUE(traces.Contains(c.message));
    }
  }
}

TEST_F(Hg3Image, DamagedFilesFailCleanly) {
  Held<zrImage> picture(MakePattern(20, 9, 4));
  hg3::Writer writer;
  AddHg3StandardFrame(writer, 0, *picture, 4);
  const Bytes good = writer.Finish();
  // Every cut, and many random byte changes, must decode or fail without touching memory the
  // file does not describe (the sanitizer builds check that).
  for (size_t length = 0; length < good.size(); ++length) {
    DecodeHg3(Bytes(good.begin(), good.begin() + length));
  }
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    Bytes bad = good;
    for (int i = 0; i < 3; ++i) bad[random() % bad.size()] = static_cast<uint8_t>(random());
    DecodeHg3(bad);
  }
}

}  // namespace
