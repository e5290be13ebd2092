// Facts about threads that the standard library does not give.
#pragma once

#include <cstdint>

namespace platform {

// The system's identifier of the calling thread.
uint32_t CurrentThreadId();

// Thread priorities, with their Windows values.
constexpr int kPriorityIdle = -15;
constexpr int kPriorityLowest = -2;
constexpr int kPriorityBelowNormal = -1;
constexpr int kPriorityNormal = 0;
constexpr int kPriorityAboveNormal = 1;
constexpr int kPriorityHighest = 2;
constexpr int kPriorityTimeCritical = 15;

// The processor the calling thread runs on at this moment, or -1 when the system cannot tell.
int CurrentProcessor();
// Keeps the calling thread on `processor` from now on; false when it cannot (it then runs where
// the system puts it).
bool BindToProcessor(int processor);

// Sets the priority of the thread `threadId` of this process. posix maps it to the thread's nice
// value (Idle 19, Lowest 10, BelowNormal 5, Normal 0, AboveNormal -5, Highest -10, TimeCritical
// -20); raising it needs a privilege there, and fails without one.
bool SetThreadPriority(uint32_t threadId, int priority);

}  // namespace platform
