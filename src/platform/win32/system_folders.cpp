#include "platform/system_folders.h"

#include <shlobj.h>
#include <windows.h>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

struct FolderKind {
  int csidl;
  const wchar_t* registryName;  // under the user's "Shell Folders" key; null: none
};

// Kinds 0 to 11; 6 and 7 are asked of the system directly.
constexpr FolderKind kKinds[12] = {
    {CSIDL_DESKTOPDIRECTORY, L"Desktop"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, nullptr},
    {CSIDL_STARTMENU, L"Start Menu"},
    {CSIDL_PROGRAMS, L"Programs"},
    {CSIDL_COMMON_PROGRAMS, nullptr},
    {CSIDL_PERSONAL, L"Personal"},
    {0, nullptr},
    {0, nullptr},
    {CSIDL_COMMON_APPDATA, L"AppData"},  // the user's value: the registry has no common one here
    {CSIDL_APPDATA, L"AppData"},
    {CSIDL_PROGRAM_FILES, nullptr},
    {CSIDL_MYPICTURES, L"My Pictures"},
};

bool CopyOut(const wchar_t* text, char16_t* out, size_t capacity) {
  size_t length = 0;
  while (text[length]) ++length;
  if (length + 1 > capacity) return false;
  for (size_t i = 0; i <= length; ++i) out[i] = static_cast<char16_t>(text[i]);
  return true;
}

bool ReadShellFolderValue(const wchar_t* name, wchar_t (&buffer)[MAX_PATH]) {
  HKEY key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD type = 0;
  DWORD bytes = sizeof(buffer) - sizeof(wchar_t);  // room kept for a terminator it may lack
  const LONG result =
      ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  buffer[bytes / sizeof(wchar_t)] = 0;
  return true;
}

}  // namespace

bool GetSystemFolder(int kind, char16_t* out, size_t capacity) {
  if (!out || capacity == 0 || kind < 0 || kind > 11) return false;
  wchar_t* wideOut = reinterpret_cast<wchar_t*>(out);
  const DWORD size = static_cast<DWORD>(capacity < MAX_PATH ? capacity : MAX_PATH);
  if (kind == 6) {
    out[0] = 0;
    ::GetTempPathW(size, wideOut);
    return true;
  }
  if (kind == 7) {
    out[0] = 0;
    ::GetWindowsDirectoryW(wideOut, size);
    return true;
  }
  const FolderKind& folder = kKinds[kind];
  wchar_t buffer[MAX_PATH] = {};
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, folder.csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
    return CopyOut(buffer, out, capacity);
  }
  if (::SHGetSpecialFolderPathW(nullptr, buffer, folder.csidl, FALSE)) {
    return CopyOut(buffer, out, capacity);
  }
  if (folder.registryName && ReadShellFolderValue(folder.registryName, buffer)) {
    return CopyOut(buffer, out, capacity);
  }
  return false;
}

uint16_t GetUserDefaultUILanguage() {
  return ::GetUserDefaultUILanguage();
}

}  // namespace platform
