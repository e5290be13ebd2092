// list: one line per member, "name<TAB>size<TAB>flags".
#include <cstdio>

#include "commands.h"
#include "file/zrArchive.h"

int RunList(const Arguments& arguments) {
  CommandArguments parsed;
  if (!ParseCommandArguments("list", 1, arguments, parsed)) return kExitUsage;
  zrArchive archive;
  const char* reason = nullptr;
  if (!archive.Mount(parsed.paths[0].c_str(), parsed.key.data(),
                     static_cast<uint32_t>(parsed.key.size()), &reason)) {
    PrintError(ToUtf8(parsed.paths[0]) + ": " + reason);
    return kExitFailed;
  }
  for (const auto& [key, entry] : archive.Index()) {
    std::printf("%s\t%u\t0x%08X\n", ToUtf8(entry.name).c_str(), entry.size, entry.flags);
  }
  return kExitOk;
}
