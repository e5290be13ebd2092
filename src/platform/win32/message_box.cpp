#include <windows.h>

#include "platform/message_box.h"

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

int ShowNativeMessageBox(const MessageBoxRequest& request) {
  return MessageBoxW(static_cast<HWND>(request.owner),
                     reinterpret_cast<const wchar_t*>(request.text),
                     reinterpret_cast<const wchar_t*>(request.caption), request.flags);
}

}  // namespace platform
