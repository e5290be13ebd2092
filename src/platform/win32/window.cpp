// The windowing interface on user32, gdi32 and shell32. Window and dialog procedures of the
// interface are plain functions; Windows calls its own (stdcall) procedures, which pass each
// message on to the procedure registered for the window's class or given to the dialog.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <shellapi.h>

#include <map>
#include <mutex>

#include "platform/window.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

namespace platform {

namespace {

// Controls of the progress dialog beyond its text: the bar and the line under it.
constexpr int kProgressBarId = 1006;
constexpr int kProgressDetailId = 1007;
constexpr int kProgressSteps = 1000;

const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

HWND Handle(WindowHandle window) {
  return static_cast<HWND>(window);
}

// The interface's procedure of each registered class, by atom.
std::mutex classLock;
std::map<ATOM, WindowProcedure> classProcedures;

WindowProcedure ProcedureOf(HWND window) {
  const auto atom = static_cast<ATOM>(GetClassLongPtrW(window, GCW_ATOM));
  std::lock_guard<std::mutex> hold(classLock);
  const auto found = classProcedures.find(atom);
  return found == classProcedures.end() ? nullptr : found->second;
}

LRESULT CALLBACK WindowDispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowProcedure procedure = ProcedureOf(window);
  if (!procedure) return DefWindowProcW(window, message, wParam, lParam);
  return procedure(window, message, wParam, lParam);
}

// The dialog procedure travels to WM_INITDIALOG through this, then lives in the dialog's
// DWLP_USER slot.
thread_local WindowProcedure startingDialog = nullptr;

INT_PTR CALLBACK DialogDispatch(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(startingDialog));
    startingDialog = nullptr;
  }
  const auto procedure = reinterpret_cast<WindowProcedure>(GetWindowLongPtrW(dialog, DWLP_USER));
  return procedure ? procedure(dialog, message, wParam, lParam) : FALSE;
}

void Draw(HDC context, const DibInfoHeader& header, const void* bits) {
  BITMAPINFO info = {};
  static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibInfoHeader), "the same 40 bytes");
  CopyMemory(&info.bmiHeader, &header, sizeof header);
  const int height = header.height < 0 ? -header.height : header.height;
  StretchDIBits(context, 0, 0, header.width, height, 0, 0, header.width, height, bits, &info,
                DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace

IconHandle DefaultApplicationIcon() {
  return LoadIconW(nullptr, IDI_APPLICATION);
}

CursorHandle ArrowCursor() {
  return LoadCursorW(nullptr, IDC_ARROW);
}

BrushHandle BlackBrush() {
  return GetStockObject(BLACK_BRUSH);
}

uint16_t RegisterWindowClass(const WindowClassRecord& record) {
  WNDCLASSEXW description = {};
  description.cbSize = sizeof description;
  description.style = record.style;
  description.lpfnWndProc = WindowDispatch;
  description.cbClsExtra = record.classExtra;
  description.cbWndExtra = record.windowExtra;
  description.hInstance = static_cast<HINSTANCE>(record.instance);
  description.hIcon = static_cast<HICON>(record.icon);
  description.hCursor = static_cast<HCURSOR>(record.cursor);
  description.hbrBackground = static_cast<HBRUSH>(record.background);
  description.lpszMenuName = Wide(record.menuName);
  description.lpszClassName = Wide(record.className);
  description.hIconSm = static_cast<HICON>(record.smallIcon);
  if (!record.procedure) return 0;
  const ATOM atom = RegisterClassExW(&description);
  if (atom != 0) {
    std::lock_guard<std::mutex> hold(classLock);
    classProcedures[atom] = record.procedure;
  }
  return atom;
}

bool UnregisterWindowClass(const char16_t* className, InstanceHandle instance) {
  WNDCLASSEXW description = {};
  description.cbSize = sizeof description;
  const HINSTANCE module = static_cast<HINSTANCE>(instance);
  const ATOM atom = static_cast<ATOM>(GetClassInfoExW(module, Wide(className), &description));
  if (!UnregisterClassW(Wide(className), module)) return false;
  std::lock_guard<std::mutex> hold(classLock);
  classProcedures.erase(atom);
  return true;
}

WindowHandle CreateAppWindow(uint32_t exStyle, const char16_t* className, const char16_t* title,
                             uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                             WindowHandle parent, InstanceHandle instance) {
  return CreateWindowExW(exStyle, Wide(className), Wide(title), style, x, y, width, height,
                         Handle(parent), nullptr, static_cast<HINSTANCE>(instance), nullptr);
}

bool DestroyAppWindow(WindowHandle window) {
  return DestroyWindow(Handle(window)) != FALSE;
}

bool IsAppWindow(WindowHandle window) {
  return window && IsWindow(Handle(window));
}

void ShowAppWindow(WindowHandle window, int command) {
  ShowWindow(Handle(window), command == kShowHide ? SW_HIDE : SW_SHOW);
}

void UpdateAppWindow(WindowHandle window) {
  UpdateWindow(Handle(window));
}

intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
  return DefWindowProcW(Handle(window), message, wParam, lParam);
}

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return window && PostMessageW(Handle(window), message, wParam, lParam) != FALSE;
}

void PostQuitAppMessage(int exitCode) {
  PostQuitMessage(exitCode);
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

intptr_t RunModalDialog(InstanceHandle instance, int templateId, WindowHandle owner,
                        WindowProcedure procedure, intptr_t parameter) {
  startingDialog = procedure;
  const INT_PTR result =
      DialogBoxParamW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(templateId), Handle(owner),
                      DialogDispatch, parameter);
  startingDialog = nullptr;
  return result;
}

bool EndAppDialog(WindowHandle dialog, intptr_t result) {
  return EndDialog(Handle(dialog), result) != FALSE;
}

bool SetDialogItemText(WindowHandle dialog, int itemId, const char16_t* text) {
  return SetDlgItemTextW(Handle(dialog), itemId, Wide(text)) != FALSE;
}

void SetDialogProgress(WindowHandle dialog, uint64_t done, uint64_t total, const char16_t* detail) {
  const uint64_t step =
      total == 0 ? 0 : (done >= total ? kProgressSteps : done * kProgressSteps / total);
  SendDlgItemMessageW(Handle(dialog), kProgressBarId, PBM_SETRANGE32, 0, kProgressSteps);
  SendDlgItemMessageW(Handle(dialog), kProgressBarId, PBM_SETPOS, static_cast<WPARAM>(step), 0);
  SetDlgItemTextW(Handle(dialog), kProgressDetailId, Wide(detail ? detail : u""));
}

void PaintWindowDib(WindowHandle window, const DibInfoHeader& header, const void* bits) {
  PAINTSTRUCT paint;
  HDC context = BeginPaint(Handle(window), &paint);
  Draw(context, header, bits);
  EndPaint(Handle(window), &paint);
}

void DrawWindowDib(WindowHandle window, const DibInfoHeader& header, const void* bits) {
  HDC context = GetDC(Handle(window));
  Draw(context, header, bits);
  ReleaseDC(Handle(window), context);
}

void ValidateAppWindow(WindowHandle window) {
  ValidateRect(Handle(window), nullptr);
}

int32_t ScreenWidth() {
  return GetSystemMetrics(SM_CXSCREEN);
}

int32_t ScreenHeight() {
  return GetSystemMetrics(SM_CYSCREEN);
}

bool AdjustWindowRectangle(WindowRect* rect, uint32_t style, bool hasMenu, bool hasExStyle,
                           uint32_t exStyle) {
  RECT adjusted = {rect->left, rect->top, rect->right, rect->bottom};
  const BOOL done = hasExStyle ? AdjustWindowRectEx(&adjusted, style, hasMenu, exStyle)
                               : AdjustWindowRect(&adjusted, style, hasMenu);
  if (!done) return false;
  *rect = {adjusted.left, adjusted.top, adjusted.right, adjusted.bottom};
  return true;
}

bool GetAppWindowRect(WindowHandle window, WindowRect* rect) {
  RECT found;
  if (!GetWindowRect(Handle(window), &found)) return false;
  *rect = {found.left, found.top, found.right, found.bottom};
  return true;
}

bool MoveAppWindow(WindowHandle window, int32_t x, int32_t y) {
  return SetWindowPos(Handle(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != FALSE;
}

uint32_t ExtractIcons(const char16_t* path, IconHandle* large, IconHandle* small) {
  HICON largeIcon = nullptr;
  HICON smallIcon = nullptr;
  const UINT count = ExtractIconExW(Wide(path), 0, &largeIcon, &smallIcon, 1);
  if (count == UINT_MAX) return 0;
  *large = largeIcon;
  *small = smallIcon;
  return count;
}

IconHandle LoadIconResource(InstanceHandle instance, int id) {
  return LoadIconW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(id));
}

InstanceHandle CurrentInstance() {
  return GetModuleHandleW(nullptr);
}

}  // namespace platform
