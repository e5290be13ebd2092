#include "copy/copy_blocks.h"

namespace {

constexpr uint32_t kCachedBlock = 0x200000;    // 2 MiB
constexpr uint32_t kUncachedBlock = 0x100000;  // 1 MiB, plus one sector

}  // namespace

uint32_t BlockCapacity(uint32_t sector) {
  return sector ? sector * ((sector + kUncachedBlock) / sector) : kCachedBlock;
}

uint32_t RequestLength(uint64_t remaining, uint32_t capacity, uint32_t sector) {
  if (remaining > capacity) return capacity;
  const uint32_t length = static_cast<uint32_t>(remaining);
  return sector ? (length + sector - 1) / sector * sector : length;
}
