#include "platform/posix/user_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/native_path.h"

namespace platform {

namespace {

// `folder`, made when missing, or "" when it is not ours alone: a folder that another user owns
// or may write to could hold a name for us.
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

}  // namespace

// The shared temporary folder comes second: anyone may make our name there first, and then only
// the home folder is left.
std::string UserFolder(const char* leaf) {
  const std::string runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR");
  if (!runtime.empty()) {
    std::string folder = UsableFolder(runtime + "/" + leaf);
    if (!folder.empty()) return folder;
  }
  std::string temporary = AbsoluteFromEnvironment("TMPDIR");
  if (temporary.empty()) temporary = "/tmp";
  std::string folder = UsableFolder(temporary + "/" + leaf + "-" + std::to_string(getuid()));
  if (!folder.empty()) return folder;
  const std::string home = HomeFolder();
  if (home.empty() || home[0] != '/') return std::string();
  mkdir((home + "/.cache").c_str(), 0700);
  return UsableFolder(home + "/.cache/" + leaf);
}

std::string HashedName(const std::u16string& name) {
  std::string readable;
  uint64_t hash = 14695981039346656037ull;
  for (const char16_t c : name) {
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
  return readable + "-" + digits;
}

bool LockFirstByte(int descriptor, short type, bool wait) {
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

}  // namespace platform
