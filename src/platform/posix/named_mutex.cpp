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
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"
#include "platform/posix/user_folder.h"

namespace platform {

namespace {

struct LockFileMutex {
  int descriptor;  // -1 for an unnamed mutex
};

// "Local\" names the session's namespace, where a plain name lives too.
const char16_t* WithoutLocalPrefix(const char16_t* name) {
  static const char16_t kLocal[] = u"Local\\";
  for (size_t i = 0; kLocal[i]; ++i) {
    if (name[i] != kLocal[i]) return name;
  }
  return name + 6;
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
  const std::string folder = UserFolder("zr-mutex");
  if (folder.empty()) {
    SetLastError(kErrorAccessDenied);
    return nullptr;
  }
  // Windows compares mutex names case-sensitively, and so do the hashed file names.
  const std::string path = folder + "/" + HashedName(WithoutLocalPrefix(name)) + ".lock";
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor < 0) {
    SetLastError(ErrorFromErrno(errno));
    return nullptr;
  }

  // The first holder takes the exclusive lock and turns it into a shared one at once; every later
  // one finds the exclusive lock refused and takes a shared lock, waiting, if need be, for the
  // moment a first holder takes to turn its lock.
  uint32_t result = 0;
  if (LockFirstByte(descriptor, F_WRLCK, false)) {
    LockFirstByte(descriptor, F_RDLCK, false);  // turning our own lock cannot conflict
  } else if (Conflict(errno) && LockFirstByte(descriptor, F_RDLCK, true)) {
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
