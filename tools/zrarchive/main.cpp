// zrarchive: packs a folder tree into one of our archives, lists an archive and extracts it
// through the library's member reads.
#include "commands.h"

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
  return RunTool("zrarchive", kUsage, argc, argv,
                 {{u"pack", RunPack}, {u"list", RunList}, {u"extract", RunExtract}});
}
