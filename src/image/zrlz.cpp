#include "image/zrlz.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/little_endian.h"

namespace {

constexpr char kMagic[4] = {'Z', 'R', 'L', 'Z'};
constexpr uint32_t kMinMatch = 3;
constexpr uint16_t kNone = 0xFFFF;

struct ModeBits {
  uint32_t window;  // distance bits
  uint32_t length;  // length bits
};

constexpr ModeBits kModes[kZrlzModes] = {{13, 3}, {12, 4}, {11, 5}, {10, 6}, {9, 7}};

// The last 2^w input positions, chained per hash of their first three bytes from the oldest to
// the newest. Slots are reused in turn; a reused slot leaves its chain first.
class MatchDictionary {
 public:
  MatchDictionary(const uint8_t* input, uint32_t length, uint32_t windowBits)
      : input_(input),
        length_(length),
        slots_(1u << windowBits),
        buckets_(2u << windowBits),
        positions_(slots_, 0),
        older_(slots_, kNone),
        newer_(slots_, kNone),
        slotBucket_(slots_, 0),
        oldest_(buckets_, kNone),
        newest_(buckets_, kNone) {}

  uint32_t Hash(uint32_t position) const {
    uint32_t bytes = 0;
    for (uint32_t i = 0; i < 3; ++i) {
      if (position + i < length_) bytes |= uint32_t{input_[position + i]} << (8 * i);
    }
    return bytes % buckets_;
  }

  void Insert(uint32_t position) {
    const auto slot = static_cast<uint16_t>(inserted_++ % slots_);
    if (inserted_ > slots_) Unlink(slot);
    const uint32_t bucket = Hash(position);
    positions_[slot] = position;
    slotBucket_[slot] = bucket;
    older_[slot] = newest_[bucket];
    newer_[slot] = kNone;
    if (newest_[bucket] != kNone) newer_[newest_[bucket]] = slot;
    newest_[bucket] = slot;
    if (oldest_[bucket] == kNone) oldest_[bucket] = slot;
  }

  // The longest earlier match for `position`, oldest first among equals, up to `longest` bytes.
  void Find(uint32_t position, uint32_t longest, uint32_t& bestLength,
            uint32_t& bestPosition) const {
    bestLength = 0;
    const uint32_t limit = std::min(longest, length_ - position);
    for (uint16_t slot = oldest_[Hash(position)]; slot != kNone; slot = newer_[slot]) {
      const uint32_t candidate = positions_[slot];
      uint32_t equal = 0;
      while (equal < limit && input_[candidate + equal] == input_[position + equal]) ++equal;
      if (equal > bestLength) {
        bestLength = equal;
        bestPosition = candidate;
        if (equal == longest) break;
      }
    }
  }

 private:
  void Unlink(uint16_t slot) {
    const uint32_t bucket = slotBucket_[slot];
    if (older_[slot] != kNone) newer_[older_[slot]] = newer_[slot];
    if (newer_[slot] != kNone) older_[newer_[slot]] = older_[slot];
    if (oldest_[bucket] == slot) oldest_[bucket] = newer_[slot];
    if (newest_[bucket] == slot) newest_[bucket] = older_[slot];
  }

  const uint8_t* input_;
  uint32_t length_;
  uint32_t slots_;
  uint32_t buckets_;
  uint64_t inserted_ = 0;
  std::vector<uint32_t> positions_;
  std::vector<uint16_t> older_;
  std::vector<uint16_t> newer_;
  std::vector<uint32_t> slotBucket_;
  std::vector<uint16_t> oldest_;
  std::vector<uint16_t> newest_;
};

void Store32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t ZrlzCompress(const uint8_t* input, uint32_t length, uint8_t* output, int32_t mode,
                      ZrlzProgress progress, void* user) {
  if (mode < 0 || mode >= kZrlzModes || (length != 0 && !input)) return 0;
  const ModeBits bits = kModes[mode];
  const uint32_t longest = (1u << bits.length) + 2;
  std::vector<uint8_t> flags;
  std::vector<uint8_t> data;
  try {
    MatchDictionary dictionary(input, length, bits.window);
    flags.reserve(length / 8 + 2);
    data.reserve(length + 1);
    flags.push_back(0);
    uint32_t flagBit = 0;
    for (uint32_t position = 0; position < length;) {
      if (flagBit == 8) {
        flags.push_back(0);
        flagBit = 0;
      }
      uint32_t matchLength = 0;
      uint32_t matchPosition = 0;
      dictionary.Find(position, longest, matchLength, matchPosition);
      uint32_t advance = 1;
      if (matchLength >= kMinMatch) {
        flags.back() |= static_cast<uint8_t>(1u << flagBit);
        const uint32_t word =
            (matchLength - kMinMatch) | ((position - matchPosition - 1) << bits.length);
        data.push_back(static_cast<uint8_t>(word));
        data.push_back(static_cast<uint8_t>(word >> 8));
        advance = matchLength;
      } else {
        data.push_back(input[position]);
      }
      ++flagBit;
      for (uint32_t i = 0; i < advance; ++i) dictionary.Insert(position + i);
      position += advance;
      if (progress) progress(position, length, user);
    }
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (progress) progress(length, length, user);
  // The data section is one byte longer than what it holds, as every writer of the format does.
  data.push_back(0);
  const auto flagSize = static_cast<uint32_t>(flags.size());
  const auto dataSize = static_cast<uint32_t>(data.size());
  const uint32_t blockSize = kZrlzHeaderSize + flagSize + dataSize;
  if (output) {
    std::memcpy(output, kMagic, 4);
    const uint32_t fields[] = {
        static_cast<uint32_t>(mode), length, flagSize, dataSize, kZrlzHeaderSize,
        kZrlzHeaderSize + flagSize};
    for (int i = 0; i < 6; ++i) Store32(output + 4 + 4 * i, fields[i]);
    std::memcpy(output + kZrlzHeaderSize, flags.data(), flagSize);
    std::memcpy(output + kZrlzHeaderSize + flagSize, data.data(), dataSize);
  }
  return blockSize;
}

uint32_t ZrlzLength(const uint8_t* block, uint32_t size) {
  if (!block || size < kZrlzHeaderSize || std::memcmp(block, kMagic, 4) != 0) return 0;
  return LoadLe32(block + 8);
}

bool ZrlzDecompress(const uint8_t* block, uint32_t size, uint8_t* output, ZrlzProgress progress,
                    void* user) {
  if (!block || size < kZrlzHeaderSize || std::memcmp(block, kMagic, 4) != 0) return false;
  const uint32_t mode = LoadLe32(block + 4);
  const uint32_t length = LoadLe32(block + 8);
  const uint64_t flagSize = LoadLe32(block + 12);
  const uint64_t dataSize = LoadLe32(block + 16);
  const uint64_t flagOffset = LoadLe32(block + 20);
  const uint64_t dataOffset = LoadLe32(block + 24);
  if (mode >= static_cast<uint32_t>(kZrlzModes) || flagOffset + flagSize > size ||
      dataOffset + dataSize > size || (length != 0 && !output)) {
    return false;
  }
  const uint32_t lengthBits = kModes[mode].length;
  const uint8_t* flags = block + flagOffset;
  const uint8_t* data = block + dataOffset;
  uint64_t flagAt = 0;
  uint64_t dataAt = 0;
  uint32_t bit = 0;
  for (uint32_t out = 0; out < length;) {
    if (bit == 8) {
      ++flagAt;
      bit = 0;
    }
    if (flagAt >= flagSize) return false;
    const bool match = (flags[flagAt] >> bit++) & 1;
    if (!match) {
      if (dataAt >= dataSize) return false;
      output[out++] = data[dataAt++];
    } else {
      if (dataAt + 2 > dataSize) return false;
      const uint32_t word = data[dataAt] | (data[dataAt + 1] << 8);
      dataAt += 2;
      const uint32_t count = (word & ((1u << lengthBits) - 1)) + kMinMatch;
      const uint32_t distance = (word >> lengthBits) + 1;
      if (distance > out || count > length - out) return false;
      for (uint32_t i = 0; i < count; ++i, ++out) output[out] = output[out - distance];
    }
    if (progress) progress(out, length, user);
  }
  return true;
}
