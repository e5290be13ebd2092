#include "platform/command_line.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");

std::vector<std::u16string> GetCommandLineArguments(int, char**) {
  std::vector<std::u16string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 0; i < count; ++i) {
    arguments.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

}  // namespace platform
