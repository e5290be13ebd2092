#include "platform/text_compare.h"

#include <windows.h>

static_assert(sizeof(wchar_t) == 2, "UTF-16 wide strings");

namespace platform {

// The system's own comparison, in the user's locale.
int CompareTextIgnoringCase(const char16_t* a, const char16_t* b) {
  return lstrcmpiW(reinterpret_cast<const wchar_t*>(a ? a : u""),
                   reinterpret_cast<const wchar_t*>(b ? b : u""));
}

}  // namespace platform
