// Blowfish in 8-byte blocks, each block's two 32-bit halves read and stored little-endian, for
// enciphered archives. Blocks are independent: no chaining, no initialisation vector.
#pragma once

#include <cstdint>
#include <memory>

class zrProtect {
 public:
  zrProtect();
  ~zrProtect();
  zrProtect(const zrProtect&) = delete;
  zrProtect& operator=(const zrProtect&) = delete;

  // Runs the key schedule; keys longer than 72 bytes count with their first 72. A key must have
  // at least one byte.
  void SetKey(const void* key, uint32_t length);
  // Each returns `size`, or 0 without a key, for a size that is not a multiple of 8 (traced),
  // and for a null buffer or a size of 0. `destination` may be `source`.
  uint32_t Encrypt(void* destination, const void* source, uint32_t size);
  uint32_t Decrypt(void* destination, const void* source, uint32_t size);

 private:
  struct State;
  std::unique_ptr<State> state_;  // null until SetKey
};
