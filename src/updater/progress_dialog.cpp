#include "updater/progress_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/process.h"
#include "system/paths.h"
#include "system/window_helpers.h"
#include "updater/install_log.h"
#include "updater/update_files.h"
#include "updater/update_info.h"
#include "updater/updater_flow.h"

namespace {

constexpr uint32_t kBufferCount = 3;
constexpr size_t kDirectoryCapacity = 1024;
constexpr intptr_t kDialogClosed = 2;
// Progress is shown at most this often: each report is a posted message and a console line.
constexpr std::chrono::milliseconds kProgressInterval{250};

// Writes the install log, queues one job per listed file (from the "data" folder, which is the
// current directory, to the game's folder) and starts the worker.
void StartCopy(platform::WindowHandle dialog) {
  WriteInstallLog(DestinationRoot, UpdateFileList);
  CurrentRun->worker = std::make_unique<zrCopyWorker>(kBufferCount, 0);
  zrCopyWorker& worker = *CurrentRun->worker;
  char16_t current[kDirectoryCapacity] = {};
  platform::GetCurrentDirectory(current, kDirectoryCapacity);
  CurrentRun->sourceFolder = current;
  worker.SetCheckMode(kCopyNewerPrograms);
  for (const std::u16string& entry : UpdateFileList) {
    char16_t source[kCopyPathLength];
    char16_t destination[kCopyPathLength];
    JoinPath(destination, DestinationRoot, entry.c_str());
    JoinPath(source, current, entry.c_str());
    worker.AddJob(source, destination, 0);
  }
  CurrentRun->copying = true;
  worker.Start(CopyProgressCallback, dialog, nullptr);
}

// The copy's end: the dialog steps aside for the message, then everything closes.
void ReportEnd(platform::WindowHandle dialog, const char16_t* text) {
  CurrentRun->copying = false;
  platform::ShowAppWindow(dialog, platform::kShowHide);
  platform::ShowMessageBox(dialog, text, CurrentLanguage.wndtitle, platform::kMessageBoxOk);
  platform::PostWindowMessage(dialog, kMessageUpdateClose, 0, 0);
}

std::u16string Ascii(const char* text) {
  return std::u16string(text, text + std::strlen(text));
}

std::u16string Mebibytes(uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return Ascii(text);
}

// "file 3 of 7, 1.5 MiB of 4.0 MiB: script\a.dat", from the latest progress noted.
void ShowProgress(platform::WindowHandle dialog) {
  CopyProgress& progress = CurrentRun->progress;
  std::unique_lock<std::mutex> hold(progress.lock);
  progress.pending = false;
  const uint64_t done = progress.done;
  const uint64_t total = progress.total;
  std::u16string file = progress.file;
  const uint32_t number = progress.fileNumber;
  hold.unlock();
  const std::u16string& folder = CurrentRun->sourceFolder;
  if (file.compare(0, folder.size(), folder) == 0 && file.size() > folder.size()) {
    file.erase(0, folder.size() + 1);
  }
  const std::u16string detail = u"file " + Ascii(std::to_string(number).c_str()) + u" of " +
                                Ascii(std::to_string(UpdateFileList.size()).c_str()) + u", " +
                                Mebibytes(done) + u" of " + Mebibytes(total) + u": " + file;
  platform::SetDialogProgress(dialog, done, total, detail.c_str());
}

// Notes a report of the worker (on its thread) and asks the dialog to show it, unless it was
// asked a moment ago or has not yet shown the last one.
void NoteProgress(platform::WindowHandle dialog, const CopyStatus& status) {
  CopyProgress& progress = CurrentRun->progress;
  std::lock_guard<std::mutex> hold(progress.lock);
  if (progress.file != status.source) {
    progress.file = status.source;
    ++progress.fileNumber;
  }
  progress.done = status.totalDone;
  progress.total = status.totalSize;
  const auto now = std::chrono::steady_clock::now();
  if (progress.pending || now - progress.posted < kProgressInterval) return;
  progress.pending = true;
  progress.posted = now;
  platform::PostWindowMessage(dialog, kMessageUpdateProgress, 0, 0);
}

}  // namespace

intptr_t ProgressDialogProcedure(platform::WindowHandle dialog, uint32_t message, uintptr_t,
                                 intptr_t) {
  switch (message) {
    case platform::kMessageInitDialog:
      CenterWindowOn(CurrentRun->splash, dialog);
      platform::SetDialogItemText(dialog, kProgressTextId, CurrentLanguage.copying);
      platform::PostWindowMessage(dialog, kMessageUpdateCopy, 0, 0);
      break;
    case kMessageUpdateCopy:
      StartCopy(dialog);
      break;
    case kMessageUpdateClose:
      platform::PostWindowMessage(CurrentRun->splash, kMessageUpdateClose, 0, 0);
      platform::EndAppDialog(dialog, kDialogClosed);
      break;
    case kMessageUpdateSuccess:
      CurrentRun->applied = true;
      ReportEnd(dialog, CurrentLanguage.success);
      break;
    case kMessageUpdateFailed:
      ReportEnd(dialog, CurrentLanguage.error_copy);
      break;
    case kMessageUpdateProgress:
      ShowProgress(dialog);
      break;
    default:
      break;
  }
  return 0;
}

int32_t CopyProgressCallback(void* user, CopyStatus* status) {
  auto* dialog = static_cast<platform::WindowHandle>(user);
  if (status->done) {
    if (!status->error) platform::PostWindowMessage(dialog, kMessageUpdateSuccess, 0, 0);
    return 1;
  }
  if (status->error) {
    platform::ShowMessageBox(dialog, status->errorText, CurrentLanguage.title,
                             platform::kMessageBoxOk);
    platform::PostWindowMessage(dialog, kMessageUpdateFailed, 0, 0);
    return 0;
  }
  NoteProgress(dialog, *status);
  return 1;
}
