#include "platform/executable_path.h"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/native_path.h"

namespace platform {

size_t GetExecutablePath(char16_t* out, size_t capacity) {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
    SetLastErrorFromErrno(length < 0 ? errno : ENAMETOOLONG);
    return 0;
  }
  return CopyPathOut(LibraryPath(std::string(buffer.data(), static_cast<size_t>(length))), out,
                     capacity);
}

}  // namespace platform
