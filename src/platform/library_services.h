// System services the library prepares at start-up and releases at shutdown, and the clock.
#pragma once

#include <cstdint>

namespace platform {

// Windows: the common controls (InitCommonControls) and COM for the calling thread (apartment
// model; its result does not matter). posix has neither: these do nothing there.
void InitializeCommonControls();
void InitializeCom();
void UninitializeCom();

// The local date and time, as Windows' SYSTEMTIME gives it (month 1-12, day of the week 0 for
// Sunday).
struct LocalTime {
  uint16_t year;
  uint16_t month;
  uint16_t dayOfWeek;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};
LocalTime GetLocalTime();

}  // namespace platform
