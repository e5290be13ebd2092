#include "platform/message_box.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<MessageBoxHandler> installedHandler{nullptr};
}  // namespace

int ShowMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption,
                   uint32_t flags) {
  const MessageBoxRequest request{owner, text ? text : u"", caption ? caption : u"", flags};
  MessageBoxHandler handler = installedHandler.load();
  return handler ? handler(request) : ShowNativeMessageBox(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  return installedHandler.exchange(handler);
}

}  // namespace platform
