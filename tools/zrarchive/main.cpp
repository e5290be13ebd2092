// zrarchive: packs a folder tree into one of our archives, lists an archive and extracts it
// through the library's member reads.
#include <cstdio>

#include "commands.h"
#include "platform/command_line.h"

namespace {

constexpr char kUsage[] =
    "usage: zrarchive pack DIR OUT [--key TEXT]\n"
    "       zrarchive list ARCHIVE [--key TEXT]\n"
    "       zrarchive extract ARCHIVE DIR [--key TEXT]\n"
    "  pack     write every file under DIR into the archive OUT, enciphered with TEXT if given\n"
    "  list     print each member's name, size and flags\n"
    "  extract  write every member into DIR\n";

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments = platform::GetCommandLineArguments(argc, argv);
  if (arguments.size() < 2) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::u16string command = arguments[1];
  const Arguments rest(arguments.begin() + 2, arguments.end());
  if (command == u"pack") return RunPack(rest);
  if (command == u"list") return RunList(rest);
  if (command == u"extract") return RunExtract(rest);
  if (command == u"--help" || command == u"help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  PrintError("unknown command '" + ToUtf8(command) + "'");
  std::fputs(kUsage, stderr);
  return kExitUsage;
}
