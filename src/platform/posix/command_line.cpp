#include "platform/command_line.h"

#include <cstring>

#include "platform/code_page.h"

namespace platform {

std::vector<std::u16string> GetCommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 0; i < argc; ++i) {
    const size_t needed = MultiByteToWide(kCodePageUtf8, argv[i], -1, nullptr, 0);
    std::u16string argument(needed, u'\0');
    if (needed > 0) MultiByteToWide(kCodePageUtf8, argv[i], -1, argument.data(), needed);
    argument.resize(needed > 0 ? needed - 1 : 0);
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace platform
