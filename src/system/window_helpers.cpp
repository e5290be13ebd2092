#include "system/window_helpers.h"

#include "system/trace.h"

namespace {

// The record states Windows' size for it, that of the 32-bit build, whatever the pointers are here.
constexpr uint32_t kClassRecordSize = 48;
static_assert(sizeof(void*) != 4 || sizeof(platform::WindowClassRecord) == kClassRecordSize,
              "the class record has Windows' layout");

}  // namespace

WindowClass& WindowClass::Register(const char16_t* className, platform::WindowProcedure procedure,
                                   platform::InstanceHandle instance, platform::IconHandle icon,
                                   platform::IconHandle smallIcon,
                                   platform::BrushHandle backgroundBrush, const char16_t* menuName,
                                   platform::CursorHandle cursor, uint32_t classStyle) {
  description.size = kClassRecordSize;
  description.style = classStyle;
  description.procedure = procedure;
  description.classExtra = 0;
  description.windowExtra = 0;
  description.instance = instance;
  description.icon = icon ? icon : platform::DefaultApplicationIcon();
  description.cursor = cursor ? cursor : platform::ArrowCursor();
  description.background = backgroundBrush ? backgroundBrush : platform::BlackBrush();
  description.menuName = menuName;
  description.className = className;
  description.smallIcon = smallIcon ? smallIcon : platform::DefaultApplicationIcon();
  atom = platform::RegisterWindowClass(description);
  return *this;
}

void WindowClass::Unregister() {
  if (atom != 0) platform::UnregisterWindowClass(description.className, description.instance);
}

void GetCenteredWindowRect(platform::WindowRect* rect, uint32_t style, int32_t exStyle,
                           bool hasMenu) {
  if (!rect) {
    AssertMessage("rect構造体が未定義です");
    return;
  }
  const int32_t width = rect->right;
  const int32_t height = rect->bottom;
  platform::WindowRect window;
  window.left = (platform::ScreenWidth() - width) / 2;
  window.top = (platform::ScreenHeight() - height) / 2;
  window.right = window.left + width;
  window.bottom = window.top + height;
  if (platform::AdjustWindowRectangle(&window, style, hasMenu, exStyle != -1,
                                      static_cast<uint32_t>(exStyle))) {
    *rect = window;
  }
}

int CenterWindowOn(platform::WindowHandle reference, platform::WindowHandle window) {
  if (!platform::IsAppWindow(reference) || !platform::IsAppWindow(window)) return 0;
  platform::WindowRect outer;
  platform::WindowRect inner;
  if (!platform::GetAppWindowRect(reference, &outer) ||
      !platform::GetAppWindowRect(window, &inner)) {
    return 0;
  }
  const int32_t x = outer.left + ((outer.right - outer.left) - (inner.right - inner.left)) / 2;
  const int32_t y = outer.top + ((outer.bottom - outer.top) - (inner.bottom - inner.top)) / 2;
  return platform::MoveAppWindow(window, x, y) ? 1 : 0;
}
