#include "platform/thread.h"

#include <windows.h>

namespace platform {

uint32_t CurrentThreadId() {
  return ::GetCurrentThreadId();
}

int CurrentProcessor() {
  return static_cast<int>(::GetCurrentProcessorNumber());
}

bool BindToProcessor(int processor) {
  if (processor < 0 || processor >= static_cast<int>(8 * sizeof(DWORD_PTR))) return false;
  return ::SetThreadAffinityMask(::GetCurrentThread(), DWORD_PTR{1} << processor) != 0;
}

bool SetThreadPriority(uint32_t threadId, int priority) {
  HANDLE thread = ::OpenThread(THREAD_SET_INFORMATION, FALSE, threadId);
  if (!thread) return false;
  const BOOL ok = ::SetThreadPriority(thread, priority);
  ::CloseHandle(thread);
  return ok != FALSE;
}

}  // namespace platform
