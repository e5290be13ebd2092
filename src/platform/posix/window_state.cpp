#include "platform/posix/window_state.h"

#include "platform/posix/upper_case.h"

namespace platform {

WindowState& Windows() {
  static WindowState state;
  return state;
}

WindowRecord* FindWindowRecord(WindowState& state, WindowHandle window) {
  if (!window) return nullptr;
  for (const std::unique_ptr<WindowRecord>& record : state.windows) {
    if (record.get() == window) return record.get();
  }
  return nullptr;
}

intptr_t SendAppMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  WindowProcedure procedure = nullptr;
  {
    WindowState& state = Windows();
    std::lock_guard<std::mutex> hold(state.lock);
    const WindowRecord* record = FindWindowRecord(state, window);
    if (!record) return 0;
    procedure = record->procedure;
  }
  return procedure(window, message, wParam, lParam);
}

WindowHandle AddWindowRecord(std::unique_ptr<WindowRecord> record) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  state.windows.push_back(std::move(record));
  return state.windows.back().get();
}

std::u16string ClassKey(const char16_t* className) {
  std::u16string key;
  for (const char16_t* unit = className; *unit; ++unit) key += UpperCase(*unit);
  return key;
}

}  // namespace platform
