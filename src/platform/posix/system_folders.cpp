#include "platform/system_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

bool IsDirectory(const std::string& native) {
  struct stat info;
  return stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Wine names the profile folder after the login name.
std::u16string UserName() {
  const char* user = std::getenv("USER");
  if (user && *user) return Utf8ToUtf16(user);
  const passwd* entry = getpwuid(getuid());
  return Utf8ToUtf16(entry && entry->pw_name ? entry->pw_name : "");
}

bool CopyOut(const std::u16string& text, char16_t* out, size_t capacity) {
  if (!out || text.size() + 1 > capacity) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  text.copy(out, text.size());
  out[text.size()] = 0;
  return true;
}

}  // namespace

// The folders a Windows program sees inside the Wine prefix, as its Windows paths (the file
// layer resolves "C:" through the prefix); <user> is $USER or the login name:
//   0  C:\users\<user>\Desktop
//   1  C:\users\Public\Desktop
//   2  C:\users\<user>\AppData\Roaming\Microsoft\Windows\Start Menu
//   3  the same with \Programs
//   4  C:\ProgramData\Microsoft\Windows\Start Menu\Programs
//   5  C:\users\<user>\Documents
//   6  the system temporary folder ($TMPDIR, else /tmp) as a native path ending in "/"
//   7  C:\windows
//   8  C:\ProgramData
//   9  C:\users\<user>\AppData\Roaming
//   10 C:\Program Files (x86) when the prefix is 64-bit (it has windows\syswow64), where a 32-bit
//      program is shown that one; else C:\Program Files
//   11 C:\users\<user>\Pictures
// Kinds 6 and 7 always succeed, as on Windows; every other kind fails when the prefix is not a
// folder.
bool GetSystemFolder(int kind, char16_t* out, size_t capacity) {
  if (kind == 6) {
    const char* temp = std::getenv("TMPDIR");
    std::string folder = temp && *temp ? temp : "/tmp";
    if (folder.back() != '/') folder += '/';
    return CopyOut(Utf8ToUtf16(folder), out, capacity);
  }
  if (kind == 7) return CopyOut(u"C:\\windows", out, capacity);
  if (kind < 0 || kind > 11) {
    SetLastError(kErrorInvalidParameter);
    return false;
  }
  const std::string prefix = WinePrefix();
  if (!IsDirectory(prefix)) {
    SetLastError(kErrorPathNotFound);
    return false;
  }
  const std::u16string profile = u"C:\\users\\" + UserName();
  const std::u16string roaming = profile + u"\\AppData\\Roaming";
  const std::u16string startMenu = roaming + u"\\Microsoft\\Windows\\Start Menu";
  std::u16string folder;
  switch (kind) {
    case 0:
      folder = profile + u"\\Desktop";
      break;
    case 1:
      folder = u"C:\\users\\Public\\Desktop";
      break;
    case 2:
      folder = startMenu;
      break;
    case 3:
      folder = startMenu + u"\\Programs";
      break;
    case 4:
      folder = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
      break;
    case 5:
      folder = profile + u"\\Documents";
      break;
    case 8:
      folder = u"C:\\ProgramData";
      break;
    case 9:
      folder = roaming;
      break;
    case 10:
      folder = IsDirectory(prefix + "/drive_c/windows/syswow64") ? u"C:\\Program Files (x86)"
                                                                 : u"C:\\Program Files";
      break;
    case 11:
      folder = profile + u"\\Pictures";
      break;
  }
  return CopyOut(folder, out, capacity);
}

}  // namespace platform
