// The message queue and the loops that empty it. Like Windows, a loop takes posted messages
// first, then the quit message, and paints only when nothing else is waiting.
#include "platform/posix/window_state.h"

namespace platform {

namespace {

// The progress dialog is the only template the program carries: 159 x 22 dialog units at two
// pixels per unit, one static text.
constexpr int kProgressDialogTemplate = 1003;
constexpr int kProgressTextItem = 1005;
constexpr int32_t kProgressDialogWidth = 318;
constexpr int32_t kProgressDialogHeight = 44;
constexpr char16_t kProgressDefaultText[] = u"アップデート中です。しばらくお待ちください。";

// Waits for the next message to dispatch: a posted one, else a paint for the first visible
// window that needs it. False when the quit message is next; it stays pending.
bool NextMessage(PostedMessage* next) {
  WindowState& state = Windows();
  std::unique_lock<std::mutex> hold(state.lock);
  for (;;) {
    if (!state.queue.empty()) {
      *next = state.queue.front();
      state.queue.pop_front();
      return true;
    }
    if (state.quitPending) return false;
    for (const std::unique_ptr<WindowRecord>& record : state.windows) {
      if (record->visible && record->needsPainting) {
        *next = {record.get(), kMessagePaint, 0, 0};
        return true;
      }
    }
    state.posted.wait(hold);
  }
}

void Dispatch(const PostedMessage& message) {
  SendAppMessage(message.window, message.message, message.wParam, message.lParam);
}

// Whether the dialog's loop goes on: it lives and has not been ended.
bool DialogRunning(WindowHandle dialog, intptr_t* result) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  const WindowRecord* record = FindWindowRecord(state, dialog);
  if (!record) return false;
  *result = record->result;
  return !record->ended;
}

std::unique_ptr<WindowRecord> ProgressDialog(WindowHandle owner, WindowProcedure procedure) {
  auto record = std::make_unique<WindowRecord>();
  record->procedure = procedure;
  record->isDialog = true;
  record->owner = owner;
  record->rect = {0, 0, kProgressDialogWidth, kProgressDialogHeight};
  record->items[kProgressTextItem] = kProgressDefaultText;
  return record;
}

}  // namespace

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  WindowState& state = Windows();
  {
    std::lock_guard<std::mutex> hold(state.lock);
    if (!FindWindowRecord(state, window)) return false;
    state.queue.push_back({window, message, wParam, lParam});
  }
  state.posted.notify_all();
  return true;
}

void PostQuitAppMessage(int exitCode) {
  WindowState& state = Windows();
  {
    std::lock_guard<std::mutex> hold(state.lock);
    state.quitPending = true;
    state.quitCode = exitCode;
  }
  state.posted.notify_all();
}

int RunMessageLoop() {
  PostedMessage message;
  while (NextMessage(&message)) Dispatch(message);
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  state.quitPending = false;
  return state.quitCode;
}

intptr_t RunModalDialog(InstanceHandle /*instance*/, int templateId, WindowHandle owner,
                        WindowProcedure procedure, intptr_t parameter) {
  if (templateId != kProgressDialogTemplate || !procedure) return -1;
  const WindowHandle dialog = AddWindowRecord(ProgressDialog(owner, procedure));
  SendAppMessage(dialog, kMessageInitDialog, 0, parameter);
  {
    // As on Windows, a visible dialog appears once its initialisation is done.
    WindowState& state = Windows();
    std::lock_guard<std::mutex> hold(state.lock);
    WindowRecord* record = FindWindowRecord(state, dialog);
    if (record && !record->ended) ShowWindowRecord(*record);
  }
  // A quit message ends the dialog without a result and is left for the outer loop; a dialog
  // destroyed from outside ends it the same way.
  intptr_t result = 0;
  PostedMessage message;
  while (DialogRunning(dialog, &result) && NextMessage(&message)) Dispatch(message);
  DestroyAppWindow(dialog);
  return result;
}

bool EndAppDialog(WindowHandle dialog, intptr_t result) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, dialog);
  if (!record || !record->isDialog) return false;
  record->ended = true;
  record->result = result;
  return true;
}

}  // namespace platform
