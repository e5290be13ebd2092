// Large page-aligned blocks straight from the system, for buffers that uncached reads fill.
#pragma once

#include <cstddef>

namespace platform {

// A committed, zero-filled, read-write block of `size` bytes starting on a page boundary, or null.
void* AllocatePages(size_t size);
// Releases a block of AllocatePages; `size` is the size it was allocated with. Null is ignored.
void FreePages(void* block, size_t size);

}  // namespace platform
