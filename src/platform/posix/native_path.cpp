#include "platform/posix/native_path.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/posix/full_path.h"
#include "platform/posix/upper_case.h"

namespace platform {

namespace {

thread_local uint32_t lastError = 0;
thread_local int lastErrno = 0;  // the errno behind lastError, 0 when it came from elsewhere

// The next UTF-16 unit of a UTF-8 name, in order; false at the end or at bytes that are not
// well-formed UTF-8 (such a name matches only as written). Decoded here, without a converter,
// because every entry of a folder is compared.
class Utf16Units {
 public:
  explicit Utf16Units(const char* text) : p_(reinterpret_cast<const unsigned char*>(text)) {}

  // Whether every byte was read (not stopped at a malformed one).
  bool AtEnd() const { return *p_ == 0 && low_ == 0; }

  bool Next(char16_t& unit) {
    if (low_) {
      unit = low_;
      low_ = 0;
      return true;
    }
    const unsigned lead = *p_;
    if (lead == 0) return false;
    const int length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (length == 0) return false;
    uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int i = 1; i < length; ++i) {
      if ((p_[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p_[i] & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    p_ += length;
    if (code < 0x10000) {
      unit = static_cast<char16_t>(code);
    } else {
      unit = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      low_ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
    return true;
  }

 private:
  const unsigned char* p_;
  char16_t low_ = 0;
};

// Whether the UTF-8 name equals `upper` (already upper-cased) without regard to case.
bool EqualIgnoringCase(const char* name, const std::u16string& upper) {
  Utf16Units units(name);
  char16_t unit;
  size_t i = 0;
  for (; units.Next(unit); ++i) {
    if (i == upper.size() || UpperCase(unit) != upper[i]) return false;
  }
  return i == upper.size() && units.AtEnd();
}

// The entry of `folder` whose name equals `name` without regard to case, as Windows folds it;
// the smallest such name when there are several, "" when there is none.
std::string FindEntryIgnoringCase(const std::string& folder, const std::u16string& name) {
  std::u16string upper = name;
  for (char16_t& unit : upper) unit = UpperCase(unit);
  std::string found;
  DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
  if (!directory) return found;
  while (const dirent* entry = readdir(directory)) {
    if (EqualIgnoringCase(entry->d_name, upper) && (found.empty() || found > entry->d_name)) {
      found = entry->d_name;
    }
  }
  closedir(directory);
  return found;
}

std::string Child(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Windows names files without regard to case, so each component takes the case of what exists
// there; the first component that matches nothing, and all after it, stay as written (a file or
// folder to be made).
std::string MatchCase(const std::string& root, const std::vector<std::u16string>& names) {
  std::vector<std::string> written;
  std::string exact = root;
  for (const std::u16string& name : names) {
    written.push_back(Utf16ToUtf8(name.c_str()));
    exact = Child(exact, written.back());
  }
  struct stat info;
  if (names.empty() || lstat(exact.c_str(), &info) == 0) return exact;

  // Most often only the last name is new (a file about to be created): its folder is as written.
  std::string resolved = root;
  size_t first = 0;
  if (names.size() > 1) {
    std::string folder = root;
    for (size_t i = 0; i + 1 < names.size(); ++i) folder = Child(folder, written[i]);
    if (lstat(folder.c_str(), &info) == 0) {
      resolved = folder;
      first = names.size() - 1;
    }
  }
  for (size_t i = first; i < names.size(); ++i) {
    const std::string candidate = Child(resolved, written[i]);
    if (lstat(candidate.c_str(), &info) == 0) {
      resolved = candidate;
      continue;
    }
    const std::string match = FindEntryIgnoringCase(resolved, names[i]);
    if (match.empty()) {
      for (; i < names.size(); ++i) resolved = Child(resolved, written[i]);
      return resolved;
    }
    resolved = Child(resolved, match);
  }
  return resolved;
}

// The native folder a path's root names, or false with the error set.
bool NativeRoot(const PathParts& parts, std::string& root) {
  switch (parts.root) {
    case PathParts::Root::kDrive:
      root = WinePrefix() + "/dosdevices/";
      root += static_cast<char>(parts.drive | 0x20);
      root += ':';
      return true;
    case PathParts::Root::kHost:
      root = "/";
      return true;
    case PathParts::Root::kRelative:
      root.clear();
      return true;
    case PathParts::Root::kNetwork:
      SetLastError(kErrorBadNetPath);  // there is no share to reach from here
      return false;
    case PathParts::Root::kDevice:
      break;
  }
  SetLastError(kErrorPathNotFound);
  return false;
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

std::u16string LibraryPath(const std::string& native) {
  std::u16string path = Utf8ToUtf16(native);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return path;
}

size_t CopyPathOut(const std::u16string& path, char16_t* out, size_t capacity) {
  if (!out || path.size() + 1 > capacity) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  path.copy(out, path.size());
  out[path.size()] = 0;
  return path.size();
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* entry = getpwuid(getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "";
}

std::string WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && *prefix) return prefix;
  return HomeFolder() + "/.wine";
}

std::string NativePath(const char16_t* path) {
  if (!path || !*path) {
    SetLastError(kErrorPathNotFound);
    return std::string();
  }
  const PathParts parts = SplitFullPath(path);
  std::string root;
  if (!NativeRoot(parts, root)) return std::string();
  for (size_t i = parts.climbs; i < parts.components.size(); ++i) {
    const std::u16string& name = parts.components[i];
    // What Windows leaves of "..." is a name no file can have; "\\?\" paths keep dots as names.
    if (name == u"." || name == u"..") {
      SetLastError(kErrorInvalidName);
      return std::string();
    }
  }
  std::string native = MatchCase(root, parts.components);
  if (native.empty()) native = ".";  // the current directory itself
  if (parts.trailingSeparator) native += '/';
  return native;
}

void SetLastError(uint32_t error) {
  lastError = error;
  lastErrno = 0;
}

void SetLastErrorFromErrno(int error) {
  lastError = ErrorFromErrno(error);
  lastErrno = error;
}

int LastErrno() {
  return lastErrno;
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
    case ENXIO:  // a FIFO without a reader, a device without its hardware
    case ENODEV:
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

namespace {

// "file.txt\" names a file as a folder, which Windows calls an invalid name (a file on the way,
// as in "file.txt\x", is a missing path).
bool NamesFileAsFolder(const std::string& native) {
  size_t end = native.size();
  while (end > 1 && native[end - 1] == '/') --end;
  struct stat info;
  return end < native.size() && stat(native.substr(0, end).c_str(), &info) == 0 &&
         !S_ISDIR(info.st_mode);
}

}  // namespace

void SetMissingOrErrnoError(const std::string& native) {
  if (errno == ENOENT) {
    SetLastError(MissingPathError(native));
  } else if (errno == ENOTDIR && NamesFileAsFolder(native)) {
    SetLastError(kErrorInvalidName);
  } else {
    SetLastErrorFromErrno(errno);
  }
}

uint32_t AttributesOf(const struct stat& info) {
  const bool readOnly = (info.st_mode & S_IWUSR) == 0;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory | (readOnly ? kAttributeReadOnly : 0);
  if (!S_ISREG(info.st_mode)) return kAttributeDevice;
  return readOnly ? kAttributeReadOnly : kAttributeNormal;
}

}  // namespace platform
