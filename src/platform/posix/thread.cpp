#include "platform/thread.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

uint32_t CurrentThreadId() {
  return static_cast<uint32_t>(syscall(SYS_gettid));
}

int CurrentProcessor() {
  return sched_getcpu();
}

bool BindToProcessor(int processor) {
  if (processor < 0 || processor >= CPU_SETSIZE) return false;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return sched_setaffinity(0, sizeof set, &set) == 0;
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
