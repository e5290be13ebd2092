// Helpers for the updater's windows: a window class that registers and unregisters itself, the
// screen-centred rectangle of a window for a wanted client size, and centring one window over
// another.
#pragma once

#include <cstdint>

#include "platform/window.h"

// One registered window class. The class name is not copied: it must live as long as the record.
struct WindowClass {
  uint16_t atom = 0;  // 0 while not registered
  platform::WindowClassRecord description = {};

  // Fills the description (null icons, cursor and brush become the platform's defaults) and
  // registers it; the atom stays 0 when the platform refuses.
  WindowClass& Register(const char16_t* className, platform::WindowProcedure procedure,
                        platform::InstanceHandle instance, platform::IconHandle icon,
                        platform::IconHandle smallIcon, platform::BrushHandle backgroundBrush,
                        const char16_t* menuName, platform::CursorHandle cursor,
                        uint32_t classStyle);
  // Unregisters the class when it was registered; the atom is kept.
  void Unregister();
};

// On entry `rect`'s right and bottom are the client width and height; on return it is the whole
// window's rectangle, centred on the screen, for `style` (and `exStyle`, -1 for none). Unchanged
// when the rectangle cannot be computed.
void GetCenteredWindowRect(platform::WindowRect* rect, uint32_t style, int32_t exStyle,
                           bool hasMenu);

// Moves `window` so that it is centred over `reference`: 1, or 0 when either is not a window.
int CenterWindowOn(platform::WindowHandle reference, platform::WindowHandle window);
