#include "platform/system_info.h"

#include <windows.h>

#include <new>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

// Looked up by name: older systems lack them, and RtlGetVersion has no import library entry.
template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
  HMODULE handle = ::GetModuleHandleW(module);
  return handle
             ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)))
             : nullptr;
}

std::u16string Text(const wchar_t* text, size_t capacity) {
  size_t length = 0;
  while (length < capacity && text[length]) ++length;
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace

bool GetOsVersion(OsVersion& version) try {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const auto rtlGetVersion = Lookup<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
  if (!rtlGetVersion) return false;
  OSVERSIONINFOEXW record = {};
  record.dwOSVersionInfoSize = sizeof record;  // 284 bytes
  if (rtlGetVersion(&record) < 0) return false;
  version.platformId = record.dwPlatformId;
  version.major = record.dwMajorVersion;
  version.minor = record.dwMinorVersion;
  version.build = record.dwBuildNumber;
  version.servicePack = Text(record.szCSDVersion, 128);
  version.systemName.clear();
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

bool GetOrdinaryOsVersion(uint32_t& major, uint32_t& minor, uint32_t& build) {
  OSVERSIONINFOW record = {};
  record.dwOSVersionInfoSize = sizeof record;
  if (!::GetVersionExW(&record)) return false;
  major = record.dwMajorVersion;
  minor = record.dwMinorVersion;
  build = record.dwBuildNumber;
  return true;
}

bool IsOn64BitSystem() {
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
  const auto isWow64Process = Lookup<IsWow64ProcessFunction>(L"kernel32.dll", "IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

bool GetOsEdition(OsEdition& edition) {
  using GetProductInfoFunction = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);
  const auto getProductInfo = Lookup<GetProductInfoFunction>(L"kernel32.dll", "GetProductInfo");
  uint32_t major = 0, minor = 0, build = 0;
  if (!getProductInfo) return false;
  GetOrdinaryOsVersion(major, minor, build);  // a failed query asks for 0.0, as the system did
  DWORD type = 0;
  if (!getProductInfo(major, minor, 0, 0, &type)) return false;
  edition.hasProductType = true;
  edition.productType = type;
  edition.name.clear();
  return true;
}

bool GetMemoryStatus(MemoryStatus& status) {
  MEMORYSTATUSEX memory = {};
  memory.dwLength = sizeof memory;  // 64 bytes
  if (!::GlobalMemoryStatusEx(&memory)) return false;
  status.totalPhysical = memory.ullTotalPhys;
  status.availablePhysical = memory.ullAvailPhys;
  status.totalPageFile = memory.ullTotalPageFile;
  status.availablePageFile = memory.ullAvailPageFile;
  return true;
}

uint32_t GetProcessorCount() {
  SYSTEM_INFO info = {};
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

void GetProcessorDescription(uint32_t& megahertz, char16_t* name, size_t nameCapacity) {
  megahertz = 0;
  if (nameCapacity > 0) name[0] = 0;
  HKEY key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  for (const wchar_t* valueName : {L"~MHz", L"~Mhz", L"~mhz"}) {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (::RegQueryValueExW(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                           &bytes) == ERROR_SUCCESS) {
      megahertz = value;
      break;
    }
  }
  if (nameCapacity > 0) {
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(nameCapacity * sizeof(char16_t));
    const bool read = ::RegQueryValueExW(key, L"ProcessorNameString", nullptr, &type,
                                         reinterpret_cast<BYTE*>(name), &bytes) == ERROR_SUCCESS &&
                      type == REG_SZ;
    // The stored text may lack its terminator; then it needs a unit more than it takes.
    const size_t units = bytes / sizeof(char16_t);
    if (!read || (units == nameCapacity && name[units - 1] != 0)) {
      name[0] = 0;
    } else if (units < nameCapacity) {
      name[units] = 0;
    }
  }
  ::RegCloseKey(key);
}

}  // namespace platform
