#include "platform/private_heap.h"

#include <windows.h>

namespace platform {

// Growable (no maximum) and serialised: the copy threads and the main thread share it.
HeapHandle CreatePrivateHeap(size_t initialSize) { return HeapCreate(0, initialSize, 0); }

void DestroyPrivateHeap(HeapHandle heap) {
  if (heap) HeapDestroy(heap);
}

void* AllocateFromHeap(HeapHandle heap, size_t size) { return HeapAlloc(heap, 0, size); }

bool FreeToHeap(HeapHandle heap, void* block) { return HeapFree(heap, 0, block) != FALSE; }

}  // namespace platform
