// File times between the Windows count (100 ns since 1601) and posix timespecs. A posix file has
// no creation time: GetFileTimes reports 0 for it and SetFileTimes ignores it.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

constexpr int64_t kUnitsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

uint64_t FromTimespec(const struct timespec& time) {
  const int64_t units =
      (static_cast<int64_t>(time.tv_sec) + kSecondsFrom1601To1970) * kUnitsPerSecond +
      time.tv_nsec / 100;
  return units < 0 ? 0 : static_cast<uint64_t>(units);
}

struct timespec ToTimespec(uint64_t units) {
  struct timespec time;
  time.tv_sec =
      static_cast<time_t>(static_cast<int64_t>(units / kUnitsPerSecond) - kSecondsFrom1601To1970);
  time.tv_nsec = static_cast<long>(units % kUnitsPerSecond) * 100;
  return time;
}

}  // namespace

bool GetFileTimes(FileHandle handle, FileTimes* times) {
  struct stat info;
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (fstat(static_cast<int>(handle), &info) != 0) {
    SetLastErrorFromErrno(errno);
    return false;
  }
  times->creation = 0;
  times->lastAccess = FromTimespec(info.st_atim);
  times->lastWrite = FromTimespec(info.st_mtim);
  return true;
}

bool SetFileTimes(const char16_t* path, const FileTimes& times) {
  const std::string native = NativePath(path);
  if (native.empty()) return false;
  const struct timespec both[2] = {ToTimespec(times.lastAccess), ToTimespec(times.lastWrite)};
  if (utimensat(AT_FDCWD, native.c_str(), both, 0) != 0) {
    SetMissingOrErrnoError(native);
    return false;
  }
  return true;
}

}  // namespace platform
