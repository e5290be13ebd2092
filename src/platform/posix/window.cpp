// Window records: creation, destruction, geometry and the program's fixed resources. There is no
// display behind the console, so the screen has a fixed size.
#include <algorithm>

#include "platform/posix/window_state.h"

namespace platform {

namespace {

constexpr int32_t kScreenWidth = 1920;
constexpr int32_t kScreenHeight = 1080;

// Distinct addresses stand for the program's instance and the default resources.
const char currentInstance = 0;
const char applicationIcon = 0;
const char arrowCursor = 0;
const char blackBrush = 0;

void* Address(const char& object) {
  return const_cast<char*>(&object);
}

// The windows `owner` owns; Windows destroys them before their owner.
std::vector<WindowHandle> OwnedWindows(WindowHandle owner) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  std::vector<WindowHandle> owned;
  for (const std::unique_ptr<WindowRecord>& record : state.windows) {
    if (record->owner == owner && !record->destroying) owned.push_back(record.get());
  }
  return owned;
}

}  // namespace

IconHandle DefaultApplicationIcon() {
  return Address(applicationIcon);
}
CursorHandle ArrowCursor() {
  return Address(arrowCursor);
}
BrushHandle BlackBrush() {
  return Address(blackBrush);
}
InstanceHandle CurrentInstance() {
  return Address(currentInstance);
}

WindowHandle CreateAppWindow(uint32_t /*exStyle*/, const char16_t* className, const char16_t* title,
                             uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                             WindowHandle parent, InstanceHandle instance) {
  if (!className) return nullptr;
  auto record = std::make_unique<WindowRecord>();
  record->classKey = ClassKey(className);
  record->instance = instance;
  record->title = title ? title : u"";
  record->style = style;
  record->rect = {x, y, x + width, y + height};
  record->owner = parent;
  {
    WindowState& state = Windows();
    std::lock_guard<std::mutex> hold(state.lock);
    record->procedure = ClassProcedure(state, record->classKey, instance);
    if (!record->procedure) return nullptr;
  }
  const WindowHandle window = AddWindowRecord(std::move(record));
  if (SendAppMessage(window, kMessageCreate, 0, 0) == -1) {
    DestroyAppWindow(window);
    return nullptr;
  }
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* created = FindWindowRecord(state, window);
  if (!created) return nullptr;  // its procedure destroyed it while it was being created
  if (style & kStyleVisible) ShowWindowRecord(*created);
  return window;
}

bool DestroyAppWindow(WindowHandle window) {
  WindowState& state = Windows();
  {
    std::lock_guard<std::mutex> hold(state.lock);
    WindowRecord* record = FindWindowRecord(state, window);
    if (!record) return false;
    if (record->destroying) return true;
    record->destroying = true;
  }
  for (WindowHandle owned : OwnedWindows(window)) DestroyAppWindow(owned);
  SendAppMessage(window, kMessageDestroy, 0, 0);
  std::lock_guard<std::mutex> hold(state.lock);
  state.queue.erase(
      std::remove_if(state.queue.begin(), state.queue.end(),
                     [&](const PostedMessage& posted) { return posted.window == window; }),
      state.queue.end());
  state.windows.erase(std::find_if(
      state.windows.begin(), state.windows.end(),
      [&](const std::unique_ptr<WindowRecord>& record) { return record.get() == window; }));
  return true;
}

bool IsAppWindow(WindowHandle window) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  return FindWindowRecord(state, window) != nullptr;
}

void UpdateAppWindow(WindowHandle window) {
  bool paint = false;
  {
    WindowState& state = Windows();
    std::lock_guard<std::mutex> hold(state.lock);
    const WindowRecord* record = FindWindowRecord(state, window);
    paint = record && record->visible && record->needsPainting;
  }
  if (paint) SendAppMessage(window, kMessagePaint, 0, 0);
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t /*wParam*/,
                                intptr_t /*lParam*/) {
  if (message == kMessagePaint) ValidateAppWindow(window);
  if (message == kMessageClose) DestroyAppWindow(window);
  return 0;
}

int32_t ScreenWidth() {
  return kScreenWidth;
}
int32_t ScreenHeight() {
  return kScreenHeight;
}

bool AdjustWindowRectangle(WindowRect* rect, uint32_t style, bool /*hasMenu*/, bool /*hasExStyle*/,
                           uint32_t /*exStyle*/) {
  if (!rect) return false;
  // The console draws only the border: no caption, frame or menu bar takes room.
  if (style & kStyleBorder)
    *rect = {rect->left - 1, rect->top - 1, rect->right + 1, rect->bottom + 1};
  return true;
}

bool GetAppWindowRect(WindowHandle window, WindowRect* rect) {
  if (!rect) return false;
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  const WindowRecord* record = FindWindowRecord(state, window);
  if (!record) return false;
  *rect = record->rect;
  return true;
}

bool MoveAppWindow(WindowHandle window, int32_t x, int32_t y) {
  WindowState& state = Windows();
  std::lock_guard<std::mutex> hold(state.lock);
  WindowRecord* record = FindWindowRecord(state, window);
  if (!record) return false;
  WindowRect& rect = record->rect;
  rect = {x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
  return true;
}

uint32_t ExtractIcons(const char16_t* /*path*/, IconHandle* large, IconHandle* small) {
  if (large) *large = nullptr;
  if (small) *small = nullptr;
  return 0;
}

IconHandle LoadIconResource(InstanceHandle /*instance*/, int /*id*/) {
  return nullptr;
}

}  // namespace platform
