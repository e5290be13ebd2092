// The growable, serialised heap behind zrHeap. Blocks can be freed one by one, and all at once by
// destroying the heap.
#pragma once

#include <cstddef>

namespace platform {

using HeapHandle = void*;

HeapHandle CreatePrivateHeap(size_t initialSize);  // null on failure
void DestroyPrivateHeap(HeapHandle heap);
void* AllocateFromHeap(HeapHandle heap, size_t size);  // null on failure; bytes not cleared
bool FreeToHeap(HeapHandle heap, void* block);

}  // namespace platform
