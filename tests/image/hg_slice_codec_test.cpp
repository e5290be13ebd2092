#include "image/hg_slice_codec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "image/zlib_buffers.h"

namespace {

struct Picture {
  uint32_t width;
  uint32_t height;
  int bpp;
  size_t pitch;
  std::vector<uint8_t> pixels;
};

enum class Fill { kNoise, kFlat, kGradient, kBlank };

// Rows carry two spare bytes beyond the pixels so that pitch and row width differ; a blank
// picture is 0xEE throughout.
Picture MakePicture(uint32_t width, uint32_t height, int bpp, Fill fill) {
  Picture picture{width, height, bpp, width * bpp + 2u, {}};
  picture.pixels.assign(picture.pitch * height, 0xEE);
  std::mt19937 random(width * 31 + height * 7 + bpp);
  for (uint32_t y = 0; y < height; ++y) {
    for (size_t x = 0; x < size_t{width} * bpp; ++x) {
      uint8_t& byte = picture.pixels[y * picture.pitch + x];
      if (fill == Fill::kNoise) byte = static_cast<uint8_t>(random());
      if (fill == Fill::kFlat) byte = static_cast<uint8_t>(0x80 + x % bpp);
      if (fill == Fill::kGradient) byte = static_cast<uint8_t>(x * 3 + y * 5);
    }
  }
  return picture;
}

HgCodedPlane Coded(const HgEncodedPlane& encoded) {
  return {encoded.byteArea.data(), encoded.byteArea.size(), encoded.byteAreaSize,
          encoded.bitArea.data(),  encoded.bitArea.size(),  encoded.bitAreaSize};
}

HgEncodedPlane Encode(const Picture& picture) {
  HgEncodedPlane encoded;
  EXPECT_TRUE(EncodeHgPlane(picture.pixels.data(), picture.pitch, picture.width, picture.height,
                            picture.bpp, encoded));
  return encoded;
}

HgSliceResult DecodeInto(const HgCodedPlane& plane, Picture& out, uint32_t firstRow,
                         uint32_t rows) {
  HgSliceDecoder decoder;
  return decoder.Decode(plane, firstRow, rows,
                        {out.pixels.data(), out.pitch, out.width, out.height, out.bpp});
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out(compressBound(raw.size()));
  uLongf length = out.size();
  EXPECT_EQ(compress(out.data(), &length, raw.data(), raw.size()), Z_OK);
  out.resize(length);
  return out;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& packed, size_t size) {
  std::vector<uint8_t> out(size);
  uLongf length = size;
  EXPECT_EQ(uncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
  return out;
}

// Packs bits written as '0'/'1' (spaces ignored), least significant bit of each byte first.
std::vector<uint8_t> Bits(const std::string& text) {
  std::vector<uint8_t> bytes;
  int position = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (position == 0) bytes.push_back(0);
    if (c == '1') bytes.back() |= static_cast<uint8_t>(1 << position);
    position = (position + 1) % 8;
  }
  return bytes;
}

// A hand-made plane: the given literals and run bits.
struct RawPlane {
  std::vector<uint8_t> byteArea;
  std::vector<uint8_t> bitArea;
  uint32_t byteSize;
  uint32_t bitSize;
  RawPlane(const std::vector<uint8_t>& literals, const std::vector<uint8_t>& bits)
      : byteArea(Deflate(literals)),
        bitArea(Deflate(bits)),
        byteSize(static_cast<uint32_t>(literals.size())),
        bitSize(static_cast<uint32_t>(bits.size())) {}
  HgCodedPlane Plane() const {
    return {byteArea.data(), byteArea.size(), byteSize, bitArea.data(), bitArea.size(), bitSize};
  }
};

TEST(HgSliceCodec, RoundTripsEveryPixelSizeAndShape) {
  const uint32_t shapes[][2] = {{1, 1}, {7, 1}, {13, 9}, {101, 37}, {3, 300}};
  for (int bpp = 1; bpp <= 4; ++bpp) {
    for (const auto& shape : shapes) {
      for (Fill fill : {Fill::kNoise, Fill::kFlat, Fill::kGradient}) {
        SCOPED_TRACE(testing::Message() << bpp << " bpp " << shape[0] << "x" << shape[1] << " fill "
                                        << static_cast<int>(fill));
        const Picture picture = MakePicture(shape[0], shape[1], bpp, fill);
        const HgEncodedPlane encoded = Encode(picture);
        Picture decoded = MakePicture(shape[0], shape[1], bpp, Fill::kBlank);
        ASSERT_EQ(DecodeInto(Coded(encoded), decoded, 0, shape[1]), HgSliceResult::kOk);
        EXPECT_EQ(decoded.pixels, picture.pixels);  // the spare bytes stay untouched too
      }
    }
  }
}

TEST(HgSliceCodec, SliceLandsAtItsRowsCountedFromTheBottom) {
  const Picture slice = MakePicture(5, 3, 4, Fill::kNoise);
  Picture target = MakePicture(5, 10, 4, Fill::kBlank);
  ASSERT_EQ(DecodeInto(Coded(Encode(slice)), target, 4, 3), HgSliceResult::kOk);
  // Stored rows 4..6 are picture rows 5, 4 and 3: the slice's top row lands on row 3.
  for (uint32_t y = 0; y < 10; ++y) {
    const bool inSlice = y >= 3 && y <= 5;
    for (size_t x = 0; x < target.pitch; ++x) {
      const uint8_t expected = inSlice ? slice.pixels[(y - 3) * slice.pitch + x] : 0xEE;
      ASSERT_EQ(target.pixels[y * target.pitch + x], expected) << "row " << y << " byte " << x;
    }
  }
}

TEST(HgSliceCodec, SignTableMapsEvenAndOddCodes) {
  const uint8_t pairs[][2] = {{0, 0}, {1, 255}, {2, 1}, {3, 254}, {254, 127}, {255, 128}};
  for (const auto& pair : pairs) EXPECT_EQ(HgSignDecode(pair[0]), pair[1]);
  for (int value = 0; value < 256; ++value) {
    EXPECT_EQ(HgSignDecode(HgSignEncode(static_cast<uint8_t>(value))), value);
  }
}

// Literal-first 0, length 4, zero run 2, literal run 2: the runs give 00 00 E4 1B,
// un-transposed 3 6 9 12, sign-mapped 254 3 251 6, summed from the left 254 1 252 2.
TEST(HgSliceCodec, DecodesAHandMadePlaneStartingWithAZeroRun) {
  const RawPlane raw({0xE4, 0x1B}, Bits("0 00100 010 010"));
  Picture out = MakePicture(4, 1, 1, Fill::kFlat);
  ASSERT_EQ(DecodeInto(raw.Plane(), out, 0, 1), HgSliceResult::kOk);
  EXPECT_EQ(std::vector<uint8_t>(out.pixels.begin(), out.pixels.begin() + 4),
            (std::vector<uint8_t>{254, 1, 252, 2}));
}

TEST(HgSliceCodec, SmallPicturesCodeAZeroSurplus) {
  // An all-zero picture under 1024 bytes has no literal at all, surplus included.
  Picture black = MakePicture(3, 2, 4, Fill::kFlat);
  std::fill(black.pixels.begin(), black.pixels.end(), 0);
  EXPECT_EQ(Encode(black).byteAreaSize, 0u);
}

TEST(HgSliceCodec, EncoderRefusesBadGeometry) {
  const Picture picture = MakePicture(4, 4, 4, Fill::kNoise);
  HgEncodedPlane encoded;
  EXPECT_FALSE(EncodeHgPlane(picture.pixels.data(), picture.pitch, 4, 4, 5, encoded));
  EXPECT_FALSE(EncodeHgPlane(picture.pixels.data(), 15, 4, 4, 4, encoded));  // pitch < row
}

TEST(HgSliceCodec, BadAreasSizesAndRowsFailWithoutWriting) {
  const HgEncodedPlane encoded = Encode(MakePicture(31, 17, 3, Fill::kNoise));
  const Picture untouched = MakePicture(31, 17, 3, Fill::kFlat);
  struct Case {
    void (*spoil)(HgCodedPlane&);
    uint32_t firstRow, rows;
    HgSliceResult expected;
  } cases[] = {
      {[](HgCodedPlane& p) { p.byteAreaCompressed /= 2; }, 0, 17, HgSliceResult::kByteAreaSize},
      {[](HgCodedPlane& p) { p.bitAreaCompressed /= 2; }, 0, 17, HgSliceResult::kBitAreaSize},
      {[](HgCodedPlane& p) { p.byteAreaSize += 1; }, 0, 17, HgSliceResult::kByteAreaSize},
      {[](HgCodedPlane& p) { p.bitAreaSize -= 1; }, 0, 17, HgSliceResult::kBitAreaSize},
      // Refused before that much memory is taken.
      {[](HgCodedPlane& p) { p.byteAreaSize = 0xFFFFFFFF; }, 0, 17, HgSliceResult::kByteAreaSize},
      {[](HgCodedPlane&) {}, 1, 17, HgSliceResult::kMalformed},  // rows past the top
      {[](HgCodedPlane&) {}, 18, 0, HgSliceResult::kMalformed},
  };
  for (const Case& c : cases) {
    HgCodedPlane plane = Coded(encoded);
    c.spoil(plane);
    Picture out = untouched;
    EXPECT_EQ(DecodeInto(plane, out, c.firstRow, c.rows), c.expected);
    EXPECT_EQ(out.pixels, untouched.pixels);
  }
  // More rows than the runs expand to.
  Picture tall = MakePicture(31, 40, 3, Fill::kFlat);
  EXPECT_EQ(DecodeInto(Coded(encoded), tall, 0, 40), HgSliceResult::kMalformed);
}

TEST(HgSliceCodec, FlippedBitsNeverLeaveTheBuffers) {
  const HgEncodedPlane encoded = Encode(MakePicture(31, 17, 3, Fill::kNoise));
  const std::vector<uint8_t> literals = Inflate(encoded.byteArea, encoded.byteAreaSize);
  const std::vector<uint8_t> bits = Inflate(encoded.bitArea, encoded.bitAreaSize);
  Picture out = MakePicture(31, 17, 3, Fill::kFlat);
  for (size_t i = 0; i < bits.size(); i += 5) {
    std::vector<uint8_t> flipped = bits;
    flipped[i] ^= 0x5A;
    DecodeInto(RawPlane(literals, flipped).Plane(), out, 0, 17);  // any result; ASan watches
  }
}

TEST(HgSliceCodec, RunsThatLeaveTheirBuffersFail) {
  const struct {
    std::vector<uint8_t> literals;
    const char* bits;
  } cases[] = {
      {{}, "0 00100 0001000"},                  // length 4, zero run 8
      {{1, 2}, "1 00100 00100"},                // literal run 4 with two literal bytes
      {{}, "0 00110"},                          // length 6: not whole groups of four
      {{}, "0 0000000000000 1 0000000000000"},  // length 8192: beyond 4 bytes + 4096
      {{}, "0 00100"},                          // the bits end before any run
  };
  for (const auto& c : cases) {
    Picture out = MakePicture(4, 1, 1, Fill::kFlat);
    EXPECT_EQ(DecodeInto(RawPlane(c.literals, Bits(c.bits)).Plane(), out, 0, 1),
              HgSliceResult::kMalformed)
        << c.bits;
  }
}

TEST(ZlibBuffers, InflateDrainsTheStreamAndCapsTheCount) {
  const std::vector<uint8_t> zeros(1 << 20, 0);
  const std::vector<uint8_t> packed = Deflate(zeros);
  std::vector<uint8_t> out(zeros.size() + 16, 0xEE);
  EXPECT_EQ(InflateBuffer(out.data(), out.size(), packed.data(), packed.size()), int64_t{1 << 20});
  EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0));  // the room after the data is zeroed
  EXPECT_EQ(InflateBuffer(out.data(), 100, packed.data(), packed.size()), 100);
}

TEST(ZlibBuffers, DeflateCountsWhatDidNotFit) {
  std::vector<uint8_t> noise(200000);
  std::mt19937 random(1);
  for (uint8_t& byte : noise) byte = static_cast<uint8_t>(random());
  std::vector<uint8_t> out(compressBound(noise.size()));
  const int64_t whole = DeflateBuffer(out.data(), out.size(), noise.data(), noise.size());
  ASSERT_GT(whole, 65536);
  EXPECT_EQ(Inflate({out.begin(), out.begin() + whole}, noise.size()), noise);
  EXPECT_EQ(DeflateBuffer(out.data(), 1000, noise.data(), noise.size()), whole);
}

}  // namespace
