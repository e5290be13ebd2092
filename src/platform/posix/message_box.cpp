// Message boxes on the console: the caption and the text go to standard error, and the answer is
// read from standard input. Enter (or the end of input) takes the first button.
#include "platform/message_box.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "platform/posix/native_path.h"

namespace platform {

namespace {

struct Buttons {
  const char* prompt;
  int first;
  int second;
  char secondKey;  // the answer that picks the second button
};

Buttons ButtonsOf(uint32_t flags) {
  switch (flags & 0xF) {
    case kMessageBoxOkCancel:
      return {"[OK/cancel] ", kAnswerOk, kAnswerCancel, 'c'};
    case kMessageBoxYesNo:
      return {"[Yes/no] ", kAnswerYes, kAnswerNo, 'n'};
    default:
      return {"[OK] ", kAnswerOk, kAnswerOk, 0};
  }
}

}  // namespace

int ShowNativeMessageBox(const MessageBoxRequest& request) {
  const Buttons buttons = ButtonsOf(request.flags);
  std::fprintf(stderr, "== %s ==\n%s\n%s", Utf16ToUtf8(request.caption).c_str(),
               Utf16ToUtf8(request.text).c_str(), buttons.prompt);
  std::fflush(stderr);
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) {
    std::fputc('\n', stderr);
    return buttons.first;
  }
  const char* answer = line;
  while (*answer == ' ') ++answer;
  const bool second =
      buttons.secondKey && std::tolower(static_cast<unsigned char>(*answer)) == buttons.secondKey;
  return second ? buttons.second : buttons.first;
}

}  // namespace platform
