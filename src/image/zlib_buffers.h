// The library's whole-buffer zlib helpers, used by the picture formats.
#pragma once

#include <cstddef>
#include <cstdint>

// Inflates one zlib stream into `out`, keeping at most `capacity` bytes; the rest of `out` is
// zero-filled. Returns the number of bytes kept, or -1 when the stream cannot be set up. Callers
// judge the stream by comparing the count with the size they expect: a corrupt or short stream
// gives a smaller count, a longer one a count above the expected size (so give a little room).
int64_t InflateBuffer(uint8_t* out, size_t capacity, const uint8_t* in, size_t length);

// Deflates `in` at level 9 into `out`. Returns the whole compressed length, which may exceed
// `capacity` (then only the chunks that fitted were written), or -1 when zlib fails.
int64_t DeflateBuffer(uint8_t* out, size_t capacity, const uint8_t* in, size_t length);
