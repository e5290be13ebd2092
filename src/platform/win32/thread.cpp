#include "platform/thread.h"

#include <windows.h>

namespace platform {

uint32_t CurrentThreadId() {
  return ::GetCurrentThreadId();
}

bool SetThreadPriority(uint32_t threadId, int priority) {
  HANDLE thread = ::OpenThread(THREAD_SET_INFORMATION, FALSE, threadId);
  if (!thread) return false;
  const BOOL ok = ::SetThreadPriority(thread, priority);
  ::CloseHandle(thread);
  return ok != FALSE;
}

}  // namespace platform
