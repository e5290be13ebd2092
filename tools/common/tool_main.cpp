#include "common/tool_main.h"

#include <cstdio>

#include "platform/command_line.h"
#include "system/heap.h"
#include "system/text_encoding.h"

namespace {

const char* toolName = "tool";

}  // namespace

std::string ToUtf8(const std::u16string& text) {
  std::string out(text.size() * 3 + 1, '\0');
  out.resize(WideToUtf8(text.c_str(), out.data(), out.size()));
  return out;
}

void PrintError(const std::string& utf8Message) {
  std::fprintf(stderr, "%s: %s\n", toolName, utf8Message.c_str());
}

int RunTool(const char* tool, const char* usage, int argc, char** argv,
            std::initializer_list<ToolCommand> commands) {
  toolName = tool;
  const Arguments arguments = platform::GetCommandLineArguments(argc, argv);
  if (arguments.size() < 2) {
    std::fputs(usage, stderr);
    return kExitUsage;
  }
  const std::u16string& name = arguments[1];
  const Arguments rest(arguments.begin() + 2, arguments.end());
  for (const ToolCommand& command : commands) {
    if (name != command.name) continue;
    // Pictures and other large buffers come from the library heap.
    zrHeapCreate(kLibraryHeapSize);
    const int status = command.run(rest);
    zrHeapDestroy();
    return status;
  }
  if (name == u"--help" || name == u"help") {
    std::fputs(usage, stdout);
    return kExitOk;
  }
  PrintError("unknown command '" + ToUtf8(name) + "'");
  std::fputs(usage, stderr);
  return kExitUsage;
}
