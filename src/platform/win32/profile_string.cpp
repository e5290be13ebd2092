#include "platform/profile_string.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

size_t ReadProfileString(const char16_t* section, const char16_t* key, char16_t* out,
                         size_t capacity, const char16_t* path) {
  if (!out || capacity == 0) return 0;
  out[0] = 0;
  if (!section || !key || !path) return 0;
  const DWORD size = static_cast<DWORD>(capacity > 0xFFFF ? 0xFFFF : capacity);
  return ::GetPrivateProfileStringW(
      reinterpret_cast<const wchar_t*>(section), reinterpret_cast<const wchar_t*>(key), L"",
      reinterpret_cast<wchar_t*>(out), size, reinterpret_cast<const wchar_t*>(path));
}

}  // namespace platform
