#include "platform/code_page.h"

#include <windows.h>

#include <climits>

static_assert(sizeof(wchar_t) == 2, "UTF-16 wide strings");

namespace platform {
namespace {

bool Known(unsigned codePage) {
  return codePage == kCodePageShiftJis || codePage == kCodePageUtf8;
}

int ToInt(size_t value) {
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace

size_t MultiByteToWide(unsigned codePage, const char* source, ptrdiff_t sourceLength, char16_t* out,
                       size_t capacity) {
  if (!Known(codePage) || source == nullptr || sourceLength == 0 || sourceLength < -1 ||
      sourceLength > INT_MAX) {
    return 0;
  }
  const int length = static_cast<int>(sourceLength);
  if (out == nullptr || capacity == 0) {
    const int needed = MultiByteToWideChar(codePage, 0, source, length, nullptr, 0);
    return needed > 0 ? static_cast<size_t>(needed) : 0;
  }
  const int written = MultiByteToWideChar(codePage, 0, source, length,
                                          reinterpret_cast<wchar_t*>(out), ToInt(capacity));
  return written > 0 ? static_cast<size_t>(written) : 0;
}

size_t WideToMultiByte(unsigned codePage, const char16_t* source, ptrdiff_t sourceLength, char* out,
                       size_t capacity) {
  if (!Known(codePage) || source == nullptr || sourceLength == 0 || sourceLength < -1 ||
      sourceLength > INT_MAX) {
    return 0;
  }
  const int length = static_cast<int>(sourceLength);
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(source);
  // No best fit: "é" would become "e" and name another file; what does not convert becomes "?".
  // UTF-8 converts everything and refuses the flag.
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  if (out == nullptr || capacity == 0) {
    const int needed =
        WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, nullptr, nullptr);
    return needed > 0 ? static_cast<size_t>(needed) : 0;
  }
  const int written =
      WideCharToMultiByte(codePage, flags, wide, length, out, ToInt(capacity), nullptr, nullptr);
  return written > 0 ? static_cast<size_t>(written) : 0;
}

}  // namespace platform
