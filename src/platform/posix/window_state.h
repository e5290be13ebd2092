// State shared by the posix windows: one registry of window records, one class table and one
// message queue for the whole process, all under one lock. Window procedures are always called
// with the lock released, because they call back into the layer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct WindowRecord {
  std::u16string classKey;  // the class name in upper case; empty for a dialog
  InstanceHandle instance = nullptr;
  WindowProcedure procedure = nullptr;
  std::u16string title;
  uint32_t style = 0;
  WindowRect rect = {};
  bool visible = false;
  bool shownBefore = false;       // the console has printed its heading
  bool pictureDescribed = false;  // the console has described its picture
  bool needsPainting = false;
  bool destroying = false;  // kMessageDestroy is on its way; a second destroy does nothing
  bool isDialog = false;
  WindowHandle owner = nullptr;
  std::map<int, std::u16string> items;  // a dialog's controls: id -> text
  bool ended = false;
  intptr_t result = 0;
};

struct PostedMessage {
  WindowHandle window;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

struct WindowClassEntry {
  std::u16string key;  // the name in upper case
  InstanceHandle instance;
  WindowProcedure procedure;
  uint16_t atom;
};

struct WindowState {
  std::mutex lock;
  std::condition_variable posted;                      // a message or the quit message arrived
  std::vector<std::unique_ptr<WindowRecord>> windows;  // in creation order
  std::vector<WindowClassEntry> classes;
  uint16_t nextAtom = 0xC000;
  std::deque<PostedMessage> queue;
  bool quitPending = false;
  int quitCode = 0;
};

WindowState& Windows();

// The record of a live window, or null. Call with the lock held.
WindowRecord* FindWindowRecord(WindowState& state, WindowHandle window);

// Calls the window's procedure on this thread and gives its result; 0 when the window is gone.
intptr_t SendAppMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Takes a new record into the registry; its address is the handle.
WindowHandle AddWindowRecord(std::unique_ptr<WindowRecord> record);

// Makes the window visible; the first time, prints its heading (and a dialog's texts). Call with
// the lock held.
void ShowWindowRecord(WindowRecord& record);

// Class names compare as Windows compares them, without regard to case.
std::u16string ClassKey(const char16_t* className);
// The procedure of a registered class, or null. Call with the lock held.
WindowProcedure ClassProcedure(WindowState& state, const std::u16string& key,
                               InstanceHandle instance);

}  // namespace platform
