#include "system/os_names.h"

#include <iterator>

#include "platform/system_info.h"
#include "system/bounded_text.h"

namespace {

struct OsName {
  uint32_t code;
  const char16_t* name;
  uint32_t major;
  uint32_t minor;
  uint32_t build;
};

struct NtRow {
  uint32_t major;
  uint32_t minor;  // kAnyMinor: every minor of that major
  uint32_t code;
  const char16_t* name;
};
constexpr uint32_t kAnyMinor = 0xFFFFFFFFu;

constexpr NtRow kNtVersions[] = {
    {3, kAnyMinor, 32, u"Windows NT 3.x"},
    {4, kAnyMinor, 48, u"Windows NT 4.x"},
    {5, 0, 64, u"Windows 2000"},
    {5, 1, 80, u"Windows XP"},
    {6, 0, 96, u"Windows Vista"},
    {6, 1, 97, u"Windows 7"},
    {6, 2, 98, u"Windows 8"},
    {6, 3, 99, u"Windows 8.1"},
    {10, kAnyMinor, 100, u"Windows 10"},
};
constexpr uint32_t kOsWindowsNt = 16;  // an NT version without a row of its own

OsName NameNt(uint32_t major, uint32_t minor, uint32_t build) {
  for (const NtRow& row : kNtVersions) {
    if (row.major == major && (row.minor == kAnyMinor || row.minor == minor)) {
      return {row.code, row.name, major, minor, build};
    }
  }
  return {kOsWindowsNt, u"Windows NT", major, minor, build};
}

OsName NameWindows9x(uint32_t minor, uint32_t packed) {
  OsName os{15, u"Windows 9x", packed >> 24, (packed >> 16) & 0xFF, packed & 0xFFFF};
  if (minor == 0) {
    os.code = 2;
    os.name = u"Windows 95";
  } else if (minor == 10) {
    os.code = 3;
    os.name = u"Windows 98";
  } else if (minor == 90) {
    os.code = 4;
    os.name = u"Windows Me";
  }
  return os;
}

// Indexed by product type; null for the types that have no name.
constexpr const char16_t* kEditions[] = {
    u"An unknown product",
    u"Ultimate",
    u"Home Basic",
    u"Home Premium",
    u"Enterprise",
    u"Home Basic N",
    u"Business",
    u"Server Standard",
    u"Server Datacenter (full installation)",
    u"Windows Small Business Server",
    u"Server Enterprise (full installation)",  // 10
    u"Starter",
    u"Server Datacenter (core installation)",
    u"Server Standard (core installation)",
    u"Server Enterprise (core installation)",
    u"Server Enterprise for Itanium-based Systems",
    u"Business N",
    u"Web Server (full installation)",
    u"HPC Edition",
    u"Windows Storage Server 2008 R2 Essentials",
    u"Storage Server Express",  // 20
    u"Storage Server Standard",
    u"Storage Server Workgroup",
    u"Storage Server Enterprise",
    u"Windows Server 2008 for Windows Essential Server Solutions",
    u"Small Business Server Premium",
    u"Home Premium N",
    u"Enterprise N",
    u"Ultimate N",
    u"Web Server (core installation)",
    u"Windows Essential Business Server Management Server",  // 30
    u"Windows Essential Business Server Security Server",
    u"Windows Essential Business Server Messaging Server",
    u"Server Foundation",
    u"Windows Home Server 2011",
    u"Windows Server 2008 without Hyper-V for Windows Essential Server Solutions",
    u"Server Standard without Hyper-V",
    u"Server Datacenter without Hyper-V (full installation)",
    u"Server Enterprise without Hyper-V (full installation)",
    u"Server Datacenter without Hyper-V (core installation)",
    u"Server Standard without Hyper-V (core installation)",  // 40
    u"Server Enterprise without Hyper-V (core installation)",
    u"Microsoft Hyper-V Server",
    u"Storage Server Express (core installation)",
    u"Storage Server Standard (core installation)",
    u"Storage Server Workgroup (core installation)",
    u"Storage Server Enterprise (core installation)",
    u"Starter N",
    u"Professional",
    u"Professional N",
    u"Windows Small Business Server 2011 Essentials",  // 50
    u"Server For SB Solutions",
    u"Server Solutions Premium",
    u"Server Solutions Premium (core installation)",
    u"Server For SB Solutions EM",
    u"Server For SB Solutions EM",
    u"Windows MultiPoint Server",
    nullptr,
    nullptr,
    u"Windows 8 Essential Server Solution Management",
    u"Windows 8 Essential Server Solution Additional",  // 60
    u"Windows 8 Essential Server Solution Management SVC",
    u"Windows 8 Essential Server Solution Additional SVC",
    u"Small Business Server Premium (core installation)",
    u"Server Hyper Core V",
    nullptr,
    u"Not supported",
    u"Not supported",
    u"Not supported",
    u"Not supported",
    u"Not supported",  // 70
    u"Not supported",
    u"Server Enterprise (evaluation installation)",
    nullptr,
    nullptr,
    nullptr,
    u"Windows MultiPoint Server Standard (full installation)",
    u"Windows MultiPoint Server Premium (full installation)",
    nullptr,
    u"Server Standard (evaluation installation)",
    u"Server Datacenter (evaluation installation)",  // 80
    nullptr,
    nullptr,
    nullptr,
    u"Enterprise N (evaluation installation)",
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,  // 90
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    u"Storage Server Workgroup (evaluation installation)",
    u"Storage Server Standard (evaluation installation)",
    u"Windows 8 ARM",
    u"Windows 8 N",
    u"Windows 8 China",
    u"Windows 8 Single Language",  // 100
    u"Windows 8",
    nullptr,
    u"Professional with Media Center",
};
static_assert(std::size(kEditions) == 104, "product types 0 to 103");

}  // namespace

void NameOperatingSystem(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                         OsInfo& os) {
  OsName named{kOsUnknown, u"OS Unknown...", major, minor, build};
  switch (platformId) {
    case platform::kPlatformWin32s:
      named = {1, u"", major, minor, build};
      break;
    case platform::kPlatformWindows9x:
      named = NameWindows9x(minor, build);
      break;
    case platform::kPlatformWindowsNt:
      named = NameNt(major, minor, build);
      break;
  }
  os.code = named.code;
  os.major = named.major;
  os.minor = named.minor;
  os.build = named.build;
  CopyWide(os.name, named.name);
}

void SetOsBits(bool on64BitSystem, OsInfo& os) {
  os.bits = on64BitSystem ? 64 : 32;
  const size_t length = WideLength(os.name);
  CopyWide(os.name + length, std::size(os.name) - length, on64BitSystem ? u" (x64)" : u" (x86)");
}

const char16_t* GetEditionName(uint32_t productType) {
  if (productType >= std::size(kEditions) || !kEditions[productType]) return u"";
  return kEditions[productType];
}
