// zrpackage: a tool for the people who make and support update packages. It reads a package the
// way the updater does and reports what it found as JSON.
#include "commands.h"

namespace {

constexpr char kUsage[] =
    "usage: zrpackage show DIR [--ui-language 0xNNNN]\n"
    "       zrpackage plan DIR [--ui-language 0xNNNN]\n"
    "       zrpackage version FILE\n"
    "       zrpackage config GAMEDIR\n"
    "  show     print the package description DIR/updateinfo.xml as the updater reads it\n"
    "  plan     dry run of the update from DIR: checks, files, install.log; writes nothing\n"
    "  version  print the version resource of FILE (an exe or dll) as the updater reads it\n"
    "  config   print the game's configuration as the engine reads it on starting in GAMEDIR:\n"
    "           config\\startup.xml, then setup.xml from the save folder (which, as the game\n"
    "           does, it creates when missing)\n";

}  // namespace

int main(int argc, char** argv) {
  return RunTool(
      "zrpackage", kUsage, argc, argv,
      {{u"show", RunShow}, {u"plan", RunPlan}, {u"version", RunVersion}, {u"config", RunConfig}});
}
