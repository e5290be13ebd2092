// Message boxes on the console: the caption and the text go to standard error, and the answer is
// read from standard input. Enter (or any other answer) takes the first button, "n" or "c" the
// second. At the end of input a box with two buttons takes the second (Cancel or No), so that a
// closed input never confirms anything.
#include "platform/message_box.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/posix/native_path.h"

namespace platform {

namespace {

struct Buttons {
  const char* prompt;
  int first;
  int second;  // the same as `first` for a box with one button
  const char* firstName;
  const char* secondName;
};

Buttons ButtonsOf(uint32_t flags) {
  switch (flags & 0xF) {
    case kMessageBoxOkCancel:
      return {"[OK/cancel] ", kAnswerOk, kAnswerCancel, "OK", "cancel"};
    case kMessageBoxYesNo:
      return {"[Yes/no] ", kAnswerYes, kAnswerNo, "Yes", "no"};
    default:
      return {"[OK] ", kAnswerOk, kAnswerOk, "OK", "OK"};
  }
}

// Answers typed at a terminal are already on the screen; answers read from a file or a pipe are
// written after the prompt, so that a transcript shows what was chosen.
int Answer(const Buttons& buttons, bool second) {
  if (!isatty(STDIN_FILENO)) std::fputs(second ? buttons.secondName : buttons.firstName, stderr);
  std::fputc('\n', stderr);
  return second ? buttons.second : buttons.first;
}

// "n" or "c" refuses whichever the second button is, so a "no" never confirms an OK/Cancel box.
bool PicksSecond(const char* answer) {
  while (*answer == ' ') ++answer;
  const int key = std::tolower(static_cast<unsigned char>(*answer));
  return key == 'n' || key == 'c';
}

}  // namespace

int ShowNativeMessageBox(const MessageBoxRequest& request) {
  const Buttons buttons = ButtonsOf(request.flags);
  std::fprintf(stderr, "== %s ==\n%s\n%s", Utf16ToUtf8(request.caption).c_str(),
               Utf16ToUtf8(request.text).c_str(), buttons.prompt);
  std::fflush(stderr);
  char line[64];
  if (!std::fgets(line, sizeof line, stdin)) return Answer(buttons, true);
  // The rest of a long answer must not answer the next box.
  if (!std::strchr(line, '\n')) {
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') {
    }
  }
  if (isatty(STDIN_FILENO)) return PicksSecond(line) ? buttons.second : buttons.first;
  return Answer(buttons, PicksSecond(line));
}

}  // namespace platform
