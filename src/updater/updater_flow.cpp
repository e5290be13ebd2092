#include "updater/updater_flow.h"

#include <cstdio>
#include <string>

#include "platform/message_box.h"
#include "system/bounded_text.h"
#include "system/startup.h"
#include "system/text_encoding.h"
#include "system/wide_format.h"
#include "system/window_helpers.h"
#include "updater/install_target.h"
#include "updater/splash_window.h"
#include "updater/update_info.h"

UpdaterRun* CurrentRun = nullptr;

namespace {

constexpr uint32_t kSplashStyle =
    platform::kStylePopup | platform::kStyleVisible | platform::kStyleBorder;
constexpr uint32_t kRedrawOnResize = 3;  // redraw on horizontal and vertical size changes
constexpr char16_t kSplashClass[] = u"WC_UPDATE";

std::string Utf8(const char16_t* text) {
  std::string out(std::char_traits<char16_t>::length(text) * 3 + 1, '\0');
  out.resize(WideToUtf8(text, out.data(), out.size()));
  return out;
}

// Unattended, no one answers: each box is written to standard error and taken as answered with
// its first button.
int ReportBox(const platform::MessageBoxRequest& request) {
  std::fprintf(stderr, "%s: %s\n", Utf8(request.caption).c_str(), Utf8(request.text).c_str());
  std::fflush(stderr);
  return (request.flags & 0xF) == platform::kMessageBoxYesNo ? platform::kAnswerYes
                                                             : platform::kAnswerOk;
}

// The program's icons: those of "icon.ico" when it has a large one, else the built-in ones.
void ChooseIcons(platform::InstanceHandle instance, platform::IconHandle& large,
                 platform::IconHandle& small) {
  large = nullptr;
  small = nullptr;
  if (platform::ExtractIcons(u"icon.ico", &large, &small) >= 1 && large) return;
  large = platform::LoadIconResource(instance, kLargeIconId);
  small = platform::LoadIconResource(instance, kSmallIconId);
}

// The splash window, centred, one border pixel wider on each side than its picture.
platform::WindowHandle OpenSplashWindow(UpdaterRun& run) {
  platform::WindowRect rect = {0, 0, kDefaultSplashWidth, kDefaultSplashHeight};
  if (run.picture) {
    uint32_t width = 0;
    uint32_t height = 0;
    run.picture->GetSize(&width, &height);
    rect.right = static_cast<int32_t>(width);
    rect.bottom = static_cast<int32_t>(height);
  }
  GetCenteredWindowRect(&rect, kSplashStyle, 0, false);
  char16_t title[256];
  FormatWide(title, 256, u"%s", CurrentLanguage.wndtitle);
  platform::WindowHandle window = platform::CreateAppWindow(
      0, kSplashClass, title, kSplashStyle, rect.left, rect.top, rect.right - rect.left,
      rect.bottom - rect.top, nullptr, run.instance);
  if (window) {
    platform::ShowAppWindow(window, platform::kShowNormal);
    platform::UpdateAppWindow(window);
  }
  return window;
}

int Finish(const UpdaterRun& run) {
  return run.options.unattended && !run.applied.load() ? 1 : 0;
}

}  // namespace

int RunUpdater(platform::InstanceHandle instance, const UpdaterOptions& options) {
  UpdaterRun run;
  run.options = options;
  CurrentRun = &run;
  const platform::MessageBoxHandler previousHandler =
      options.unattended ? platform::SetMessageBoxHandler(ReportBox) : nullptr;
  auto end = [&](int status) {
    if (options.unattended) platform::SetMessageBoxHandler(previousHandler);
    CurrentRun = nullptr;
    return status;
  };

  LibraryStartup(0x7F, 0);
  if (!LoadUpdateInfo()) {
    platform::ShowMessageBox(nullptr, u"updateinfo.xml was not found.", u"error",
                             platform::kMessageBoxOk);
    LibraryShutdown();
    return end(Finish(run));
  }
  if (!SelectLanguage()) {
    platform::ShowMessageBox(nullptr, CurrentLanguage.language, u"error", platform::kMessageBoxOk);
    LibraryShutdown();
    return end(Finish(run));
  }
  AppInstanceGuard gameGuard(UpdateInfo.mutex);
  AppInstanceGuard configGuard(UpdateInfo.confmutex);
  if (gameGuard.running() || configGuard.running() || GameProgramRunning()) {
    platform::ShowMessageBox(nullptr, CurrentLanguage.boot, CurrentLanguage.wndtitle,
                             platform::kMessageBoxOk);
    LibraryShutdown();
    configGuard.Close();
    gameGuard.Close();
    return end(Finish(run));
  }
  run.instance = instance;
  run.picture = LoadSplashPicture();

  platform::IconHandle large = nullptr;
  platform::IconHandle small = nullptr;
  ChooseIcons(instance, large, small);
  WindowClass splashClass;
  splashClass.Register(kSplashClass, SplashWindowProcedure, instance, large, small, nullptr,
                       nullptr, nullptr, kRedrawOnResize);
  run.splash = OpenSplashWindow(run);
  if (run.splash) platform::RunMessageLoop();

  if (run.worker) {
    run.worker->Destroy();
    run.worker.reset();
  }
  run.picture.reset();
  LibraryShutdown();
  splashClass.Unregister();
  configGuard.Close();
  gameGuard.Close();
  return end(Finish(run));
}
