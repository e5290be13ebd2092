// The running check, the installed game's folder and the installed version.
#pragma once

#include <cstdint>

#include "platform/message_box.h"
#include "platform/named_mutex.h"

// The installed game's folder, from its record under the common application-data folder.
extern char16_t InstallFolder[260];

// Holds one named mutex for the whole run; `running` tells whether the name was in use (or could
// not be created, or names an object of another kind).
class AppInstanceGuard {
 public:
  explicit AppInstanceGuard(const char16_t* name);
  ~AppInstanceGuard();
  AppInstanceGuard(const AppInstanceGuard&) = delete;
  AppInstanceGuard& operator=(const AppInstanceGuard&) = delete;

  bool running() const { return running_; }
  // Releases the mutex; the flag keeps its value.
  void Close();

 private:
  platform::MutexHandle mutex_ = nullptr;
  bool running_ = true;
};

// The installed game's record: <common application data>\brand\app.xml; 0 when that folder is
// unknown or the path does not fit.
int GetRecordPath(const char16_t* brand, const char16_t* app, char16_t (&path)[260]);

// Reads <common application data>\brand\app.xml and keeps the text between <path> and </path> in
// InstallFolder. 1 when the file was read and holds both tags (also when the text between them is
// empty); 0 otherwise, and when the folder text does not fit (519 bytes in the file, 259 units in
// InstallFolder): a cut path would name another folder. InstallFolder is empty after a failure.
int FindInstallFolder(const char16_t* brand, const char16_t* app);
// (major << 16) | minor from InstallFolder\config\startup.xml, each from WideToInt of the text
// between its tags (cut at 129 characters), the minor not masked; 0 when the file cannot be read.
uint32_t ReadInstalledVersion();
// (major << 16) | minor of the update description: the lowest installed version accepted.
uint32_t RequiredVersion();

// A program from the installed game's folder runs (found quietly; false when there is no game).
// On Windows the game's mutexes tell this; on Linux a game under Wine holds none the native build
// can see.
bool GameProgramRunning();

// Finds the installed game and checks its version; shows the failure's message (owned by
// `window`) and returns 0 when the update cannot go on. An empty folder text counts as no
// installation: the files would otherwise land relative to the package.
int VerifyInstallTarget(platform::WindowHandle window);
