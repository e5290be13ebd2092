#include "image/zrImagePsd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/psd_document.h"
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

void AppendBig(Bytes& bytes, uint64_t value, int size) {
  for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) bytes.push_back(value >> shift & 0xFF);
}

void AppendText(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// What a crafted document's layer record holds. Every layer covers the 2x2 picture and has raw
// red, green and blue channels filled with its `shade`, plus channel ids `extraChannels`.
struct CraftedLayer {
  std::string key = "norm";
  std::string name;
  std::u16string unicodeName;
  int dividerType = -1;  // no divider block
  uint8_t shade = 0;
  std::vector<int16_t> extraChannels;
};

Bytes CraftedDocument(const std::vector<CraftedLayer>& layers) {
  Bytes document;
  AppendText(document, "8BPS");
  AppendBig(document, 1, 2);
  AppendBig(document, 0, 6);
  AppendBig(document, 3, 2);  // channels
  AppendBig(document, 2, 4);  // height
  AppendBig(document, 2, 4);  // width
  AppendBig(document, 8, 2);
  AppendBig(document, 3, 2);  // RGB
  AppendBig(document, 0, 4);  // colour mode data
  AppendBig(document, 0, 4);  // resources
  Bytes records;
  Bytes channelData;
  for (const CraftedLayer& layer : layers) {
    for (uint32_t edge : {0, 0, 2, 2}) AppendBig(records, edge, 4);  // top, left, bottom, right
    std::vector<int16_t> ids = {0, 1, 2};
    ids.insert(ids.end(), layer.extraChannels.begin(), layer.extraChannels.end());
    AppendBig(records, static_cast<uint32_t>(ids.size()), 2);
    for (int16_t id : ids) {
      AppendBig(records, static_cast<uint16_t>(id), 2);
      AppendBig(records, 2 + 4, 4);
      AppendBig(channelData, 0, 2);  // raw
      for (int i = 0; i < 4; ++i) channelData.push_back(id >= 0 ? layer.shade + id : 0x77);
    }
    AppendText(records, "8BIM" + layer.key);
    AppendBig(records, 0xFF000000, 4);
    Bytes extra(8, 0);  // no mask, no blending ranges
    extra.push_back(static_cast<uint8_t>(layer.name.size()));
    AppendText(extra, layer.name);
    while (extra.size() % 4 != 0) extra.push_back(0);
    if (!layer.unicodeName.empty()) {
      AppendText(extra, "8BIMluni");
      AppendBig(extra, static_cast<uint32_t>(4 + layer.unicodeName.size() * 2), 4);
      AppendBig(extra, static_cast<uint32_t>(layer.unicodeName.size()), 4);
      for (char16_t c : layer.unicodeName) AppendBig(extra, c, 2);
    }
    if (layer.dividerType >= 0) {
      AppendText(extra, "8BIMlsct");
      AppendBig(extra, 4, 4);
      AppendBig(extra, static_cast<uint32_t>(layer.dividerType), 4);
    }
    AppendBig(records, static_cast<uint32_t>(extra.size()), 4);
    records.insert(records.end(), extra.begin(), extra.end());
  }
  const auto layerInfoLength = static_cast<uint32_t>(2 + records.size() + channelData.size());
  AppendBig(document, layerInfoLength + 4, 4);
  AppendBig(document, layerInfoLength, 4);
  AppendBig(document, static_cast<uint32_t>(-static_cast<int32_t>(layers.size())), 2);
  document.insert(document.end(), records.begin(), records.end());
  document.insert(document.end(), channelData.begin(), channelData.end());
  AppendBig(document, 0, 2);  // a raw merged image of 0x10, 0x20, 0x30
  for (uint8_t value : {0x10, 0x20, 0x30}) document.insert(document.end(), 4, value);
  return document;
}

PsdLayerInfo ParsedLayer(const Bytes& document, uint32_t index, int32_t* blend) {
  PsdLayerInfo info;
  EXPECT_EQ(
      ParsePsd(document.data(), static_cast<uint32_t>(document.size()), &info, index, 1, blend), 1)
      << "layer " << index;
  return info;
}

TEST_F(PsdImage, MergedImagesReadAsImageMagickReadsThem) {
  // Raw and run-length planes (ImageMagick ends run-length rows with the no-op header 128), and
  // a document with an alpha channel, which loads opaque.
  for (const char* name : {"raw", "rle", "alpha"}) {
    SCOPED_TRACE(name);
    zrtest::ExpectBottomUpPicture(Document(std::string(name) + ".psd"), ImageKind::kPsd,
                                  Document(std::string(name) + "_ref.png"));
  }
}

TEST_F(PsdImage, LayersOfAnImageMagickDocumentSitOnTheCanvas) {
  // Rose: 6x4 at (2,3), half transparent. Green: 5x5 at (9,6) without alpha, reaching past the
  // 12x9 canvas; ImageMagick writes its blend key with the bytes reversed ("mron").
  const Bytes document = Document("layers.psd");
  const struct {
    const char* name;
    PsdBounds bounds;
    const char* reference;
    uint8_t alphaOutside;
  } layers[] = {{"Rose", {2, 3, 8, 7}, "layer0.png", 0},
                {"Green", {9, 6, 14, 11}, "layer1.png", 255}};
  for (uint32_t index = 0; index < 2; ++index) {
    SCOPED_TRACE(index);
    int32_t blend = -1;
    const PsdLayerInfo info = ParsedLayer(document, index, &blend);
    EXPECT_EQ(info.layerCount, 2u);
    EXPECT_STREQ(info.name, layers[index].name);
    EXPECT_EQ(std::memcmp(&info.bounds, &layers[index].bounds, sizeof info.bounds), 0);
    EXPECT_EQ(blend, kPsdBlendNormal);
    EXPECT_EQ(info.merged, 0u);

    zrImagePsd layer;
    const MemoryBlock block = Lend(document);
    ASSERT_EQ(layer.LoadLayer(&block, index), 1);
    zrImageLoader reference;
    const Bytes pngBytes = Document(layers[index].reference);
    MemoryBlock png = Lend(pngBytes);
    ASSERT_NE(reference.LoadFromMemory(&png, 0, 0), nullptr);
    const PsdBounds& at = layers[index].bounds;
    for (int32_t y = 0; y < 9; ++y) {
      for (int32_t x = 0; x < 12; ++x) {
        const uint8_t* got = layer.PixelFromBottom(x, y);
        if (x >= at.left && x < at.right && y >= at.top && y < at.bottom) {
          const uint8_t* want = reference.GetImage()->PixelAt(x - at.left, y - at.top);
          ASSERT_EQ(std::memcmp(got, want, 4), 0) << x << "," << y;
        } else {
          const uint8_t outside[4] = {0, 0, 0, layers[index].alphaOutside};
          ASSERT_EQ(std::memcmp(got, outside, 4), 0) << x << "," << y;
        }
      }
    }
  }
  zrImagePsd image;
  const MemoryBlock block = Lend(document);
  EXPECT_EQ(image.LoadLayer(&block, 2), 0);
  // A document cut anywhere before the end of its layer section (at 403) loses layer 1.
  for (size_t length = 0; length < 403; length += 3) {
    const Bytes cut(document.begin(), document.begin() + length);
    const MemoryBlock shorter = Lend(cut);
    EXPECT_EQ(image.LoadLayer(&shorter, 1), 0) << length;
  }
}

TEST_F(PsdImage, LayerRecordsGiveNamesGroupsAndBlendCodes) {
  CraftedLayer group;
  group.name = "group";
  group.unicodeName = u"\u80cc\u666f";  // two kanji, four bytes in Shift-JIS
  group.dividerType = 1;
  CraftedLayer shadow;
  shadow.key = "mul ";
  shadow.name = "shadow";
  shadow.shade = 0x40;
  shadow.extraChannels = {-2, -1};  // a user mask (skipped), then alpha
  CraftedLayer longName;
  longName.key = "div ";
  longName.unicodeName.assign(200, u'\u3042');  // 400 bytes in Shift-JIS: cut to whole letters
  CraftedLayer groupEnd;
  groupEnd.key = "scrn";
  groupEnd.dividerType = 3;
  groupEnd.shade = 0x80;
  const Bytes document = CraftedDocument({group, shadow, longName, groupEnd});

  int32_t blend = -1;
  PsdLayerInfo info = ParsedLayer(document, 0, &blend);
  EXPECT_EQ(info.layerCount, 4u);
  EXPECT_STREQ(info.name, "\x94\x77\x8c\x69");
  EXPECT_EQ(info.sectionDivider, kPsdGroupStart);
  info = ParsedLayer(document, 1, &blend);
  EXPECT_STREQ(info.name, "shadow");
  EXPECT_EQ(blend, kPsdBlendMultiply);
  EXPECT_EQ(info.sectionDivider, kPsdNoSection);
  EXPECT_EQ(info.channelCount, 5);
  info = ParsedLayer(document, 2, &blend);
  EXPECT_EQ(blend, kPsdBlendDivide);
  EXPECT_EQ(std::strlen(info.name), 254u);
  info = ParsedLayer(document, 3, &blend);
  EXPECT_EQ(blend, kPsdBlendScreen);
  EXPECT_EQ(info.sectionDivider, kPsdGroupEnd);

  // Channel data follows in record order, past the earlier layers' data and the mask channel.
  zrImagePsd image;
  const MemoryBlock block = Lend(document);
  ASSERT_EQ(image.LoadLayer(&block, 1), 1);
  const uint8_t shadowPixel[4] = {0x42, 0x41, 0x40, 0x77};
  EXPECT_EQ(std::memcmp(image.PixelFromBottom(1, 1), shadowPixel, 4), 0);
  EXPECT_EQ(image.GetCompositionType(), static_cast<uint32_t>(kPsdBlendMultiply));
  ASSERT_EQ(image.LoadLayer(&block, 3), 1);
  const uint8_t endPixel[4] = {0x82, 0x81, 0x80, 0xFF};
  EXPECT_EQ(std::memcmp(image.PixelFromBottom(0, 0), endPixel, 4), 0);
  ASSERT_EQ(image.Load(&block, 0), 1);
  const uint8_t merged[4] = {0x30, 0x20, 0x10, 0xFF};
  EXPECT_EQ(std::memcmp(image.PixelFromBottom(0, 1), merged, 4), 0);

  // An unknown blend key or more than 256 channels fails that layer's parse, not the merged
  // image's.
  CraftedLayer unknown;
  unknown.key = "dark";
  CraftedLayer crowded;
  crowded.extraChannels.assign(254, 5);
  for (const CraftedLayer& bad : {unknown, crowded}) {
    const Bytes broken = CraftedDocument({bad});
    PsdLayerInfo ignored;
    EXPECT_EQ(ParsePsd(broken.data(), static_cast<uint32_t>(broken.size()), &ignored, 0, 1, &blend),
              0);
    const MemoryBlock brokenBlock = Lend(broken);
    EXPECT_EQ(image.Load(&brokenBlock, 0), 1);
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
