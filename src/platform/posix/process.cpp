#include "platform/process.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/full_path.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

std::u16string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return std::u16string();
    buffer.resize(buffer.size() * 2);
  }
  return LibraryPath(buffer.data());
}

}  // namespace

void TerminateProcess(int exitCode) {
  _exit(exitCode);
}

size_t GetCurrentDirectory(char16_t* out, size_t capacity) {
  const std::u16string current = CurrentDirectory();
  if (current.empty()) {
    SetLastErrorFromErrno(errno);
    return 0;
  }
  return CopyPathOut(current, out, capacity);
}

bool SetCurrentDirectory(const char16_t* path) {
  const std::string native = NativePath(path);
  if (native.empty()) return false;
  if (chdir(native.c_str()) != 0) {
    SetLastError(errno == ENOENT ? kErrorFileNotFound : ErrorFromErrno(errno));
    return false;
  }
  return true;
}

// Like GetFullPathNameW: the text resolved as Windows resolves it, with backslashes. Drive paths
// stay drive paths; host paths ("\tmp\x" or "/tmp/x") keep their root "\"; a relative path is
// resolved against the current directory.
size_t GetFullPath(const char16_t* path, char16_t* out, size_t capacity) {
  if (!path || !*path) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  const PathParts parts = SplitFullPath(path);
  if (parts.root != PathParts::Root::kRelative)
    return CopyPathOut(JoinFullPath(parts), out, capacity);
  const std::u16string current = CurrentDirectory();
  if (current.empty()) {
    SetLastErrorFromErrno(errno);
    return 0;
  }
  const std::u16string joined = current + u"\\" + path;
  return CopyPathOut(JoinFullPath(SplitFullPath(joined.c_str())), out, capacity);
}

}  // namespace platform
