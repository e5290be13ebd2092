#include "platform/posix/native_path.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace platform {

namespace {

thread_local uint32_t lastError = 0;

bool IsDriveLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool EqualIgnoringAsciiCase(const char* a, const std::string& b) {
  size_t i = 0;
  for (; a[i] && i < b.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return !a[i] && i == b.size();
}

// The entry of `folder` named like `component` but for ASCII case; the smallest such name when
// there are several, "" when there is none.
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& component) {
  std::string found;
  DIR* directory = opendir(folder.c_str());
  if (!directory) return found;
  while (const dirent* entry = readdir(directory)) {
    if (EqualIgnoringAsciiCase(entry->d_name, component) &&
        (found.empty() || found > entry->d_name)) {
      found = entry->d_name;
    }
  }
  closedir(directory);
  return found;
}

// Windows programs in a Wine prefix name files without regard to case, so a path on one of its
// drives takes, component by component, the case of what exists there; the first component
// that matches nothing, and all after it, stay as written (a file or folder to be made).
std::string MatchCaseInDrive(const std::string& drive, const std::string& tail) {
  struct stat info;
  std::string resolved = drive + tail;
  if (lstat(resolved.c_str(), &info) == 0) return resolved;
  resolved = drive;
  for (size_t position = 0; position < tail.size();) {
    if (tail[position] == '/') {
      resolved += '/';
      ++position;
      continue;
    }
    const size_t end = std::min(tail.find('/', position), tail.size());
    const std::string component = tail.substr(position, end - position);
    const std::string exact = resolved + component;
    if (component == "." || component == ".." || lstat(exact.c_str(), &info) == 0) {
      resolved = exact;
    } else {
      const std::string match = FindEntryIgnoringCase(resolved, component);
      if (match.empty()) return resolved + tail.substr(position);
      resolved += match;
    }
    position = end;
  }
  return resolved;
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text) {
  if (!text) return {};
  const size_t bytes = WideToMultiByte(kCodePageUtf8, text, -1, nullptr, 0);
  std::string out(bytes, '\0');
  if (bytes == 0 || WideToMultiByte(kCodePageUtf8, text, -1, out.data(), bytes) == 0) return {};
  out.pop_back();  // the terminator
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  const size_t units = MultiByteToWide(kCodePageUtf8, text.c_str(), -1, nullptr, 0);
  std::u16string out(units, u'\0');
  if (units == 0 || MultiByteToWide(kCodePageUtf8, text.c_str(), -1, out.data(), units) == 0) {
    return {};
  }
  out.pop_back();
  return out;
}

std::string WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* entry = getpwuid(getuid());
    home = entry && entry->pw_dir ? entry->pw_dir : "";
  }
  return std::string(home) + "/.wine";
}

std::string NativePath(const char16_t* path) {
  if (!path) return std::string();
  std::string out;
  const char16_t* rest = path;
  if (IsDriveLetter(path[0]) && path[1] == u':') {
    out = WinePrefix() + "/dosdevices/";
    out += static_cast<char>(path[0] | 0x20);
    out += ':';
    rest = path + 2;
    // "C:name" is taken as "C:\name": the layer keeps no per-drive current directory.
    if (*rest && *rest != u'\\' && *rest != u'/') out += '/';
  }
  std::string tail = Utf16ToUtf8(rest);
  for (char& c : tail) {
    if (c == '\\') c = '/';
  }
  return out.empty() ? tail : MatchCaseInDrive(out, tail);
}

void SetLastError(uint32_t error) {
  lastError = error;
}

uint32_t LastError() {
  return lastError;
}

uint32_t ErrorFromErrno(int error) {
  switch (error) {
    case 0:
      return 0;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case EEXIST:
      return kErrorFileExists;
    case EINVAL:
      return kErrorInvalidParameter;
    case EMFILE:
    case ENFILE:
      return 4;  // ERROR_TOO_MANY_OPEN_FILES
    case ENOMEM:
      return 8;  // ERROR_NOT_ENOUGH_MEMORY
    case ETXTBSY:
    case EBUSY:
      return kErrorSharingViolation;
    case ENOSPC:
    case EDQUOT:
      return 112;  // ERROR_DISK_FULL
    case ENOTEMPTY:
      return 145;  // ERROR_DIR_NOT_EMPTY
    case EXDEV:
      return 17;  // ERROR_NOT_SAME_DEVICE
    case ENAMETOOLONG:
      return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EFAULT:
      return 998;  // ERROR_NOACCESS
    case EIO:
      return 1117;  // ERROR_IO_DEVICE
    case ELOOP:
      return 1921;  // ERROR_CANT_RESOLVE_FILENAME
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

uint32_t MissingPathError(const std::string& nativePath) {
  size_t end = nativePath.size();
  while (end > 1 && nativePath[end - 1] == '/') --end;  // "dir/" names dir itself
  const size_t slash = nativePath.rfind('/', end - 1);
  if (slash == std::string::npos) return kErrorFileNotFound;  // in the current folder
  const std::string folder = slash == 0 ? "/" : nativePath.substr(0, slash);
  struct stat info;
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? kErrorFileNotFound
                                                                   : kErrorPathNotFound;
}

void SetMissingOrErrnoError(const std::string& native) {
  if (errno == ENOENT) {
    SetLastError(MissingPathError(native));
  } else {
    SetLastError(ErrorFromErrno(errno));
  }
}

uint32_t AttributesOf(const struct stat& info) {
  const bool readOnly = (info.st_mode & S_IWUSR) == 0;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory | (readOnly ? kAttributeReadOnly : 0);
  return readOnly ? kAttributeReadOnly : kAttributeNormal;
}

}  // namespace platform
