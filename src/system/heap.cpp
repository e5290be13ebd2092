#include "system/heap.h"

#include <atomic>
#include <cstring>

#include "platform/private_heap.h"
#include "system/trace.h"

namespace {

// Created and destroyed on the main thread at start-up and shutdown; read by every thread.
std::atomic<platform::HeapHandle> libraryHeap{nullptr};

constexpr uint32_t kHeaderSize = 4;  // the block's use count

int32_t LoadCount(const void* block) {
  int32_t count;
  std::memcpy(&count, static_cast<const char*>(block) - kHeaderSize, sizeof count);
  return count;
}

void StoreCount(void* block, int32_t count) {
  std::memcpy(static_cast<char*>(block) - kHeaderSize, &count, sizeof count);
}

}  // namespace

int zrHeapCreate(uint32_t size) {
  if (libraryHeap.load()) return 0;
  platform::HeapHandle heap = platform::CreatePrivateHeap(size);
  if (!heap) {
    Trace("ヒープ領域の作成に失敗しました");
    return 0;
  }
  libraryHeap.store(heap);
  const float mebibytes = static_cast<float>(size) / 1024.0f / 1024.0f;
  Trace("ヒープを作成しました。 size = %d (0x%x) byte (%fMB)", static_cast<int>(size), size,
        static_cast<double>(mebibytes));
  return 1;
}

int zrHeapDestroy() {
  if (platform::HeapHandle heap = libraryHeap.exchange(nullptr)) platform::DestroyPrivateHeap(heap);
  Trace("ヒープを破棄しました。");
  return 1;
}

void* zrHeapAlloc(int id, uint32_t size) {
  platform::HeapHandle heap = libraryHeap.load();
  // The request with its header must itself be a 32-bit size.
  const uint32_t total = size + kHeaderSize;
  void* raw = heap && total > size ? platform::AllocateFromHeap(heap, total) : nullptr;
  if (!raw) {
    Trace("メモリが確保出来ませんでした  id = %d  size = %d(0x%x)", id, static_cast<int>(total),
          total);
    return nullptr;
  }
  void* block = static_cast<char*>(raw) + kHeaderSize;
  StoreCount(block, 1);
  return block;
}

int zrHeapFree(void* block) {
  if (!block) return 0;
  const int32_t count = LoadCount(block);
  if (count > 1) {
    StoreCount(block, count - 1);
    return count - 1;
  }
  platform::HeapHandle heap = libraryHeap.load();
  return heap && platform::FreeToHeap(heap, static_cast<char*>(block) - kHeaderSize) ? 1 : 0;
}
