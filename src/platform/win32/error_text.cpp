#include "platform/error_text.h"

#include <windows.h>

namespace platform {

size_t ErrorText(uint32_t error, char16_t* out, size_t capacity) {
  if (capacity == 0) return 0;
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text),
      0, nullptr);
  size_t used = 0;
  if (length != 0 && text) {
    size_t end = length;
    // The system's messages end with a line break, which has no place inside our messages.
    while (end > 0 && (text[end - 1] == L'\r' || text[end - 1] == L'\n' || text[end - 1] == L' ')) {
      --end;
    }
    for (; used < end && used + 1 < capacity; ++used) out[used] = text[used];
  }
  if (text) ::LocalFree(text);
  out[used] = 0;
  return used;
}

}  // namespace platform
