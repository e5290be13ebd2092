// The borderless window that shows the update's picture and drives the flow up to the copy.
#pragma once

#include <memory>

#include "image/zrImageLoader.h"
#include "platform/window.h"

// The size of the window's client area when there is no picture.
constexpr int32_t kDefaultSplashWidth = 640;
constexpr int32_t kDefaultSplashHeight = 480;

// "updatebg.hg3" of the current folder, ready to paint as a bottom-up 24-bit bitmap; null when it
// is missing or cannot be decoded (the window then shows no picture).
std::unique_ptr<zrImageLoader> LoadSplashPicture();

intptr_t SplashWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);
