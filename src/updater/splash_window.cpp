#include "updater/splash_window.h"

#include "file/zrFile.h"
#include "image/dib_view.h"
#include "system/heap.h"
#include "updater/install_target.h"
#include "updater/progress_dialog.h"
#include "updater/update_files.h"
#include "updater/update_info.h"
#include "updater/updater_flow.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;

// Draws the picture, if there is one, now or (within kMessagePaint) as the window's painting.
void DrawPicture(platform::WindowHandle window, bool painting) {
  DibView view;
  const zrImageLoader* picture = CurrentRun ? CurrentRun->picture.get() : nullptr;
  if (!picture || !DescribeAsDib(*picture->GetImage(), &view)) return;
  if (painting) {
    platform::PaintWindowDib(window, view.header, view.bits);
  } else {
    platform::DrawWindowDib(window, view.header, view.bits);
  }
}

// The user's go-ahead, the installation and the update's files; true when the copy may follow.
bool PrepareUpdate(platform::WindowHandle window) {
  const bool confirmed =
      CurrentRun->options.unattended ||
      platform::ShowMessageBox(window, CurrentLanguage.intoro, CurrentLanguage.wndtitle,
                               platform::kMessageBoxOkCancel) == platform::kAnswerOk;
  if (!confirmed || !VerifyInstallTarget(window) || !EnterDataFolder(window)) return false;
  UpdateFileList.clear();  // the files of this run only
  return ListUpdateFiles(window);
}

}  // namespace

std::unique_ptr<zrImageLoader> LoadSplashPicture() {
  zrFile file;
  if (!file.Open(u"updatebg.hg3", ZRFILE_READ | ZRFILE_OPEN_EXISTING)) return nullptr;
  const int32_t size = file.GetSize();
  if (size <= 0) return nullptr;
  auto* bytes = static_cast<uint8_t*>(zrHeapAlloc(0, static_cast<uint32_t>(size)));
  if (!bytes) return nullptr;
  std::unique_ptr<zrImageLoader> picture;
  if (file.Read(bytes, size) == size) {
    picture = std::make_unique<zrImageLoader>();
    const MemoryBlock block = BorrowedBlock(bytes, static_cast<uint32_t>(size));
    if (picture->LoadFromMemory(&block, 0, 0) && picture->GetImage()->FlattenTo24(kWhite)) {
      picture->GetImage()->FlipVertical();
    } else {
      picture.reset();  // a picture that cannot be painted as a 24-bit bitmap is no picture
    }
  }
  zrHeapFree(bytes);
  return picture;
}

intptr_t SplashWindowProcedure(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam) {
  switch (message) {
    case platform::kMessageCreate:
      platform::PostWindowMessage(window, kMessageUpdateStart, 0, 0);
      break;
    case platform::kMessageDestroy:
      platform::PostQuitAppMessage(0);
      break;
    case platform::kMessagePaint:
      DrawPicture(window, true);
      break;
    case platform::kMessageClose:
      // While the worker runs, its threads still report to the windows: the close waits for
      // the end of the copy, which closes the windows itself.
      if (CurrentRun && CurrentRun->copying) return 0;
      break;
    case kMessageUpdateClose:
      platform::DestroyAppWindow(window);
      break;
    case kMessageUpdateStart:
      platform::PostWindowMessage(
          window, PrepareUpdate(window) ? kMessageUpdateRepaint : kMessageUpdateClose, 0, 0);
      break;
    case kMessageUpdateOpenDialog:
      platform::RunModalDialog(CurrentRun->instance, kProgressDialogId, window,
                               ProgressDialogProcedure, 0);
      break;
    case kMessageUpdateRepaint:
      DrawPicture(window, false);
      platform::PostWindowMessage(window, kMessageUpdateOpenDialog, 0, 0);
      break;
    default:
      break;
  }
  return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}
