#include "image/surface_convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "image/memory_surface.h"

namespace {

using platform::SurfaceRect;

// Every byte, padding included, gets a value of its own.
void FillPattern(MemorySurface& surface, uint8_t seed) {
  std::vector<uint8_t>& bytes = surface.Bytes();
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
}

// Each of the first `rows` rows of `destination` starts with the first `copied` bytes of the
// source's row; every other byte, padding included, is as it was.
void ExpectCopied(MemorySurface& destination, const std::vector<uint8_t>& before,
                  MemorySurface& source, uint32_t copied, uint32_t rows) {
  for (size_t i = 0; i < before.size(); ++i) {
    const uint32_t y = static_cast<uint32_t>(i / destination.Pitch());
    const uint32_t x = static_cast<uint32_t>(i % destination.Pitch());
    const uint8_t expected = y < rows && x < copied ? source.Row(y)[x] : before[i];
    EXPECT_EQ(destination.Bytes()[i], expected) << "row " << y << " byte " << x;
  }
}

int Convert(MemorySurface& source, MemorySurface& destination, uint32_t from, uint32_t to) {
  return kSurfaceConverters[from][to](&source, &destination);
}

TEST(SurfaceConvertTest, OnlyTheKnownPairsHaveConverters) {
  const std::set<std::pair<uint32_t, uint32_t>> known = {
      {0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {0, 1}, {1, 0}, {3, 2}, {4, 2}, {5, 2}};
  for (uint32_t from = 0; from < 6; ++from) {
    for (uint32_t to = 0; to < 6; ++to) {
      EXPECT_EQ(kSurfaceConverters[from][to] != nullptr, known.count({from, to}) == 1)
          << from << "->" << to;
    }
  }
}

TEST(SurfaceConvertTest, SameFormatCopiesEveryByteOfEachRowAndNoPadding) {
  for (uint32_t format = 0; format < 6; ++format) {
    const uint32_t rowBytes = 3 * platform::SurfaceBytesPerPixel(format);
    MemorySurface source(format, 3, 2, rowBytes + 2);
    MemorySurface destination(format, 3, 2, rowBytes + 6);
    FillPattern(source, 1);
    FillPattern(destination, 100);
    const std::vector<uint8_t> before = destination.Bytes();
    ASSERT_EQ(Convert(source, destination, format, format), 1) << format;
    ExpectCopied(destination, before, source, rowBytes, 2);
  }
}

// 16-bit sources: blue 3, green 10 (or 45 of 6 bits) and red 29 keep 1, 5 (or 11) and 14 in
// their high bits, so a channel read from the wrong bits shows; 0x0821 must not round up.
TEST(SurfaceConvertTest, ConvertersMapEachPixelAsTheirFormatsRequire) {
  struct Case {
    uint32_t from, to;
    std::vector<uint8_t> source, expected;
  };
  // clang-format off
  const Case cases[] = {
      {0, 1, {1, 2, 3, 0x80, 4, 5, 6, 0xFF}, {1, 2, 3, 0, 4, 5, 6, 0}},
      {1, 0, {1, 2, 3, 0x7F, 4, 5, 6, 0}, {1, 2, 3, 0xFF, 4, 5, 6, 0xFF}},
      {3, 2, {0x43, 0x75, 0x43, 0xF5, 0, 0}, {0x51, 0xFE, 0x51, 0xFE, 0, 0xF0}},
      {4, 2, {0x43, 0x75, 0x43, 0xF5, 0, 0}, {0x51, 0xFE, 0x51, 0xFE, 0, 0xF0}},
      {5, 2, {0xA3, 0xED, 0x21, 0x08, 0, 0}, {0xB1, 0xFE, 0, 0xF0, 0, 0xF0}},
  };
  // clang-format on
  for (const Case& c : cases) {
    const uint32_t pixels =
        static_cast<uint32_t>(c.source.size()) / platform::SurfaceBytesPerPixel(c.from);
    MemorySurface source(c.from, pixels, 1);
    MemorySurface destination(c.to, pixels, 1);
    source.Bytes() = c.source;
    ASSERT_EQ(Convert(source, destination, c.from, c.to), 1);
    EXPECT_EQ(destination.Bytes(), c.expected) << c.from << "->" << c.to;
  }
}

TEST(SurfaceConvertTest, SurfacesOfDifferentSizesShareOnlyTheirCommonRectangle) {
  MemorySurface source(platform::kSurfaceRgb565, 3, 4);
  MemorySurface destination(platform::kSurfaceRgb565, 5, 2);
  FillPattern(source, 9);
  FillPattern(destination, 50);
  const std::vector<uint8_t> before = destination.Bytes();
  ASSERT_EQ(Convert(source, destination, 5, 5), 1);
  for (const MemorySurface* surface : {&source, &destination}) {
    const SurfaceRect& locked = surface->Calls().front().rect;
    EXPECT_TRUE(locked.left == 0 && locked.top == 0 && locked.right == 3 && locked.bottom == 2);
  }
  ExpectCopied(destination, before, source, 3 * 2, 2);
}

TEST(SurfaceConvertTest, LocksSourceReadOnlyFirstAndUnlocksItFirst) {
  MemorySurface source(platform::kSurfaceXrgb8888, 2, 2);
  MemorySurface destination(platform::kSurfaceArgb8888, 2, 2);
  ASSERT_EQ(Convert(source, destination, 1, 0), 1);
  ASSERT_EQ(source.Calls().size(), 2u);
  ASSERT_EQ(destination.Calls().size(), 2u);
  const MemorySurface::Call& sourceLock = source.Calls()[0];
  const MemorySurface::Call& destinationLock = destination.Calls()[0];
  EXPECT_TRUE(sourceLock.lock && destinationLock.lock);
  EXPECT_EQ(sourceLock.flags, 0x8010u);  // read-only, no dirty update
  EXPECT_EQ(destinationLock.flags, 0u);
  EXPECT_LT(sourceLock.order, destinationLock.order);
  EXPECT_LT(destinationLock.order, source.Calls()[1].order);
  EXPECT_LT(source.Calls()[1].order, destination.Calls()[1].order);
  EXPECT_FALSE(source.IsLocked() || destination.IsLocked());
}

TEST(SurfaceConvertTest, FailuresReturnZeroAndLeaveNothingLockedOrWritten) {
  MemorySurface wide(platform::kSurfaceArgb8888, 4, 0);
  MemorySurface empty(platform::kSurfaceArgb8888, 0, 3);
  MemorySurface destination(platform::kSurfaceArgb8888, 4, 3);
  FillPattern(destination, 3);
  const std::vector<uint8_t> before = destination.Bytes();
  // No shared pixel: nothing is locked.
  EXPECT_EQ(Convert(wide, destination, 0, 0), 0);
  EXPECT_EQ(Convert(destination, empty, 0, 0), 0);
  EXPECT_TRUE(wide.Calls().empty() && empty.Calls().empty() && destination.Calls().empty());

  MemorySurface source(platform::kSurfaceArgb8888, 4, 3);
  source.RefuseLocks(true);
  EXPECT_EQ(Convert(source, destination, 0, 0), 0);
  EXPECT_TRUE(destination.Calls().empty());

  source.RefuseLocks(false);
  destination.RefuseLocks(true);
  EXPECT_EQ(Convert(source, destination, 0, 0), 0);
  ASSERT_EQ(source.Calls().size(), 3u);  // the refused lock, then a lock and its unlock
  EXPECT_TRUE(source.Calls()[1].lock && !source.Calls()[2].lock);
  EXPECT_LT(destination.Calls()[0].order, source.Calls()[2].order);
  EXPECT_FALSE(source.IsLocked());
  EXPECT_EQ(destination.Bytes(), before);
}

// A converter given surfaces of other formats would read or write rows of the wrong length.
TEST(SurfaceConvertTest, SurfacesNotOfTheConvertersFormatsAreRefusedBeforeLocking) {
  MemorySurface small(platform::kSurfaceRgb565, 4, 2);
  MemorySurface large(platform::kSurfaceArgb8888, 4, 2);
  EXPECT_EQ(Convert(small, large, 0, 0), 0);
  EXPECT_EQ(Convert(large, small, 0, 0), 0);
  EXPECT_EQ(Convert(small, small, 3, 2), 0);
  EXPECT_EQ(kSurfaceConverters[0][0](&large, nullptr), 0);
  EXPECT_TRUE(small.Calls().empty() && large.Calls().empty());
}

TEST(MemorySurfaceTest, LocksOnlyRectanglesInsideItOneAtATime) {
  MemorySurface surface(platform::kSurfaceArgb4444, 4, 3, 12);
  platform::LockedPixels locked;
  for (const SurfaceRect& outside : {SurfaceRect{0, 0, 5, 3}, {-1, 0, 2, 3}, {2, 1, 2, 3}}) {
    EXPECT_FALSE(surface.Lock(outside, 0, locked));
  }
  ASSERT_TRUE(surface.Lock({1, 2, 4, 3}, 0, locked));
  EXPECT_TRUE(locked.bits == surface.Row(2) + 2 && locked.pitch == 12);
  EXPECT_FALSE(surface.Lock({0, 0, 1, 1}, 0, locked));
}

}  // namespace
