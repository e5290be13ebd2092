#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/native_path.h"

namespace platform {

namespace {

void SetErrnoError() {
  SetLastError(ErrorFromErrno(errno));
}

// After a failed stat or open of `native`: 2 or 3 for a missing name, the mapped errno otherwise.
void SetMissingOrErrnoError(const std::string& native) {
  if (errno == ENOENT) {
    SetLastError(MissingPathError(native));
  } else {
    SetErrnoError();
  }
}

// A read or write on a descriptor not open for it is "access denied" on Windows.
void SetTransferError(int fd) {
  if (errno == EBADF && fcntl(fd, F_GETFD) != -1) {
    SetLastError(kErrorAccessDenied);
  } else {
    SetErrnoError();
  }
}

uint32_t AttributesOf(const struct stat& info) {
  const bool readOnly = (info.st_mode & S_IWUSR) == 0;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory | (readOnly ? kAttributeReadOnly : 0);
  return readOnly ? kAttributeReadOnly : kAttributeNormal;
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

int OpenRetrying(const std::string& native, int flags) {
  int fd;
  do {
    fd = open(native.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
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

// Windows' upper case for ordering names: ASCII, Latin-1, Greek, Cyrillic and full-width
// letters, which covers what a game's file names hold.
char16_t UpperForOrder(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  return c;
}

char16_t AsciiUpper(char16_t c) {
  return c >= u'a' && c <= u'z' ? c - 0x20 : c;
}

bool MatchFrom(const char16_t* pattern, const char16_t* name) {
  while (*pattern) {
    if (*pattern == u'*') {
      while (*pattern == u'*') ++pattern;
      if (!*pattern) return true;
      for (const char16_t* rest = name; *rest; ++rest) {
        if (MatchFrom(pattern, rest)) return true;
      }
      return false;
    }
    if (!*name) return false;
    if (*pattern != u'?' && AsciiUpper(*pattern) != AsciiUpper(*name)) return false;
    ++pattern;
    ++name;
  }
  return !*name;
}

// "*" and "?" with ASCII letters matched case-insensitively; a pattern ending in ".*" also
// matches the name without an extension, so "*.*" matches every name as on Windows.
bool WildcardMatch(const std::u16string& pattern, const std::u16string& name) {
  if (MatchFrom(pattern.c_str(), name.c_str())) return true;
  const size_t size = pattern.size();
  if (size >= 2 && pattern[size - 2] == u'.' && pattern[size - 1] == u'*') {
    return MatchFrom(pattern.substr(0, size - 2).c_str(), name.c_str());
  }
  return false;
}

// The order Windows lists an NTFS folder in: "." and ".." first, then by the upper-cased name
// compared unit by unit (so "_u" follows "Z"); names equal but for case keep a fixed order.
bool ListsBefore(const std::u16string& a, const std::u16string& b) {
  auto rank = [](const std::u16string& name) { return name == u"." ? 0 : name == u".." ? 1 : 2; };
  if (rank(a) != rank(b)) return rank(a) < rank(b);
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const char16_t x = UpperForOrder(a[i]);
    const char16_t y = UpperForOrder(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

struct FoundEntry {
  std::u16string name;
  uint32_t attributes;
  uint64_t size;
};

struct FindState {
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

bool Describe(const std::string& native, std::u16string name, FoundEntry* entry) {
  if (name.size() >= sizeof(FindData::name) / sizeof(char16_t)) return false;
  struct stat info;
  if (stat(native.c_str(), &info) != 0 && lstat(native.c_str(), &info) != 0) return false;
  entry->name = std::move(name);
  entry->attributes = AttributesOf(info);
  entry->size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
  return true;
}

void Fill(const FoundEntry& entry, FindData* data) {
  data->attributes = entry.attributes;
  data->size = entry.size;
  std::copy(entry.name.begin(), entry.name.end(), data->name);
  data->name[entry.name.size()] = 0;
}

}  // namespace

// The attributes of a new file have no counterpart here but read-only, which is never asked.
FileHandle OpenFile(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                    uint32_t /*attributes*/) {
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
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return kInvalidFileHandle;
  }

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

  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
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
      if (errno == EINTR) continue;
      SetTransferError(fd);
      if (done) *done = total;
      return false;
    }
    if (got == 0) break;
    total += static_cast<uint32_t>(got);
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

uint32_t GetFileAttributes(const char16_t* path) {
  const std::string native = NativePath(path);
  struct stat info;
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return kInvalidAttributes;
  }
  if (stat(native.c_str(), &info) != 0) {
    SetMissingOrErrnoError(native);
    return kInvalidAttributes;
  }
  return AttributesOf(info);
}

bool SetFileAttributes(const char16_t* path, uint32_t attributes) {
  const std::string native = NativePath(path);
  struct stat info;
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  if (stat(native.c_str(), &info) != 0) {
    SetMissingOrErrnoError(native);
    return false;
  }
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

bool DeleteFile(const char16_t* path) {
  const std::string native = NativePath(path);
  struct stat info;
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  if (lstat(native.c_str(), &info) != 0) {
    SetMissingOrErrnoError(native);
    return false;
  }
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

bool CreateDirectory(const char16_t* path) {
  const std::string native = NativePath(path);
  if (native.empty()) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
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

FindHandle FindFirstFile(const char16_t* pattern, FindData* data) {
  if (!data) {
    SetLastError(kErrorInvalidParameter);
    return kInvalidFindHandle;
  }
  const std::string native = NativePath(pattern);
  const size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : native.substr(0, slash);
  const std::string namePattern = slash == std::string::npos ? native : native.substr(slash + 1);
  if (namePattern.empty()) {
    // Also "dir\": Windows finds nothing for a trailing separator.
    SetLastError(native.empty() ? kErrorPathNotFound : kErrorFileNotFound);
    return kInvalidFindHandle;
  }

  auto state = std::make_unique<FindState>();
  if (namePattern.find_first_of("*?") == std::string::npos) {
    FoundEntry entry;
    if (!Describe(native, Utf8ToUtf16(namePattern), &entry)) {
      SetMissingOrErrnoError(native);
      return kInvalidFindHandle;
    }
    state->entries.push_back(std::move(entry));
  } else {
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
      SetLastError(errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound
                                                       : ErrorFromErrno(errno));
      return kInvalidFindHandle;
    }
    const std::u16string wildcard = Utf8ToUtf16(namePattern);
    while (const dirent* item = readdir(directory)) {
      std::u16string name = Utf8ToUtf16(item->d_name);
      if (!WildcardMatch(wildcard, name)) continue;
      FoundEntry entry;
      if (Describe(folder + "/" + item->d_name, std::move(name), &entry)) {
        state->entries.push_back(std::move(entry));
      }
    }
    closedir(directory);
    if (state->entries.empty()) {
      SetLastError(kErrorFileNotFound);
      return kInvalidFindHandle;
    }
    std::sort(state->entries.begin(), state->entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return ListsBefore(a.name, b.name); });
  }
  Fill(state->entries[0], data);
  state->next = 1;
  return reinterpret_cast<FindHandle>(state.release());
}

bool FindNextFile(FindHandle handle, FindData* data) {
  if (handle == kInvalidFindHandle || handle == 0 || !data) {
    SetLastError(kErrorInvalidHandle);
    return false;
  }
  auto* state = reinterpret_cast<FindState*>(handle);
  if (state->next >= state->entries.size()) {
    SetLastError(kErrorNoMoreFiles);
    return false;
  }
  Fill(state->entries[state->next++], data);
  return true;
}

void FindClose(FindHandle handle) {
  if (handle == kInvalidFindHandle || handle == 0) return;
  delete reinterpret_cast<FindState*>(handle);
}

}  // namespace platform
