// A private heap on top of malloc: every block is linked into its heap's list so that destroying
// the heap frees whatever its owners left. Blocks are placed so that the address 4 bytes into
// them (where zrHeap hands out memory, past its use count) is 16-byte aligned.
#include "platform/private_heap.h"

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace platform {

namespace {

struct BlockLink {
  BlockLink* previous;
  BlockLink* next;
};

// malloc gives 16-byte alignment; the block starts 12 bytes before the next 16-byte boundary
// after its link.
constexpr size_t kLinkArea = 32;
constexpr size_t kBlockOffset = kLinkArea - 4;

struct PrivateHeap {
  std::mutex mutex;
  BlockLink blocks{&blocks, &blocks};
};

BlockLink* LinkOf(void* block) {
  return reinterpret_cast<BlockLink*>(static_cast<char*>(block) - kBlockOffset);
}

}  // namespace

HeapHandle CreatePrivateHeap(size_t) {
  return new (std::nothrow) PrivateHeap;
}

void DestroyPrivateHeap(HeapHandle handle) {
  auto* heap = static_cast<PrivateHeap*>(handle);
  if (!heap) return;
  for (BlockLink* link = heap->blocks.next; link != &heap->blocks;) {
    BlockLink* next = link->next;
    std::free(link);
    link = next;
  }
  delete heap;
}

void* AllocateFromHeap(HeapHandle handle, size_t size) {
  auto* heap = static_cast<PrivateHeap*>(handle);
  if (!heap || size > SIZE_MAX - kLinkArea) return nullptr;
  auto* link = static_cast<BlockLink*>(std::malloc(kLinkArea + size));
  if (!link) return nullptr;
  std::lock_guard<std::mutex> lock(heap->mutex);
  link->previous = &heap->blocks;
  link->next = heap->blocks.next;
  heap->blocks.next->previous = link;
  heap->blocks.next = link;
  return reinterpret_cast<char*>(link) + kBlockOffset;
}

bool FreeToHeap(HeapHandle handle, void* block) {
  auto* heap = static_cast<PrivateHeap*>(handle);
  if (!heap || !block) return false;
  BlockLink* link = LinkOf(block);
  {
    std::lock_guard<std::mutex> lock(heap->mutex);
    link->previous->next = link->next;
    link->next->previous = link->previous;
  }
  std::free(link);
  return true;
}

}  // namespace platform
