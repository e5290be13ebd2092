// The 64-bit vector path of the 4-byte to 16-bit narrowing (two pixels per step), taken when the
// processor reports MMX. It gives the scalar results exactly.
#pragma once

#include <cstdint>

// True when the process-wide zrCaps reports MMX and this build has the path; without a zrCaps
// object the scalar path is taken.
bool CanNarrowWithMmx();

// Narrows `width` 4-byte pixels of `src` into 16-bit pixels at `dst`.
void NarrowBgraRowMmx(uint8_t* dst, const uint8_t* src, int32_t width);
