// Windows, messages and dialogs: the few user-interface services the updater's windows need.
// Windows has the user32/gdi32 calls behind them. The posix side keeps one message queue per
// process and shows the windows on the console: a window is a record that receives its messages,
// a modal dialog prints the texts of its items, and a picture is described by its size.
#pragma once

#include <cstdint>

#include "platform/message_box.h"

namespace platform {

using InstanceHandle = void*;
using IconHandle = void*;
using CursorHandle = void*;
using BrushHandle = void*;

// Receives a window's messages; the result goes back to whoever sent the message.
using WindowProcedure = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Message numbers keep their Windows values.
constexpr uint32_t kMessageCreate = 0x0001;
constexpr uint32_t kMessageDestroy = 0x0002;
constexpr uint32_t kMessagePaint = 0x000F;
constexpr uint32_t kMessageClose = 0x0010;
constexpr uint32_t kMessageInitDialog = 0x0110;
constexpr uint32_t kMessageUser = 0x0400;

// Window styles the updater uses.
constexpr uint32_t kStylePopup = 0x80000000;
constexpr uint32_t kStyleVisible = 0x10000000;
constexpr uint32_t kStyleBorder = 0x00800000;

constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;

struct WindowRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The extended window-class record, in the order and with the meaning of Windows' own (48 bytes
// on 32-bit Windows).
struct WindowClassRecord {
  uint32_t size;
  uint32_t style;
  WindowProcedure procedure;
  int32_t classExtra;
  int32_t windowExtra;
  InstanceHandle instance;
  IconHandle icon;
  CursorHandle cursor;
  BrushHandle background;
  const char16_t* menuName;
  const char16_t* className;
  IconHandle smallIcon;
};

// The 40-byte header of a device-independent bitmap.
struct DibInfoHeader {
  uint32_t size;
  int32_t width;
  int32_t height;  // positive: the first row of the bits is the bottom line on screen
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;  // 0: uncompressed
  uint32_t sizeImage;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t coloursUsed;
  uint32_t coloursImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "the header is 40 bytes");

// Defaults for a class record: the application icon, the arrow cursor, the black brush.
IconHandle DefaultApplicationIcon();
CursorHandle ArrowCursor();
BrushHandle BlackBrush();

// The class atom, or 0 when the class was refused.
uint16_t RegisterWindowClass(const WindowClassRecord& record);
bool UnregisterWindowClass(const char16_t* className, InstanceHandle instance);

// Creates a window of a registered class; its procedure receives kMessageCreate before this
// returns. Null when the class is unknown or the procedure refuses the creation (-1).
WindowHandle CreateAppWindow(uint32_t exStyle, const char16_t* className, const char16_t* title,
                             uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height,
                             WindowHandle parent, InstanceHandle instance);
// Sends kMessageDestroy to the window, then forgets it.
bool DestroyAppWindow(WindowHandle window);
bool IsAppWindow(WindowHandle window);
void ShowAppWindow(WindowHandle window, int command);
// Paints the window now if it needs painting (kMessagePaint).
void UpdateAppWindow(WindowHandle window);
intptr_t DefaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// Queues the message for the window's thread; safe from any thread. False when the window is gone.
bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Makes the calling thread's message loop end with `exitCode`.
void PostQuitAppMessage(int exitCode);
// Dispatches messages until the quit message; returns its exit code.
int RunMessageLoop();

// Runs dialog `templateId` of `instance` modally over `owner`, with its own message loop, until
// the procedure calls EndAppDialog; returns the result given there (-1 when it cannot be shown).
// The procedure receives kMessageInitDialog with `parameter` first.
intptr_t RunModalDialog(InstanceHandle instance, int templateId, WindowHandle owner,
                        WindowProcedure procedure, intptr_t parameter);
bool EndAppDialog(WindowHandle dialog, intptr_t result);
bool SetDialogItemText(WindowHandle dialog, int itemId, const char16_t* text);
// Shows how far a dialog's work has come: `done` of `total` (0 when unknown) and a line that
// says what it is doing. The console prints one line per call while the dialog is visible.
void SetDialogProgress(WindowHandle dialog, uint64_t done, uint64_t total, const char16_t* detail);

// Draws bits described by `header` 1:1 at the window's top left. Within kMessagePaint use
// PaintWindowDib, which also marks the window painted; elsewhere DrawWindowDib.
void PaintWindowDib(WindowHandle window, const DibInfoHeader& header, const void* bits);
void DrawWindowDib(WindowHandle window, const DibInfoHeader& header, const void* bits);
// Lets the window be painted without a picture (kMessagePaint handled).
void ValidateAppWindow(WindowHandle window);

// The primary screen's size in pixels.
int32_t ScreenWidth();
int32_t ScreenHeight();
// Grows a client rectangle to the window rectangle for `style` (with `exStyle` when `hasExStyle`).
bool AdjustWindowRectangle(WindowRect* rect, uint32_t style, bool hasMenu, bool hasExStyle,
                           uint32_t exStyle);
bool GetAppWindowRect(WindowHandle window, WindowRect* rect);
// Moves the window without resizing it or changing its place in the stacking order.
bool MoveAppWindow(WindowHandle window, int32_t x, int32_t y);

// The icons of an icon file: the number found (0 when none).
uint32_t ExtractIcons(const char16_t* path, IconHandle* large, IconHandle* small);
// An icon resource of the program; null when there is none.
IconHandle LoadIconResource(InstanceHandle instance, int id);
// The running program's instance.
InstanceHandle CurrentInstance();

}  // namespace platform
