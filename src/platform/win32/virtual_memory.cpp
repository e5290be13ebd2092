#include "platform/virtual_memory.h"

#include <windows.h>

namespace platform {

void* AllocatePages(size_t size) {
  return ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void FreePages(void* block, size_t /*size*/) {
  if (block) ::VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace platform
