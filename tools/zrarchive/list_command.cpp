// list: one line per member, "name<TAB>size<TAB>flags".
#include <cstdio>

#include "commands.h"
#include "file/zrArchive.h"

int RunList(const Arguments& arguments) {
  CommandArguments parsed;
  if (!ParseCommandArguments("list", 1, arguments, parsed)) return kExitUsage;
  zrArchive archive;
  if (!MountNamedArchive(parsed, archive)) return kExitFailed;
  for (const auto& [key, entry] : archive.Index()) {
    std::printf("%s\t%u\t0x%08X\n", ToUtf8(entry.name).c_str(), entry.size, entry.flags);
  }
  return kExitOk;
}
