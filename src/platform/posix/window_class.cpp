// Window classes: a table by name and instance, as Windows keeps the classes of a program.
#include <algorithm>

#include "platform/posix/window_state.h"

namespace platform {

namespace {

// The size Windows' own record has on the 32-bit build, which a caller must state.
constexpr uint32_t kClassRecordSize = 48;

std::vector<WindowClassEntry>::iterator FindClass(WindowState& state, const std::u16string& key,
                                                  InstanceHandle instance) {
  return std::find_if(state.classes.begin(), state.classes.end(),
                      [&](const WindowClassEntry& entry) {
                        return entry.key == key && entry.instance == instance;
                      });
}

}  // namespace

uint16_t RegisterWindowClass(const WindowClassRecord& record) {
  if (record.size != kClassRecordSize || !record.className || !*record.className ||
      !record.procedure) {
    return 0;
  }
  const std::u16string key = ClassKey(record.className);
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  if (FindClass(state, key, record.instance) != state.classes.end()) return 0;
  if (state.nextAtom == 0) return 0;  // every atom given out: 0xC000 to 0xFFFF
  state.classes.push_back({key, record.instance, record.procedure, state.nextAtom++});
  return state.classes.back().atom;
}

bool UnregisterWindowClass(const char16_t* className, InstanceHandle instance) {
  if (!className) return false;
  const std::u16string key = ClassKey(className);
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  const auto entry = FindClass(state, key, instance);
  if (entry == state.classes.end()) return false;
  // Windows refuses while windows of the class live: their procedure would be left without one.
  const bool hasWindows = std::any_of(state.windows.begin(), state.windows.end(),
                                      [&](const std::unique_ptr<WindowRecord>& w) {
                                        return w->classKey == key && w->instance == instance;
                                      });
  if (hasWindows) return false;
  state.classes.erase(entry);
  return true;
}

// Gives the procedure of a registered class, or null. Call with the lock held.
WindowProcedure ClassProcedure(WindowState& state, const std::u16string& key,
                               InstanceHandle instance) {
  const auto entry = FindClass(state, key, instance);
  return entry == state.classes.end() ? nullptr : entry->procedure;
}

}  // namespace platform
