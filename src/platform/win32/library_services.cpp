#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <objbase.h>

#include "platform/library_services.h"

namespace platform {

void InitializeCommonControls() {
  ::InitCommonControls();
}

void InitializeCom() {
  ::CoInitialize(nullptr);
}

void UninitializeCom() {
  ::CoUninitialize();
}

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth,  now.wDayOfWeek, now.wDay,
          now.wHour, now.wMinute, now.wSecond,    now.wMilliseconds};
}

}  // namespace platform
