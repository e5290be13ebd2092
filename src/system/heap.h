// The library's private heap for large buffers. Every block carries a 4-byte use count in front
// of the caller's bytes: zrHeapFree lowers a count above 1 and frees the block at 1.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kLibraryHeapSize = 0xA00000;  // 10 MiB, created at start-up

int zrHeapCreate(uint32_t size);
int zrHeapDestroy();
void* zrHeapAlloc(int id, uint32_t size);
int zrHeapFree(void* block);
