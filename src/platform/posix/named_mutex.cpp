// Named mutexes as lock files. Each name has an empty file in a per-user folder, the first of
// $XDG_RUNTIME_DIR/zr-mutex, ${TMPDIR:-/tmp}/zr-mutex-<uid> and ~/.cache/zr-mutex that is ours
// alone (mode 0700, owned by us, made when missing); every open handle holds a
// shared open-file-description lock on its first byte, and a creation first tries the exclusive
// lock: when that succeeds nobody else holds the name, so the creator is the first and drops to
// the shared lock. Open-file-description locks conflict between two opens in one process too, and
// the kernel drops them when the descriptor is closed or its process ends, so a crashed holder
// never blocks the next run. The files are never removed: removing one while another process
// opens it would give two holders of the same name.
//
// These are not Windows objects: a game running under Wine holds a Wine mutex that this layer
// does not see. A child made with fork() shares the parent's descriptors, and so its locks.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

struct LockFileMutex {
  int descriptor;  // -1 for an unnamed mutex
};

// The per-user folder of the lock files; empty when none is usable. A folder that another user
// owns or may write to is refused: it could hold a name for us.
std::string UsableFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  struct stat info;
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
      (info.st_mode & 077) != 0) {
    return std::string();
  }
  return folder;
}

// An absolute path from the environment, or "".
std::string AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? value : "";
}

// The shared temporary folder comes second: anyone may make our name there first, and then only
// the home folder is left.
std::string LockFolder() {
  const std::string runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR");
  if (!runtime.empty()) {
    std::string folder = UsableFolder(runtime + "/zr-mutex");
    if (!folder.empty()) return folder;
  }
  std::string temporary = AbsoluteFromEnvironment("TMPDIR");
  if (temporary.empty()) temporary = "/tmp";
  std::string folder = UsableFolder(temporary + "/zr-mutex-" + std::to_string(getuid()));
  if (!folder.empty()) return folder;
  const std::string home = HomeFolder();
  if (home.empty() || home[0] != '/') return std::string();
  mkdir((home + "/.cache").c_str(), 0700);
  return UsableFolder(home + "/.cache/zr-mutex");
}

// "Local\" names the session's namespace, where a plain name lives too.
const char16_t* WithoutLocalPrefix(const char16_t* name) {
  static const char16_t kLocal[] = u"Local\\";
  for (size_t i = 0; kLocal[i]; ++i) {
    if (name[i] != kLocal[i]) return name;
  }
  return name + 6;
}

// A readable start of the name for people looking at the folder, then a 64-bit FNV-1a hash of
// every UTF-16 unit, which tells the names apart (Windows compares them case-sensitively).
std::string LockFileName(const char16_t* name) {
  std::string readable;
  uint64_t hash = 14695981039346656037ull;
  for (const char16_t* p = name; *p; ++p) {
    const char16_t c = *p;
    if (readable.size() < 40) {
      const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                         (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
      readable += plain ? static_cast<char>(c) : '_';
    }
    hash = (hash ^ (c & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (c >> 8)) * 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return readable + "-" + digits + ".lock";
}

// A lock on the first byte. Without `wait`, false with errno EAGAIN or EACCES when another open
// holds a conflicting one; with it, the call waits for that one to go.
bool Lock(int descriptor, short type, bool wait) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  while (fcntl(descriptor, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool Conflict(int error) {
  return error == EAGAIN || error == EACCES;
}

}  // namespace

MutexHandle CreateNamedMutex(const char16_t* name) {
  if (!name || !*name) {
    SetLastError(0);
    return new LockFileMutex{-1};
  }
  const std::string folder = LockFolder();
  if (folder.empty()) {
    SetLastError(kErrorAccessDenied);
    return nullptr;
  }
  const std::string path = folder + "/" + LockFileName(WithoutLocalPrefix(name));
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor < 0) {
    SetLastError(ErrorFromErrno(errno));
    return nullptr;
  }

  // The first holder takes the exclusive lock and turns it into a shared one at once; every later
  // one finds the exclusive lock refused and takes a shared lock, waiting, if need be, for the
  // moment a first holder takes to turn its lock.
  uint32_t result = 0;
  if (Lock(descriptor, F_WRLCK, false)) {
    Lock(descriptor, F_RDLCK, false);  // turning our own lock cannot conflict
  } else if (Conflict(errno) && Lock(descriptor, F_RDLCK, true)) {
    result = kErrorAlreadyExists;
  } else {
    const int error = errno;
    close(descriptor);
    SetLastError(ErrorFromErrno(error));
    return nullptr;
  }
  SetLastError(result);
  return new LockFileMutex{descriptor};
}

void CloseNamedMutex(MutexHandle mutex) {
  if (!mutex) return;
  auto* lockFile = static_cast<LockFileMutex*>(mutex);
  if (lockFile->descriptor >= 0) close(lockFile->descriptor);
  delete lockFile;
}

}  // namespace platform
