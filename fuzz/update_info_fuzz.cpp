// Reads arbitrary bytes as a package description, as the updater would find it beside itself,
// and chooses a language for a few UI languages.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "system/text_encoding.h"
#include "updater/update_info.h"

namespace {

// One scratch file for the whole run, removed at exit.
class ScratchFile {
 public:
  ScratchFile() {
    if (mkstemp(native_) < 0) std::abort();
    Utf8ToWide(native_, wide_, 64);
  }
  ~ScratchFile() { std::remove(native_); }

  const char16_t* WidePath() const { return wide_; }

  void Write(const uint8_t* data, size_t size) const {
    FILE* file = std::fopen(native_, "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }

 private:
  char native_[64] = "/tmp/zr-update-info-fuzz-XXXXXX";
  char16_t wide_[64] = {};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchFile scratch;
  scratch.Write(data, size);
  if (!LoadUpdateInfo(scratch.WidePath())) return 0;
  for (uint16_t language : {0x0411, 0x0409, 0x0407}) SelectLanguage(language);
  return 0;
}
