// The updater's run: start-up checks, the splash window, the confirmation, the progress dialog
// that runs the copy, and the clean-up. Every step after the window appears is a message posted
// to the splash window or to the progress dialog, so that all of them run on one thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "copy/zrCopyWorker.h"
#include "image/zrImageLoader.h"
#include "platform/window.h"

// The flow's messages, all posted with no parameters.
constexpr uint32_t kMessageUpdateCopy = 1026;        // progress dialog: log, jobs, start
constexpr uint32_t kMessageUpdateClose = 1034;       // both windows: close
constexpr uint32_t kMessageUpdateStart = 1044;       // splash: confirm, check, collect
constexpr uint32_t kMessageUpdateOpenDialog = 1045;  // splash: run the progress dialog
constexpr uint32_t kMessageUpdateRepaint = 1046;     // splash: draw the picture, then 1045
constexpr uint32_t kMessageUpdateSuccess = 1047;     // progress dialog: the copy succeeded
constexpr uint32_t kMessageUpdateFailed = 1048;      // progress dialog: the copy failed
constexpr uint32_t kMessageUpdateProgress = 1056;    // progress dialog: show the copy's progress

// The program's resources.
constexpr int kProgressDialogId = 1003;
constexpr int kProgressTextId = 1005;
constexpr int kLargeIconId = 103;
constexpr int kSmallIconId = 104;

struct UpdaterOptions {
  // No questions: the confirmation counts as given, every other message goes to standard error,
  // and the exit status tells whether the update was applied.
  bool unattended = false;
};

// The copy's latest progress, noted by the worker's threads and shown by the dialog.
struct CopyProgress {
  std::mutex lock;
  uint64_t done = 0;
  uint64_t total = 0;
  uint32_t fileNumber = 0;  // of the file being copied, from 1
  std::u16string file;      // its source path
  bool pending = false;     // a progress message is on its way to the dialog
  std::chrono::steady_clock::time_point posted;
};

// What the windows of one run share; lives on the user-interface thread but for `applied` and
// `progress`.
struct UpdaterRun {
  UpdaterOptions options;
  platform::InstanceHandle instance = nullptr;
  platform::WindowHandle splash = nullptr;
  std::unique_ptr<zrImageLoader> picture;  // null when there is no splash picture
  std::unique_ptr<zrCopyWorker> worker;    // null until the copy starts
  bool copying = false;                    // the worker runs and has not reported its end
  std::atomic<bool> applied{false};        // every file was copied
  CopyProgress progress;
  std::u16string sourceFolder;  // the "data" folder the copy reads from
};

extern UpdaterRun* CurrentRun;

// The whole program on the calling (user-interface) thread. 0 on every path, as the Windows
// program always returns; unattended, 0 only when the update was applied and 1 otherwise.
int RunUpdater(platform::InstanceHandle instance, const UpdaterOptions& options);
