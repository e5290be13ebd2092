// Helpers shared by the test suites.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "system/trace.h"

#ifdef _WIN32
#include <direct.h>
// Windows folders have no mode bits: the suites' mkdir(path, mode) calls make a plain folder.
inline int mkdir(const char* path, int /*mode*/) {
  return _mkdir(path);
}
#endif

namespace zrtest {

std::u16string Wide(const std::string& utf8);
std::string Utf8(const std::u16string& wide);
std::string Utf8(const char16_t* wide);

// Captures every trace and assertion text while it lives.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  const std::vector<std::string>& Texts() const;
  bool Contains(const std::string& text) const;
  void Clear();
};

// Answers every message box with `answer` and records it while it lives.
struct RecordedMessageBox {
  std::string text;
  std::string caption;
  uint32_t flags;
  platform::WindowHandle owner;
};
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = platform::kAnswerOk);
  ~MessageBoxRecorder();
  const std::vector<RecordedMessageBox>& Boxes() const;
};

// Runs a shell command line with no input and collects its exit status and both outputs.
struct CommandRun {
  int status;  // the exit status, or -1 when it did not exit
  std::string out;
  std::string err;
};
CommandRun RunCommand(const std::string& commandLine);

// Runs `body` in a child process and gives its result (0 to 255), or -1 when the child did not
// finish within `seconds` (an alarm ends it): for calls that must not hang the test. Windows cannot
// fork: there the body runs in the test's own process, without the time limit.
int RunInChild(const std::function<int()>& body, int seconds = 10);

// A fresh folder under the system temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return path_; }  // native path, UTF-8
  std::u16string WidePath() const { return Wide(path_); }
  // Native and wide paths of `relative` (slashes) inside the folder.
  std::string PathOf(const std::string& relative) const;
  std::u16string WidePathOf(const std::string& relative) const { return Wide(PathOf(relative)); }
  void WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;

 private:
  std::string path_;
};

// The library heap for one test; every block taken from it must be freed before the test ends.
class HeapTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace zrtest
