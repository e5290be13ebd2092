// ZRLZ, the library's LZ77 block format: a 28-byte header, a section of flag bits (0 literal,
// 1 match, least significant bit first) and a section of data (literal bytes and 16-bit match
// words). Five modes split a match word differently between distance and length.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kZrlzHeaderSize = 28;
constexpr int32_t kZrlzModes = 5;

// Called after every token with the input consumed so far and the whole input's length, and once
// at the end with both equal to the length.
using ZrlzProgress = void (*)(uint32_t done, uint32_t total, void* user);

// Compresses `length` bytes in `mode` (0 to 4) into `output` (null: only measures); the block
// size, or 0 when the mode is unknown or the work buffers cannot be had.
uint32_t ZrlzCompress(const uint8_t* input, uint32_t length, uint8_t* output, int32_t mode,
                      ZrlzProgress progress = nullptr, void* user = nullptr);

// The uncompressed length a block states, or 0 when `block` (of `size` bytes) is no ZRLZ block.
uint32_t ZrlzLength(const uint8_t* block, uint32_t size);

// Decodes the block into `output`, which holds ZrlzLength bytes. False when the block does not
// hold what its tokens need: sections outside the block, tokens running out, or a match reaching
// before the start or past the end of the output.
bool ZrlzDecompress(const uint8_t* block, uint32_t size, uint8_t* output,
                    ZrlzProgress progress = nullptr, void* user = nullptr);
