// Facts about the operating system, the memory and the processor, for the system probe.
//
// Windows asks the system (RtlGetVersion, IsWow64Process, GetProductInfo, GetVersionExW,
// GlobalMemoryStatusEx, GetSystemInfo, the processor's registry key). The posix layer describes
// the host it runs on:
// - the version record has the platform id kPlatformOther and the system's own name
//   (uname's sysname, "Linux"); major, minor and build are the first three numbers of the kernel
//   release ("6.1.0-18-generic" is 6.1.0); no service pack; the edition is the PRETTY_NAME of
//   /etc/os-release (or /usr/lib/os-release), or none;
// - the system counts as 64-bit when the kernel's machine is (x86_64, aarch64, ...);
// - memory comes from /proc/meminfo: available physical memory is MemAvailable (MemFree on
//   kernels without it); the commit limit's analogue is MemTotal + SwapTotal, of which
//   MemAvailable + SwapFree is available;
// - the processors counted are the ones online; the name and the clock of the first processor
//   of /proc/cpuinfo stand for the registry's: "model name" and the integer part of "cpu MHz".
// - the ordinary version query is the version record's numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Platform ids of the version record: Windows' own, and kPlatformOther for a system outside
// Windows' table, which then gives its name.
constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows9x = 1;
constexpr uint32_t kPlatformWindowsNt = 2;
constexpr uint32_t kPlatformOther = 0xFFFF;

struct OsVersion {
  uint32_t platformId;
  uint32_t major;
  uint32_t minor;
  uint32_t build;  // on Windows 9x the packed version, as the system reports it
  std::u16string servicePack;
  std::u16string systemName;  // kPlatformOther only
};
// The version the system's native service reports (not the compatibility answer a program
// without a manifest gets); false when it cannot tell.
bool GetOsVersion(OsVersion& version);

// The major, minor and build numbers the ordinary version query gives this program.
bool GetOrdinaryOsVersion(uint32_t& major, uint32_t& minor, uint32_t& build);

// Whether this (32-bit) program runs on a 64-bit system.
bool IsOn64BitSystem();

// The edition: Windows gives a product type (its PRODUCT_ values) for the library's table to
// name; other systems give the name itself. False when neither is known.
struct OsEdition {
  bool hasProductType;
  uint32_t productType;
  std::u16string name;  // when there is no product type
};
bool GetOsEdition(OsEdition& edition);

// Memory sizes in bytes.
struct MemoryStatus {
  uint64_t totalPhysical;
  uint64_t availablePhysical;
  uint64_t totalPageFile;  // the commit limit
  uint64_t availablePageFile;
};
bool GetMemoryStatus(MemoryStatus& status);

// The number of logical processors.
uint32_t GetProcessorCount();

// The first processor's clock in MHz as the system records it (Windows: "~MHz", then "~Mhz",
// then "~mhz"), 0 when unknown; and its name ("ProcessorNameString"), which is left empty when
// unknown or when it does not fit `nameCapacity` units with the terminator.
void GetProcessorDescription(uint32_t& megahertz, char16_t* name, size_t nameCapacity);

}  // namespace platform
