// zrpackage: a tool for the people who make and support update packages. It reads a package the
// way the updater does and reports what it found as JSON.
#include <cstdio>

#include "commands.h"
#include "platform/command_line.h"

namespace {

constexpr char kUsage[] =
    "usage: zrpackage show DIR [--ui-language 0xNNNN]\n"
    "       zrpackage plan DIR [--ui-language 0xNNNN]\n"
    "       zrpackage version FILE\n"
    "  show     print the package description DIR/updateinfo.xml as the updater reads it\n"
    "  plan     dry run of the update from DIR: checks, files, install.log; writes nothing\n"
    "  version  print the version resource of FILE (an exe or dll) as the updater reads it\n";

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments = platform::GetCommandLineArguments(argc, argv);
  if (arguments.size() < 2) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::u16string command = arguments[1];
  const Arguments rest(arguments.begin() + 2, arguments.end());
  if (command == u"show") return RunShow(rest);
  if (command == u"plan") return RunPlan(rest);
  if (command == u"version") return RunVersion(rest);
  if (command == u"--help" || command == u"help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  PrintError("unknown command '" + ToUtf8(command) + "'");
  std::fputs(kUsage, stderr);
  return kExitUsage;
}
