// The updater for Windows: run from the update package's folder. "--unattended" (or
// "/unattended") applies the update without questions; its exit status tells the result.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>

#include "platform/window.h"
#include "updater/updater_flow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  UpdaterOptions options;
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; arguments && i < count; ++i) {
    if (std::wcscmp(arguments[i], L"--unattended") == 0 ||
        std::wcscmp(arguments[i], L"/unattended") == 0) {
      options.unattended = true;
    }
  }
  LocalFree(arguments);
  return RunUpdater(instance, options);
}
