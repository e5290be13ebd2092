#include "platform/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/native_path.h"

namespace platform {

namespace {

void SetErrnoError() {
  SetLastErrorFromErrno(errno);
}

// A read or write on a descriptor not open for it is "access denied" on Windows.
void SetTransferError(int fd) {
  if (errno == EBADF && fcntl(fd, F_GETFD) != -1) {
    SetLastError(kErrorAccessDenied);
  } else {
    SetErrnoError();
  }
}

enum class Lock { kNone, kShared, kExclusive };

// Sharing is modelled with open-file-description locks on the whole file, which conflict between
// any two opens, even within one process: an open that only reads and lets others read takes a
// shared lock; any other open with access takes an exclusive one. An open without access rights
// (attribute queries) takes none, as it does not count for sharing on Windows.
bool TakeLock(int fd, Lock lock) {
  if (lock == Lock::kNone) return true;
  struct flock request = {};
  request.l_type = lock == Lock::kShared ? F_RDLCK : F_WRLCK;
  request.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_SETLK, &request) == 0) return true;
  // A file system without these locks cannot model sharing; the open goes on without it.
  return errno != EAGAIN && errno != EACCES;
}

// Whether some open of this layer holds the file (any lock at all).
bool IsHeldOpen(const std::string& native) {
  const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  const bool held = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  close(fd);
  return held;
}

// Opens without waiting: a FIFO would otherwise block until a peer comes. The caller refuses
// anything that turns out not to be a regular file.
int OpenRetrying(const std::string& native, int flags) {
  int fd;
  do {
    fd = open(native.c_str(), flags | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Opens by disposition; `existed` says whether the file was there before.
int OpenByDisposition(const std::string& native, int accessFlags, uint32_t disposition,
                      bool* existed) {
  const int base = accessFlags | O_CLOEXEC | O_NOCTTY;
  switch (disposition) {
    case kCreateNew:
      *existed = false;
      return OpenRetrying(native, base | O_CREAT | O_EXCL);
    case kOpenExisting:
    case kTruncateExisting:
      *existed = true;
      return OpenRetrying(native, base);
    default:
      // Create-or-open: try creating first so that we know which happened; retry when the file
      // vanishes between the two calls.
      for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = OpenRetrying(native, base | O_CREAT | O_EXCL);
        if (fd >= 0 || errno != EEXIST) {
          *existed = false;
          return fd;
        }
        fd = OpenRetrying(native, base);
        if (fd >= 0 || errno != ENOENT) {
          *existed = true;
          return fd;
        }
      }
      return -1;
  }
}

// Without buffering: O_DIRECT, which a file system without direct I/O refuses (the file is then
// read through the cache).
void ApplyAccessHints(int fd, uint32_t flags) {
  if (flags & kFlagSequentialScan) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  if (flags & kFlagNoBuffering) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_DIRECT);
}

// A direct read that the file system refuses as misaligned is made again through the cache,
// and so is every later read of the handle.
bool LeaveDirectReading(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return errno == EINVAL && flags != -1 && (flags & O_DIRECT) &&
         fcntl(fd, F_SETFL, flags & ~O_DIRECT) == 0;
}

}  // namespace

// The attributes of a new file have no counterpart here but read-only, which is never asked; of
// the flags, sequential scan and no buffering are hints that the file system may decline.
FileHandle OpenFile(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t attributes) {
  if (disposition < kCreateNew || disposition > kTruncateExisting) {
    SetLastError(kErrorInvalidParameter);
    return kInvalidFileHandle;
  }
  const bool reads = (access & kGenericRead) != 0;
  const bool writes = (access & kGenericWrite) != 0;
  if (disposition == kTruncateExisting && !writes) {
    SetLastError(kErrorInvalidParameter);
    return kInvalidFileHandle;
  }
  const std::string native = NativePath(path);
  if (native.empty()) return kInvalidFileHandle;

  Lock lock = Lock::kNone;
  if (reads || writes) lock = (share & kShareRead) && !writes ? Lock::kShared : Lock::kExclusive;
  const int accessFlags = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;

  bool existed = false;
  int fd = -1;
  if (lock == Lock::kExclusive && accessFlags == O_RDONLY) {
    // An exclusive lock needs a descriptor open for writing; a file we may not write is locked
    // shared instead, which still keeps writers out.
    fd = OpenByDisposition(native, O_RDWR, disposition, &existed);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY)) {
      lock = Lock::kShared;
    }
  }
  if (fd < 0) fd = OpenByDisposition(native, accessFlags, disposition, &existed);
  if (fd < 0) {
    SetMissingOrErrnoError(native);
    return kInvalidFileHandle;
  }

  // Refused whoever asks, as on Windows, and before anything is truncated: a folder, writing to
  // a read-only file, and here also what is neither file nor folder (a FIFO, a device).
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      (writes && existed && (info.st_mode & S_IWUSR) == 0)) {
    close(fd);
    SetLastError(kErrorAccessDenied);
    return kInvalidFileHandle;
  }
  // Lock before truncating: a refused open must leave the file as it was.
  if (!TakeLock(fd, lock)) {
    close(fd);
    SetLastError(kErrorSharingViolation);
    return kInvalidFileHandle;
  }
  if (existed && (disposition == kCreateAlways || disposition == kTruncateExisting) &&
      ftruncate(fd, 0) != 0) {
    SetErrnoError();
    close(fd);
    return kInvalidFileHandle;
  }
  ApplyAccessHints(fd, attributes);
  const bool reportsExisting =
      existed && (disposition == kCreateAlways || disposition == kOpenAlways);
  SetLastError(reportsExisting ? kErrorAlreadyExists : 0);
  return fd;
}

bool CloseFile(FileHandle handle) {
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  if (close(static_cast<int>(handle)) != 0 && errno != EINTR) {
    SetErrnoError();
    return false;
  }
  return true;
}

bool ReadFile(FileHandle handle, void* buffer, uint32_t count, uint32_t* done) {
  uint32_t total = 0;
  if (done) *done = 0;
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  const int fd = static_cast<int>(handle);
  // A disk file delivers the whole count unless the end comes first.
  while (total < count) {
    const ssize_t got = read(fd, static_cast<char*>(buffer) + total, count - total);
    if (got < 0) {
      if (errno == EINTR || LeaveDirectReading(fd)) continue;
      SetTransferError(fd);
      if (done) *done = total;
      return false;
    }
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
    // A short direct read is the end of the file; asking again would be a misaligned read.
    if (total < count && (fcntl(fd, F_GETFL) & O_DIRECT)) break;
  }
  if (done) *done = total;
  return true;
}

bool WriteFile(FileHandle handle, const void* buffer, uint32_t count, uint32_t* done) {
  uint32_t total = 0;
  if (done) *done = 0;
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  const int fd = static_cast<int>(handle);
  while (total < count) {
    const ssize_t put = write(fd, static_cast<const char*>(buffer) + total, count - total);
    if (put < 0) {
      if (errno == EINTR) continue;
      SetTransferError(fd);
      if (done) *done = total;
      return false;
    }
    total += static_cast<uint32_t>(put);
  }
  if (done) *done = total;
  return true;
}

int64_t SeekFile(FileHandle handle, int64_t position) {
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return -1;
  }
  if (position < 0) {
    SetLastError(kErrorNegativeSeek);
    return -1;
  }
  const off_t result = lseek(static_cast<int>(handle), static_cast<off_t>(position), SEEK_SET);
  if (result < 0) {
    SetErrnoError();
    return -1;
  }
  return result;
}

int64_t GetFileSize(FileHandle handle) {
  struct stat info;
  if (handle < 0) {
    SetLastError(kErrorInvalidHandle);
    return -1;
  }
  if (fstat(static_cast<int>(handle), &info) != 0) {
    SetErrnoError();
    return -1;
  }
  return info.st_size;
}

namespace {

// Translates and examines a path (through a final link when `followLinks`); false with the error
// set when it cannot.
bool StatPath(const char16_t* path, bool followLinks, std::string& native, struct stat& info) {
  native = NativePath(path);
  if (native.empty()) return false;
  const int result = followLinks ? stat(native.c_str(), &info) : lstat(native.c_str(), &info);
  if (result != 0) {
    SetMissingOrErrnoError(native);
    return false;
  }
  return true;
}

}  // namespace

uint32_t GetFileAttributes(const char16_t* path) {
  std::string native;
  struct stat info;
  if (!StatPath(path, true, native, info)) return kInvalidAttributes;
  return AttributesOf(info);
}

bool SetFileAttributes(const char16_t* path, uint32_t attributes) {
  std::string native;
  struct stat info;
  if (!StatPath(path, true, native, info)) return false;
  mode_t mode = info.st_mode & 07777;
  if (attributes & kAttributeReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  if (mode != (info.st_mode & 07777) && chmod(native.c_str(), mode) != 0) {
    SetErrnoError();
    return false;
  }
  return true;
}

size_t GetFinalPath(const char16_t* path, char16_t* out, size_t capacity) {
  const std::string native = NativePath(path);
  if (native.empty()) return 0;
  char* resolved = realpath(native.c_str(), nullptr);
  if (!resolved) {
    SetMissingOrErrnoError(native);
    return 0;
  }
  const std::u16string final = LibraryPath(resolved);
  std::free(resolved);
  return CopyPathOut(final, out, capacity);
}

bool DeleteFile(const char16_t* path) {
  std::string native;
  struct stat info;
  if (!StatPath(path, false, native, info)) return false;
  // Windows refuses folders and read-only files; unlink would take both.
  if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0)) {
    SetLastError(kErrorAccessDenied);
    return false;
  }
  // Every open of this layer is made without delete sharing.
  if (S_ISREG(info.st_mode) && IsHeldOpen(native)) {
    SetLastError(kErrorSharingViolation);
    return false;
  }
  if (unlink(native.c_str()) != 0) {
    SetMissingOrErrnoError(native);
    return false;
  }
  return true;
}

// Windows refuses to replace a read-only file or one that is open (every open of this layer is
// made without delete sharing); rename would take both.
bool ReplaceFile(const char16_t* source, const char16_t* destination) {
  std::string from;
  struct stat info;
  if (!StatPath(source, false, from, info)) return false;
  const std::string to = NativePath(destination);
  if (to.empty()) return false;
  if (lstat(to.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode) || (S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0)) {
      SetLastError(kErrorAccessDenied);
      return false;
    }
    if (S_ISREG(info.st_mode) && IsHeldOpen(to)) {
      SetLastError(kErrorSharingViolation);
      return false;
    }
  }
  if (rename(from.c_str(), to.c_str()) != 0) {
    SetMissingOrErrnoError(to);
    return false;
  }
  return true;
}

bool CreateDirectory(const char16_t* path) {
  const std::string native = NativePath(path);
  if (native.empty()) return false;
  if (mkdir(native.c_str(), 0777) != 0) {
    if (errno == EEXIST) {
      SetLastError(kErrorAlreadyExists);
    } else if (errno == ENOENT) {
      SetLastError(kErrorPathNotFound);
    } else {
      SetErrnoError();
    }
    return false;
  }
  return true;
}

// No critical-error dialogs exist here.
CriticalErrorsSuppressed::CriticalErrorsSuppressed() : previous_(0) {}
CriticalErrorsSuppressed::~CriticalErrorsSuppressed() = default;

}  // namespace platform
