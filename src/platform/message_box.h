// Message boxes. Windows shows real ones; the posix layer asks on the console. Tests replace the
// native box with a recorder through SetMessageBoxHandler.
#pragma once

#include <cstdint>

namespace platform {

using WindowHandle = void*;

// Button and icon flags and results keep their Windows values.
constexpr uint32_t kMessageBoxOk = 0x0;
constexpr uint32_t kMessageBoxOkCancel = 0x1;
constexpr uint32_t kMessageBoxYesNo = 0x4;
constexpr uint32_t kMessageBoxIconError = 0x10;
constexpr uint32_t kMessageBoxIconQuestion = 0x20;
constexpr uint32_t kMessageBoxIconWarning = 0x30;
constexpr uint32_t kMessageBoxIconInformation = 0x40;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

struct MessageBoxRequest {
  WindowHandle owner;
  const char16_t* text;
  const char16_t* caption;
  uint32_t flags;
};

// Shows the box (or hands it to the installed handler) and returns the answer.
int ShowMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption,
                   uint32_t flags);

using MessageBoxHandler = int (*)(const MessageBoxRequest& request);
// Installs a handler in place of the native box (null restores it); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The native box alone; each platform folder defines it.
int ShowNativeMessageBox(const MessageBoxRequest& request);

}  // namespace platform
