#include "platform/named_mutex.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

MutexHandle CreateNamedMutex(const char16_t* name) {
  const wchar_t* wide = name && *name ? reinterpret_cast<const wchar_t*>(name) : nullptr;
  // The caller reads GetLastError() next: 183 or 6 tell that the name was taken.
  return ::CreateMutexW(nullptr, TRUE, wide);
}

void CloseNamedMutex(MutexHandle mutex) {
  if (mutex) ::CloseHandle(static_cast<HANDLE>(mutex));
}

}  // namespace platform
