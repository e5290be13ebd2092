#include "file/zrProtect.h"

#include <cstring>

#include "system/trace.h"

namespace {

#include "file/zrProtect_tables.inc"

constexpr uint32_t kRounds = 16;
constexpr uint32_t kLongestKey = 4 * (kRounds + 2);  // one byte for each byte of the P-array

uint32_t LoadLittleEndian(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void StoreLittleEndian(unsigned char* bytes, uint32_t word) {
  bytes[0] = static_cast<unsigned char>(word);
  bytes[1] = static_cast<unsigned char>(word >> 8);
  bytes[2] = static_cast<unsigned char>(word >> 16);
  bytes[3] = static_cast<unsigned char>(word >> 24);
}

}  // namespace

struct zrProtect::State {
  uint32_t p[kRounds + 2];
  uint32_t s[4][256];

  uint32_t F(uint32_t x) const {
    return ((s[0][x >> 24] + s[1][(x >> 16) & 0xFF]) ^ s[2][(x >> 8) & 0xFF]) + s[3][x & 0xFF];
  }

  void EncipherHalves(uint32_t* left, uint32_t* right) const {
    uint32_t l = *left;
    uint32_t r = *right;
    for (uint32_t i = 0; i < kRounds; i += 2) {
      l ^= p[i];
      r ^= F(l);
      r ^= p[i + 1];
      l ^= F(r);
    }
    *left = r ^ p[kRounds + 1];
    *right = l ^ p[kRounds];
  }

  void DecipherHalves(uint32_t* left, uint32_t* right) const {
    uint32_t l = *left;
    uint32_t r = *right;
    for (uint32_t i = kRounds + 1; i > 1; i -= 2) {
      l ^= p[i];
      r ^= F(l);
      r ^= p[i - 1];
      l ^= F(r);
    }
    *left = r ^ p[0];
    *right = l ^ p[1];
  }

  // Block by block in order, each copied to the destination first when that is another buffer;
  // each half of a block is a little-endian word.
  template <bool kEncipher>
  void TransformBlocks(unsigned char* out, const unsigned char* in, uint32_t size) const {
    for (uint32_t offset = 0; offset < size; offset += 8) {
      unsigned char* block = out + offset;
      if (out != in) std::memcpy(block, in + offset, 8);
      uint32_t left = LoadLittleEndian(block);
      uint32_t right = LoadLittleEndian(block + 4);
      if (kEncipher) {
        EncipherHalves(&left, &right);
      } else {
        DecipherHalves(&left, &right);
      }
      StoreLittleEndian(block, left);
      StoreLittleEndian(block + 4, right);
    }
  }

  void Schedule(const unsigned char* key, uint32_t length) {
    std::memcpy(p, kInitialP, sizeof p);
    std::memcpy(s, kInitialS, sizeof s);
    // Four key bytes, taken cyclically, make one big-endian word for each P entry.
    uint32_t next = 0;
    for (uint32_t& entry : p) {
      uint32_t word = 0;
      for (int i = 0; i < 4; ++i) {
        word = word << 8 | key[next];
        next = (next + 1) % length;
      }
      entry ^= word;
    }
    uint32_t left = 0;
    uint32_t right = 0;
    for (uint32_t i = 0; i < kRounds + 2; i += 2) {
      EncipherHalves(&left, &right);
      p[i] = left;
      p[i + 1] = right;
    }
    for (auto& box : s) {
      for (uint32_t i = 0; i < 256; i += 2) {
        EncipherHalves(&left, &right);
        box[i] = left;
        box[i + 1] = right;
      }
    }
  }
};

namespace {

// The refusals both directions share; true when the blocks may be processed.
bool AcceptsBlocks(bool keyed, const void* destination, const void* source, uint32_t size) {
  if (!keyed) return false;
  if (size % 8 != 0) {
    Trace("zrProtect : データサイズは8バイト単位である必要があります");
    return false;
  }
  return destination && source && size != 0;
}

}  // namespace

zrProtect::zrProtect() = default;
zrProtect::~zrProtect() = default;

void zrProtect::SetKey(const void* key, uint32_t length) {
  // Without a key byte there is nothing to fold into the P-array: the state stays as it was.
  if (!key || length == 0) return;
  if (!state_) state_ = std::make_unique<State>();
  state_->Schedule(static_cast<const unsigned char*>(key),
                   length < kLongestKey ? length : kLongestKey);
}

uint32_t zrProtect::Encrypt(void* destination, const void* source, uint32_t size) {
  if (!AcceptsBlocks(state_ != nullptr, destination, source, size)) return 0;
  state_->TransformBlocks<true>(static_cast<unsigned char*>(destination),
                                static_cast<const unsigned char*>(source), size);
  return size;
}

uint32_t zrProtect::Decrypt(void* destination, const void* source, uint32_t size) {
  if (!AcceptsBlocks(state_ != nullptr, destination, source, size)) return 0;
  state_->TransformBlocks<false>(static_cast<unsigned char*>(destination),
                                 static_cast<const unsigned char*>(source), size);
  return size;
}
