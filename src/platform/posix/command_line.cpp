#include "platform/command_line.h"

#include "platform/posix/native_path.h"

namespace platform {

std::vector<std::u16string> GetCommandLineArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(Utf8ToUtf16(argv[i]));
  return arguments;
}

}  // namespace platform
