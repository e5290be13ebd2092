#include "platform/thread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

bool SetThreadPriority(uint32_t threadId, int priority) {
  int nice;
  if (priority <= kPriorityIdle) {
    nice = 19;
  } else if (priority >= kPriorityTimeCritical) {
    nice = -20;
  } else if (priority <= kPriorityLowest) {
    nice = 10;
  } else if (priority >= kPriorityHighest) {
    nice = -10;
  } else {
    nice = -5 * priority;
  }
  return setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), nice) == 0;
}

}  // namespace platform
