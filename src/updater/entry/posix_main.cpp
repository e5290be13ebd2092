// The updater on Linux: run from the update package's folder, like the Windows program, it updates
// the game installed in the Wine prefix ($WINEPREFIX, else ~/.wine). Its windows are shown on the
// console and its questions are answered on standard input.
#include <cstdio>
#include <cstring>

#include "platform/window.h"
#include "updater/updater_flow.h"

namespace {

constexpr char kUsage[] =
    "usage: updater [--unattended]\n"
    "  Run in the update package's folder (the one holding updateinfo.xml).\n"
    "  --unattended  ask nothing: the update is confirmed, messages go to standard error, and\n"
    "                the exit status is 0 only when the update was applied\n";

}  // namespace

int main(int argc, char** argv) {
  UpdaterOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unattended") == 0) {
      options.unattended = true;
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else {
      std::fprintf(stderr, "updater: unknown argument '%s'\n%s", argv[i], kUsage);
      return 2;
    }
  }
  return RunUpdater(platform::CurrentInstance(), options);
}
