#include "platform/posix/native_path.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_system.h"

namespace platform {

namespace {

thread_local uint32_t lastError = 0;

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, uint32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (code >> 10));
    out += static_cast<char16_t>(0xDC00 | (code & 0x3FF));
  }
}

bool IsDriveLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

std::string Utf16ToUtf8(const char16_t* text) {
  std::string out;
  if (!text) return out;
  for (size_t i = 0; text[i]; ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    const unsigned char lead = bytes[i];
    size_t length = 0;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead < 0xE0) {
      length = 2;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      length = 3;
    } else if (lead >= 0xF0 && lead < 0xF5) {
      length = 4;
    }
    if (length == 0 || i + length > size) {
      out += u'\uFFFD';  // a name that is not UTF-8 still gets listed
      ++i;
      continue;
    }
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (bytes[i + k] & 0x3F);
    }
    if (!valid) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    AppendUtf16(out, code);
    i += length;
  }
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
  return out + tail;
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

}  // namespace platform
