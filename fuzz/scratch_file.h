// One scratch file for a whole fuzz run, for harnesses whose code under test reads a file by
// name. It is removed at exit.
#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "system/text_encoding.h"

class ScratchFile {
 public:
  ScratchFile() {
    if (mkstemp(native_) < 0) std::abort();
    Utf8ToWide(native_, wide_, 64);
  }
  ~ScratchFile() { std::remove(native_); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const char16_t* WidePath() const { return wide_; }

  void Write(const uint8_t* data, size_t size) const {
    FILE* file = std::fopen(native_, "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);  // an empty input may come with a null pointer
    std::fclose(file);
  }

 private:
  char native_[64] = "/tmp/zr-fuzz-input-XXXXXX";
  char16_t wide_[64] = {};
};
