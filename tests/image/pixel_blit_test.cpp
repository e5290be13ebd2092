#include "image/pixel_blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "image/pixel_members.h"
#include "image/pixel_narrow_mmx.h"
#include "system/zrCaps.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A surface held in a vector of exactly its size, so that a stray write shows under ASan.
struct Surface {
  Surface(int32_t bytesPerPixel, int32_t w, int32_t h, uint8_t fill = 0)
      : bpp(bytesPerPixel),
        width(w),
        height(h),
        pitch(w * bytesPerPixel),
        bytes(static_cast<size_t>(pitch * h), fill) {}
  uint8_t* At(int32_t x, int32_t y) { return bytes.data() + y * pitch + x * bpp; }
  Bytes Pixel(int32_t x, int32_t y) { return Bytes(At(x, y), At(x, y) + bpp); }
  void Set(int32_t x, int32_t y, const Bytes& pixel) {
    std::copy(pixel.begin(), pixel.end(), At(x, y));
  }

  int32_t bpp, width, height, pitch;
  Bytes bytes;
};

BlitParams Blit(Surface& dst, int32_t dx, int32_t dy, const Surface& src, int32_t sx, int32_t sy,
                int32_t w, int32_t h) {
  BlitParams p{};
  p.dst = {dst.bpp, dst.bytes.data(), dst.width, dst.height, dx, dy, 0, 0, dst.pitch, 0};
  p.src = {src.bpp, src.bytes.data(), src.width, src.height, sx, sy, w, h, src.pitch, 256};
  return p;
}

// One pixel in each format, and what every conversion makes of it.
const Bytes kPixel[4] = {{}, {0xC5, 0xA3}, {0x12, 0x8F, 0xE7}, {0x12, 0x8F, 0xE7, 0x6B}};
const Bytes kConverted[4][4] = {
    {},
    {{}, {0xC5, 0xA3}, {0x55, 0xCC, 0x33}, {0x55, 0xCC, 0x33, 0xAA}},
    {{}, {0x81, 0xFE}, {0x12, 0x8F, 0xE7}, {0x12, 0x8F, 0xE7, 0xFF}},
    {{}, {0x81, 0x6E}, {0x12, 0x8F, 0xE7}, {0x12, 0x8F, 0xE7, 0x6B}},
};

TEST(PixelConvert, EveryPairWidensOrNarrowsEachPixel) {
  for (int32_t s = 1; s < kPixelFormatSlots; ++s) {
    EXPECT_EQ(kConvertTable[0][s], nullptr);
    EXPECT_EQ(kConvertTable[s][0], nullptr);
    for (int32_t d = 1; d < kPixelFormatSlots; ++d) {
      SCOPED_TRACE(testing::Message() << s << " -> " << d);
      Surface src(static_cast<int32_t>(kPixel[s].size()), 2, 2);
      Surface dst(static_cast<int32_t>(kPixel[d].size()), 2, 2);
      src.Set(1, 0, kPixel[s]);
      BlitParams p = Blit(dst, 0, 1, src, 1, 0, 1, 1);
      ASSERT_NE(kConvertTable[s][d], nullptr);
      EXPECT_EQ(kConvertTable[s][d](&p), 1);
      EXPECT_EQ(dst.Pixel(0, 1), kConverted[s][d]);
    }
  }
}

TEST(PixelConvert, DitherRoundsUpWhereTheLowNibbleReachesTheThreshold) {
  Surface src(4, 4, 4, 0x1F);
  Surface dst(2, 4, 4);
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 4, 4);
  p.dither = 1;
  ASSERT_EQ(kConvertTable[3][1](&p), 1);
  EXPECT_EQ(dst.Pixel(3, 3), (Bytes{0x22, 0x12}));  // threshold 1
  EXPECT_EQ(dst.Pixel(2, 3), (Bytes{0x11, 0x11}));  // threshold 16 never rounds

  Surface white(4, 4, 4, 0xFF);
  p = Blit(dst, 0, 0, white, 0, 0, 4, 4);
  p.dither = 1;
  ASSERT_EQ(kConvertTable[3][1](&p), 1);
  EXPECT_EQ(dst.bytes, Bytes(32, 0xFF));  // 15 stays 15, nothing carries into the next channel
}

TEST(PixelConvert, DitherPhaseFollowsTheRectangleNotTheSurface) {
  Surface src(4, 3, 3, 0x04);  // low nibble 4: rounds at threshold 4 (surface 1,1), not at 5
  Surface dst(2, 1, 1);
  BlitParams p = Blit(dst, 0, 0, src, 1, 1, 1, 1);
  p.dither = 1;
  ASSERT_EQ(kConvertTable[3][1](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{0x00, 0x00}));
  p.dither = 0;
  src.Set(1, 1, {0x4F, 0x2F, 0x1F, 0xFF});
  ASSERT_EQ(kConvertTable[3][1](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{0x24, 0xF1}));  // plain narrowing truncates
}

TEST(PixelConvert, VectorNarrowingEqualsTheScalarOneOnRandomPixels) {
  Surface src(4, 37, 5);
  std::mt19937 random(7);
  for (uint8_t& b : src.bytes) b = static_cast<uint8_t>(random());
  Surface scalar(2, 37, 5), vector(2, 37, 5);
  BlitParams p = Blit(scalar, 1, 0, src, 0, 1, 36, 4);  // odd widths and an odd start
  ASSERT_EQ(zrCaps::Current(), nullptr);
  ASSERT_EQ(kConvertTable[3][1](&p), 1);
  zrCaps caps(kProbeCpu, kDdeNone);
  if (!CanNarrowWithMmx()) GTEST_SKIP() << "no vector path on this processor";
  for (int32_t width : {36, 35, 1}) {
    p.dst.pixels = vector.bytes.data();
    p.src.copyWidth = width;
    ASSERT_EQ(kConvertTable[3][1](&p), 1);
  }
  EXPECT_EQ(vector.bytes, scalar.bytes);
}

TEST(PixelConvert, FlippedCopyReadsTheSourceBottomUp) {
  Surface src(3, 1, 3);
  for (int32_t y = 0; y < 3; ++y) src.Set(0, y, Bytes(3, static_cast<uint8_t>(10 * (y + 1))));
  Surface dst(3, 1, 2);
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 2);
  p.flip = 1;
  ASSERT_EQ(kConvertTable[2][2](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), Bytes(3, 30));  // row height - y - 1 = 2 first
  EXPECT_EQ(dst.Pixel(0, 1), Bytes(3, 20));
  p.src.y = 1;  // rows 1 and 0, bottom up
  ASSERT_EQ(kConvertTable[2][2](&p), 1);
  EXPECT_EQ(dst.bytes, (Bytes{20, 20, 20, 10, 10, 10}));
}

TEST(PixelConvert, CopiesNeverWriteOutsideTheirClippedRectangle) {
  Surface src(4, 4, 3);
  for (size_t i = 0; i < src.bytes.size(); ++i) src.bytes[i] = static_cast<uint8_t>(i);
  Surface dst(4, 6, 5, 0xEE);
  BlitParams p = Blit(dst, 2, 1, src, 1, 1, 3, 2);
  ASSERT_EQ(kConvertTable[3][3](&p), 1);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 6; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(dst.Pixel(x, y), inside ? src.Pixel(x - 1, y) : Bytes(4, 0xEE)) << x << "," << y;
    }
  }
  // A rectangle hanging over every edge of both surfaces keeps to their overlap.
  Surface small(4, 2, 2, 0xEE);
  p = Blit(small, -1, 0, src, 2, -1, 5, 5);
  ASSERT_EQ(kConvertTable[3][3](&p), 1);
  EXPECT_EQ(small.Pixel(0, 0), Bytes(4, 0xEE));
  EXPECT_EQ(small.Pixel(1, 0), Bytes(4, 0xEE));
  EXPECT_EQ(small.Pixel(0, 1), src.Pixel(3, 0));
  EXPECT_EQ(small.Pixel(1, 1), Bytes(4, 0xEE));  // source column 4 does not exist
}

TEST(PixelConvert, EmptyRectanglesSucceedAndMissingPixelsFail) {
  Surface src(4, 2, 2), dst(4, 2, 2);
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 0, 2);
  EXPECT_EQ(kConvertTable[3][3](&p), 1);
  p = Blit(dst, 0, 0, src, 0, 0, 2, 2);
  p.src.pixels = nullptr;
  EXPECT_EQ(kConvertTable[3][1](&p), 0);
  p.src.copyWidth = 0;
  EXPECT_EQ(kConvertTable[3][1](&p), 1);
}

// One 4-byte source pixel blended onto one 4-byte destination pixel.
struct PixelCase {
  const char* name;
  Bytes src, dst, expected;
  uint16_t opacity;
};

void ExpectBlendOfOnePixel(BlitFunction blend, const PixelCase& c, int32_t blendMode = 0) {
  SCOPED_TRACE(c.name);
  Surface src(4, 1, 1), dst(4, 1, 1);
  src.Set(0, 0, c.src);
  dst.Set(0, 0, c.dst);
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 1);
  p.src.opacity = c.opacity;
  p.blendMode = blendMode;
  ASSERT_EQ(blend(&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), c.expected);
}

TEST(OpacityBlend, TableScalesEachAlphaByTheOpacity) {
  uint8_t table[256];
  BuildOpacityTable(256, table);
  EXPECT_EQ(table[255], 255);
  EXPECT_EQ(table[0], 1);
  BuildOpacityTable(128, table);
  EXPECT_EQ(table[255], 128);
  EXPECT_EQ(table[127], 64);
  BuildOpacityTable(1000, table);
  EXPECT_EQ(table[200], 255);  // saturates
  EXPECT_EQ(table[50], 199);
}

TEST(OpacityBlend, OntoThreeBytesSkipsCopiesOrMovesTowardTheSource) {
  Surface src(4, 4, 1);
  src.Set(0, 0, {9, 9, 9, 0});
  src.Set(1, 0, {1, 2, 3, 255});
  src.Set(2, 0, {200, 0, 200, 128});  // t = 129
  src.Set(3, 0, {200, 0, 200, 255});
  Surface dst(3, 4, 1);
  for (int32_t x = 0; x < 4; ++x) dst.Set(x, 0, {0, 200, 100});
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 4, 1);
  ASSERT_EQ(kOpacityBlendTable[3][2](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{0, 200, 100}));
  EXPECT_EQ(dst.Pixel(1, 0), (Bytes{1, 2, 3}));
  EXPECT_EQ(dst.Pixel(2, 0), (Bytes{100, 99, 150}));  // downward moves round toward minus
  // Half opacity applies to opaque pixels too.
  p.src.opacity = 128;
  dst.Set(3, 0, {0, 200, 100});
  ASSERT_EQ(kOpacityBlendTable[3][2](&p), 1);
  EXPECT_EQ(dst.Pixel(3, 0), (Bytes{100, 100, 150}));
}

TEST(OpacityBlend, CompositeOntoFourBytesTakesEachBranch) {
  const Bytes s = {200, 100, 50, 128};  // t = 129 at full opacity
  const PixelCase cases[] = {
      {"opaque source copies", {1, 2, 3, 255}, {9, 9, 9, 9}, {1, 2, 3, 255}, 256},
      {"t 0 onto zero copies", {1, 2, 3, 4}, {0, 0, 0, 0}, {1, 2, 3, 4}, 0},
      {"t 0 onto colour leaves it", {1, 2, 3, 4}, {0, 0, 1, 0}, {0, 0, 1, 0}, 0},
      {"transparent destination takes the source", s, {9, 9, 9, 0}, s, 256},
      {"opaque destination moves", s, {40, 80, 120, 255}, {120, 90, 84, 255}, 256},
      {"partial destination composites", s, {40, 80, 120, 100}, {155, 94, 69, 177}, 256},
  };
  for (const PixelCase& c : cases) ExpectBlendOfOnePixel(kOpacityBlendTable[3][3], c);
}

TEST(OpacityBlend, CompositeGivesEmptyNeighboursTheEdgeColours) {
  Surface src(4, 2, 1);
  src.Set(0, 0, {10, 20, 30, 255});
  src.Set(1, 0, {40, 50, 60, 255});
  Surface dst(4, 5, 1);
  dst.Set(4, 0, {0, 0, 0, 1});  // not empty: kept
  BlitParams p = Blit(dst, 1, 0, src, 0, 0, 2, 1);
  ASSERT_EQ(kOpacityBlendTable[3][3](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{10, 20, 30, 0}));
  EXPECT_EQ(dst.Pixel(3, 0), (Bytes{40, 50, 60, 0}));
  EXPECT_EQ(dst.Pixel(4, 0), (Bytes{0, 0, 0, 1}));
  // At the surface's edges there is no neighbour to write (a stray write shows under ASan).
  Surface exact(4, 2, 1);
  p = Blit(exact, 0, 0, src, 0, 0, 2, 1);
  ASSERT_EQ(kOpacityBlendTable[3][3](&p), 1);
  EXPECT_EQ(exact.bytes, src.bytes);
}

TEST(OpacityBlend, SixteenBitPixelsBlendAsTheirWidenedForm) {
  // 4-byte source, t = 129, onto an opaque black 16-bit pixel: blue 0 + 255 * 129 / 256 = 128.
  Surface src(4, 1, 1), dst(2, 1, 1);
  src.Set(0, 0, {255, 0, 0, 128});
  dst.Set(0, 0, {0x00, 0xF0});
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 1);
  ASSERT_EQ(kOpacityBlendTable[3][1](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{0x08, 0xF0}));
  // 16-bit sources: alpha nibble 15 copies, 0 skips onto 3 bytes.
  Surface src16(2, 2, 1);
  src16.Set(0, 0, {0x21, 0xF3});
  src16.Set(1, 0, {0x21, 0x03});
  Surface bgr(3, 2, 1, 7);
  p = Blit(bgr, 0, 0, src16, 0, 0, 2, 1);
  ASSERT_EQ(kOpacityBlendTable[1][2](&p), 1);
  EXPECT_EQ(bgr.bytes, (Bytes{0x11, 0x22, 0x33, 7, 7, 7}));
  Surface bgra(4, 1, 1);
  p = Blit(bgra, 0, 0, src16, 0, 0, 1, 1);
  ASSERT_EQ(kOpacityBlendTable[1][3](&p), 1);
  EXPECT_EQ(bgra.bytes, (Bytes{0x11, 0x22, 0x33, 0xFF}));
}

// Destination / source per channel: blue 100 / 60, green 200 / 100, red 255 / 50.
TEST(ModeBlend, EachModeGivesItsHandValue) {
  const Bytes expected[6] = {{},
                             {160, 255, 255},  // linear dodge
                             {23, 78, 50},     // multiply
                             {137, 222, 255},  // screen
                             {47, 189, 255},   // overlay, both halves
                             {98, 255, 255}};  // divide, saturated and D = 255
  for (int32_t mode = kBlendLinearDodge; mode <= kBlendDivide; ++mode) {
    SCOPED_TRACE(mode);
    Surface src(4, 1, 1), dst(3, 1, 1);
    src.Set(0, 0, {60, 100, 50, 255});
    dst.Set(0, 0, {100, 200, 255});
    BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 1);
    p.blendMode = mode;
    ASSERT_EQ(kModeBlendTable[3][2](&p), 1);
    EXPECT_EQ(dst.Pixel(0, 0), expected[mode]);
  }
}

TEST(ModeBlend, PartialAlphaAndUnknownModes) {
  Surface src(4, 1, 1), dst(3, 1, 1);
  src.Set(0, 0, {60, 100, 50, 128});  // t = 129
  dst.Set(0, 0, {100, 200, 255});
  BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 1);
  p.blendMode = kBlendMultiply;
  ASSERT_EQ(kModeBlendTable[3][2](&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{61, 138, 151}));
  for (int32_t mode : {0, 6}) {
    p.blendMode = mode;
    EXPECT_EQ(kModeBlendTable[3][2](&p), 0);
    EXPECT_EQ(kModeBlendTable[3][3](&p), 0);
  }
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{61, 138, 151}));
}

TEST(ModeBlend, OntoFourBytesWeighsByBothAlphasAndSaturates) {
  const PixelCase cases[] = {
      {"both opaque", {60, 0, 0, 255}, {100, 0, 0, 255}, {159, 0, 0, 255}, 256},
      // o = 1 divides the weighted sum by 1/256: 200 * 254 would wrap to 112.
      {"thin destination saturates", {200, 0, 0, 255}, {0, 0, 0, 1}, {255, 0, 0, 1}, 256},
      {"both transparent take the colour", {1, 2, 3, 9}, {0, 0, 0, 0}, {1, 2, 3, 0}, 0},
      {"transparent source leaves", {1, 2, 3, 9}, {5, 5, 5, 5}, {5, 5, 5, 5}, 0},
      {"transparent destination stays", {1, 2, 3, 255}, {5, 5, 5, 0}, {5, 5, 5, 0}, 256},
  };
  for (const PixelCase& c : cases) {
    ExpectBlendOfOnePixel(kModeBlendTable[3][3], c, kBlendLinearDodge);
  }
}

TEST(AlphaMembers, ChannelToAlphaMultipliesBySelectedClampedChannel) {
  Surface src(3, 1, 1);
  src.Set(0, 0, {10, 128, 255});
  const std::pair<int32_t, uint8_t> cases[] = {{1, 8}, {2, 101}, {3, 200}, {0, 8}, {9, 200}};
  for (const auto& [channel, alpha] : cases) {
    Surface dst(4, 1, 1);
    dst.Set(0, 0, {1, 2, 3, 200});
    BlitParams p = Blit(dst, 0, 0, src, 0, 0, 1, 1);
    p.alphaSource.channel = channel;
    ASSERT_EQ(kAlphaFillTable.channelToAlpha(&p), 1);
    EXPECT_EQ(dst.Pixel(0, 0), (Bytes{1, 2, 3, alpha})) << channel;
  }
}

TEST(AlphaMembers, MaskToAlphaReadsTheMaskAtTheSourcePosition) {
  Surface bytes(1, 3, 2);
  bytes.Set(2, 1, {128});
  Surface pixels(4, 3, 2);
  pixels.Set(2, 1, {255, 255, 255, 0});
  Surface dst(4, 1, 1);
  dst.Set(0, 0, {1, 2, 3, 200});
  Surface unused(3, 3, 2);
  BlitParams p = Blit(dst, 0, 0, unused, 2, 1, 1, 1);
  BlitMask mask{1, bytes.bytes.data(), 3, 2, bytes.pitch};
  p.alphaSource.mask = &mask;
  ASSERT_EQ(kAlphaFillTable.maskToAlpha(&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{1, 2, 3, 101}));
  mask = {4, pixels.bytes.data(), 3, 2, pixels.pitch};
  ASSERT_EQ(kAlphaFillTable.maskToAlpha(&p), 1);
  EXPECT_EQ(dst.Pixel(0, 0), (Bytes{1, 2, 3, 0}));
  mask.bytesPerPixel = 3;
  EXPECT_EQ(kAlphaFillTable.maskToAlpha(&p), 0);
  p.alphaSource.mask = nullptr;
  EXPECT_EQ(kAlphaFillTable.maskToAlpha(&p), 0);
}

FillParams Fill(Surface& s, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  return {s.bpp, s.bytes.data(), s.pitch, s.width, s.height, x, y, w, h, colour};
}

TEST(Fill, EachFormatWritesTheColourInsideTheRectangleOnly) {
  struct Case {
    int32_t format;
    uint32_t colour;
    Bytes before, after;
  };
  const Case cases[] = {
      {1, 0x80FF4020, {0xEE, 0xEE}, {0x42, 0x8F}},
      {2, 0xFF112233, {0xEE, 0xEE, 0xEE}, {0x33, 0x22, 0x11}},
      {2, 0x00112233, {0xEE, 0xEE, 0xEE}, {0xEE, 0xEE, 0xEE}},
      {2, 0x80FF0000, {0x00, 0x00, 0xFF}, {0x00, 0x00, 0xFF}},
      {2, 0x8000FF00, {0x00, 0x00, 0xFF}, {0x00, 0x7F, 0x7F}},
      {3, 0x80FF4020, {0xEE, 0xEE, 0xEE, 0xEE}, {0x20, 0x40, 0xFF, 0x80}},
      {3, 0, {0xEE, 0xEE, 0xEE, 0xEE}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.format << " " << std::hex << c.colour);
    Surface s(static_cast<int32_t>(c.before.size()), 4, 3);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 4; ++x) s.Set(x, y, c.before);
    }
    FillParams p = Fill(s, 1, 1, 2, 5, c.colour);  // clipped to rows 1 and 2
    ASSERT_EQ(kAlphaFillTable.fill[c.format](&p), 1);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t x = 0; x < 4; ++x) {
        const bool inside = x >= 1 && x < 3 && y >= 1;
        EXPECT_EQ(s.Pixel(x, y), inside ? c.after : c.before) << x << "," << y;
      }
    }
  }
}

TEST(Fill, PitchZeroRoundsTheRowUpToFourBytes) {
  std::vector<uint8_t> pixels(24, 0xEE);  // 3 pixels of 3 bytes: rows of 12
  FillParams p = {3, pixels.data(), 0, 3, 2, 0, 1, 1, 1, 0xFF010203};
  ASSERT_EQ(kAlphaFillTable.fill[2](&p), 1);
  EXPECT_EQ(Bytes(pixels.begin() + 12, pixels.begin() + 15), (Bytes{3, 2, 1}));
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xEE), 21);
  std::vector<uint8_t> words(16, 0xEE);  // 3 pixels of 2 bytes: rows of 8
  p = {2, words.data(), 0, 3, 2, 2, 1, 1, 1, 0xFFFFFFFF};
  ASSERT_EQ(kAlphaFillTable.fill[1](&p), 1);
  EXPECT_EQ(words[12], 0xFF);
  EXPECT_EQ(std::count(words.begin(), words.end(), 0xEE), 14);
  EXPECT_EQ(kAlphaFillTable.fill[0], nullptr);
}

}  // namespace
