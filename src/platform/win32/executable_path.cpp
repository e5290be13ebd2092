#include "platform/executable_path.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

size_t GetExecutablePath(char16_t* out, size_t capacity) {
  if (!out || capacity == 0) return 0;
  const DWORD length =
      ::GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(out), static_cast<DWORD>(capacity));
  // A cut name fills the whole buffer.
  return length > 0 && length < capacity ? length : 0;
}

}  // namespace platform
