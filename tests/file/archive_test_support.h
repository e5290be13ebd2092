// Archives made on the fly for the file tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "file/archive_format.h"
#include "support/test_support.h"
#include "system/heap.h"

namespace zrtest {

// In a dying child every message box goes to standard error, where the parent matches it.
inline int PrintBoxToStderr(const platform::MessageBoxRequest& request) {
  std::fprintf(stderr, "[%s] %s\n", Utf8(request.caption).c_str(), Utf8(request.text).c_str());
  return platform::kAnswerOk;
}

// Expects `statement` to break a contract of the library: the box shows `message` (a regular
// expression), then the process ends.
#define ZR_EXPECT_VIOLATION(statement, message)                   \
  GTEST_FLAG_SET(death_test_style, "threadsafe");                 \
  EXPECT_EXIT(                                                    \
      {                                                           \
        zrtest::MessageBoxRecorder recorder;                      \
        platform::SetMessageBoxHandler(zrtest::PrintBoxToStderr); \
        statement;                                                \
      },                                                          \
      ::testing::ExitedWithCode(kContractViolationExitCode),      \
      std::string("\\[Assert message\\.\\.\\.\\] ") + (message))

using Members = std::vector<std::pair<std::string, std::string>>;  // UTF-8 name, bytes

// Writes an archive of the members; a non-empty key enciphers it.
inline bool WriteArchive(const std::u16string& path, const Members& members,
                         const std::string& key = "", uint32_t handleLimit = 8) {
  archive_format::Writer writer;
  if (!writer.Create(path.c_str(), handleLimit, key.data(), static_cast<uint32_t>(key.size()))) {
    return false;
  }
  for (const auto& [name, bytes] : members) {
    if (!writer.Add(Wide(name), bytes.data(), static_cast<uint32_t>(bytes.size()), 0)) {
      return false;
    }
  }
  return writer.Finish() != 0;
}

// Bytes 0, 1, 2, ... of the given size, offset by `seed`.
inline std::string Pattern(size_t size, int seed = 0) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed) & 0xFF);
  return bytes;
}

// A temporary folder that is also the current one, and the library heap, while it lives.
class FileServerWorld {
 public:
  FileServerWorld() {
    char folder[4096];
    if (getcwd(folder, sizeof folder)) previous_ = folder;
    zrHeapCreate(kLibraryHeapSize);
    if (chdir(dir_.Path().c_str()) != 0) previous_.clear();
  }
  ~FileServerWorld() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) previous_.clear();
    zrHeapDestroy();
  }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string previous_;
};

}  // namespace zrtest
