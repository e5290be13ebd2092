#include "platform/private_heap.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace platform {

// zrHeap keeps a 4-byte use count at the start of each block and hands out what follows it, which
// must be 16-byte aligned like the Linux layer's (doubles, SSE rows). HeapAlloc gives only 8 bytes
// on 32-bit Windows, so each block is placed 12 bytes before a 16-byte boundary inside a larger
// allocation, with that allocation's address stored just before the block.
namespace {
constexpr uintptr_t kAlignment = 16;
constexpr uintptr_t kCountSize = 4;
constexpr size_t kSlack = sizeof(void*) + kAlignment - 1;
}  // namespace

// Growable (no maximum) and serialised: the copy threads and the main thread share it.
HeapHandle CreatePrivateHeap(size_t initialSize) {
  return HeapCreate(0, initialSize, 0);
}

void DestroyPrivateHeap(HeapHandle heap) {
  if (heap) HeapDestroy(heap);
}

void* AllocateFromHeap(HeapHandle heap, size_t size) {
  if (size > SIZE_MAX - kSlack) return nullptr;
  void* raw = HeapAlloc(heap, 0, size + kSlack);
  if (!raw) return nullptr;
  const uintptr_t earliest = reinterpret_cast<uintptr_t>(raw) + sizeof(void*);
  const uintptr_t block =
      earliest + ((kAlignment - (earliest + kCountSize) % kAlignment) % kAlignment);
  std::memcpy(reinterpret_cast<void*>(block - sizeof(void*)), &raw, sizeof raw);
  return reinterpret_cast<void*>(block);
}

bool FreeToHeap(HeapHandle heap, void* block) {
  if (!block) return false;
  void* raw;
  std::memcpy(&raw, static_cast<char*>(block) - sizeof(void*), sizeof raw);
  return HeapFree(heap, 0, raw) != FALSE;
}

}  // namespace platform
