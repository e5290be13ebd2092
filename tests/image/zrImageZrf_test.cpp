#include "image/zrImageZrf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "image/zrImageLoader.h"
#include "image/zrlz.h"
#include "platform/little_endian.h"
#include "support/test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compress(const Bytes& input, int32_t mode) {
  Bytes block(ZrlzCompress(input.data(), static_cast<uint32_t>(input.size()), nullptr, mode));
  EXPECT_EQ(ZrlzCompress(input.data(), static_cast<uint32_t>(input.size()), block.data(), mode),
            block.size());
  return block;
}

bool Decompress(const Bytes& block, Bytes& output) {
  output.assign(ZrlzLength(block.data(), static_cast<uint32_t>(block.size())), 0);
  return ZrlzDecompress(block.data(), static_cast<uint32_t>(block.size()), output.data());
}

TEST(Zrlz, BlockSizesFollowTheMatchFinder) {
  // One literal, then a match of 9 at distance 1: one flag byte, 1 + 2 data bytes and the spare.
  const Bytes ten(10, 'x');
  const Bytes block = Compress(ten, 0);
  ASSERT_EQ(block.size(), 33u);
  EXPECT_EQ(LoadLe32(block.data() + 12), 1u);     // flag section
  EXPECT_EQ(LoadLe32(block.data() + 16), 4u);     // data section
  EXPECT_EQ(block[28], 0x02);                     // literal, then match
  EXPECT_EQ(LoadLe16(block.data() + 30), 9 - 3);  // length 9, distance 1
  EXPECT_EQ(Compress(Bytes(), 0).size(), 30u);
  EXPECT_EQ(ZrlzCompress(ten.data(), 10, nullptr, 5), 0u);
}

TEST(Zrlz, EveryModeRoundTripsAndReportsProgress) {
  std::mt19937 random(3);
  Bytes input(70000);
  for (size_t i = 0; i < input.size(); ++i) {
    // Runs, repeats at every distance the modes reach, and noise.
    input[i] = i % 5000 < 1000 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(i / 7);
  }
  for (int32_t mode = 0; mode < kZrlzModes; ++mode) {
    SCOPED_TRACE(mode);
    struct Seen {
      uint32_t calls = 0;
      uint32_t last = 0;
    } seen;
    const uint32_t size = ZrlzCompress(
        input.data(), static_cast<uint32_t>(input.size()), nullptr, mode,
        [](uint32_t done, uint32_t total, void* user) {
          auto* s = static_cast<Seen*>(user);
          ++s->calls;
          s->last = done == total ? done : 0;
        },
        &seen);
    EXPECT_GT(seen.calls, 1u);
    EXPECT_EQ(seen.last, input.size());
    Bytes block(size);
    ZrlzCompress(input.data(), static_cast<uint32_t>(input.size()), block.data(), mode);
    EXPECT_LT(block.size(), input.size());
    Bytes output;
    ASSERT_TRUE(Decompress(block, output));
    EXPECT_EQ(output, input);
  }
}

TEST(Zrlz, BlocksThatDoNotHoldTheirTokensAreRefused) {
  const Bytes good = Compress(Bytes(40, 'y'), 1);
  Bytes output;
  ASSERT_TRUE(Decompress(good, output));
  struct Case {
    const char* name;
    size_t at;
    uint8_t value;
  };
  for (const Case& c :
       {Case{"magic", 0, 'X'}, Case{"unknown mode", 4, 9},
        Case{"longer than the tokens give", 8, 200}, Case{"flag section past the block", 12, 90},
        Case{"data section past the block", 24, 90}, Case{"match before the start", 28, 0x01}}) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    bad[c.at] = c.value;
    EXPECT_FALSE(Decompress(bad, output));
  }
  for (size_t length = 0; length < good.size() - 1; ++length) {
    const Bytes cut(good.begin(), good.begin() + length);
    EXPECT_FALSE(Decompress(cut, output)) << length;
  }
}

class ZrfImage : public zrtest::HeapTest {};

TEST_F(ZrfImage, SavesTheBufferAsHeldInItsSmallestModeAndLoadsItBack) {
  zrImageZrf image;
  image.Create(13, 9, 4);  // pitch 52
  for (uint32_t i = 0; i < 13 * 9 * 4; ++i) image.GetPixels()[i] = static_cast<uint8_t>(i % 7 + 1);
  std::memset(image.PixelAt(2, 3), 0x55, 3);
  image.PixelAt(2, 3)[3] = 0;  // fully transparent: stored as four zero bytes
  MemoryBlock saved{};
  ASSERT_EQ(image.Save(&saved, 0, 0, 0, 0), 1);
  EXPECT_EQ(saved.size % 8, 0u);
  EXPECT_EQ(std::memcmp(saved.data, "ZRF", 4), 0);
  EXPECT_EQ(LoadLe16(saved.data + 8), 52);
  const uint32_t length = 52 * 9;
  uint32_t smallest = UINT32_MAX;
  for (int32_t mode = 0; mode < kZrlzModes; ++mode) {
    smallest = std::min(smallest, ZrlzCompress(image.GetPixels(), length, nullptr, mode));
  }
  EXPECT_EQ(saved.size, (smallest + 12 + 7) & ~7u);

  zrImageLoader loader;
  ASSERT_NE(loader.LoadFromMemory(&saved, 0, 0), nullptr);
  EXPECT_EQ(loader.GetKind(), ImageKind::kZrf);
  EXPECT_EQ(loader.GetPitch(), 52);
  EXPECT_EQ(std::memcmp(loader.GetPixels(), image.GetPixels(), length), 0);
  const uint8_t zero[4] = {};
  EXPECT_EQ(std::memcmp(loader.GetImage()->PixelAt(2, 3), zero, 4), 0);

  // Damage fails cleanly: every cut, and a header naming more rows than the buffer holds.
  for (uint32_t cut = 0; cut < saved.size; cut += 5) {
    const MemoryBlock part = BorrowedBlock(saved.data, cut);
    zrImageZrf damaged;
    damaged.Load(&part, 0);
  }
  Bytes tall(saved.data, saved.data + saved.size);
  tall[6] = 200;
  const MemoryBlock block = BorrowedBlock(tall.data(), static_cast<uint32_t>(tall.size()));
  zrImageZrf damaged;
  EXPECT_EQ(damaged.Load(&block, 0), 0);
  ReleaseMemoryBlock(&saved);
}

}  // namespace
