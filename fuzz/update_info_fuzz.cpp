// Reads arbitrary bytes as a package description, as the updater would find it beside itself,
// and chooses a language for a few UI languages.
#include <cstddef>
#include <cstdint>

#include "scratch_file.h"
#include "updater/update_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchFile scratch;
  scratch.Write(data, size);
  if (!LoadUpdateInfo(scratch.WidePath())) return 0;
  for (uint16_t language : {0x0411, 0x0409, 0x0407}) SelectLanguage(language);
  return 0;
}
