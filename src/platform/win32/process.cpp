#include <windows.h>
// The platform names below are also Windows' UNICODE macros.
#undef GetCurrentDirectory
#undef SetCurrentDirectory

#include "platform/process.h"

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

void TerminateProcess(int exitCode) {
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
  ::ExitProcess(static_cast<UINT>(exitCode));  // not reached
}

size_t GetCurrentDirectory(char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  const DWORD length =
      ::GetCurrentDirectoryW(static_cast<DWORD>(capacity), reinterpret_cast<wchar_t*>(out));
  return length < capacity ? length : 0;  // a larger answer is the size it would need
}

bool SetCurrentDirectory(const char16_t* path) {
  return ::SetCurrentDirectoryW(reinterpret_cast<const wchar_t*>(path)) != FALSE;
}

size_t GetFullPath(const char16_t* path, char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  const DWORD length =
      ::GetFullPathNameW(reinterpret_cast<const wchar_t*>(path), static_cast<DWORD>(capacity),
                         reinterpret_cast<wchar_t*>(out), nullptr);
  return length < capacity ? length : 0;
}

bool ProgramRunsFrom(const char16_t*) {
  return false;
}

}  // namespace platform
