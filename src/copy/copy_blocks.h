// The sizes the copy worker reads in: blocks of 2 MiB through the cache, or 1 MiB and one sector
// past it, where every request is a whole number of sectors.
#pragma once

#include <cstdint>

// The capacity of each ring block for a source on a volume of `sector` bytes per sector (0: read
// through the cache).
uint32_t BlockCapacity(uint32_t sector);
// The read request for the next block: a whole block while more remains, else the rest, rounded
// up to whole sectors when reading past the cache.
uint32_t RequestLength(uint64_t remaining, uint32_t capacity, uint32_t sector);
