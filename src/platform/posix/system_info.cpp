#include "platform/system_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <new>
#include <sstream>

#include "platform/posix/host_description.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

std::string ReadTextFile(const char* path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A text that does not fit with its terminator is not copied at all.
void CopyIfItFits(const std::string& text, char16_t* out, size_t capacity) {
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() + 1 > capacity) return;
  wide.copy(out, wide.size());
  out[wide.size()] = 0;
}

}  // namespace

bool GetOsVersion(OsVersion& version) try {
  utsname names;
  if (uname(&names) != 0) return false;
  version.platformId = kPlatformOther;
  ParseKernelRelease(names.release, version.major, version.minor, version.build);
  version.servicePack.clear();
  version.systemName = Utf8ToUtf16(names.sysname);
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

bool GetOrdinaryOsVersion(uint32_t& major, uint32_t& minor, uint32_t& build) {
  OsVersion version;
  if (!GetOsVersion(version)) return false;
  major = version.major;
  minor = version.minor;
  build = version.build;
  return true;
}

bool IsOn64BitSystem() {
  utsname names;
  return uname(&names) == 0 && IsMachine64Bit(names.machine);
}

bool GetOsEdition(OsEdition& edition) try {
  std::string name = PrettyNameOf(ReadTextFile("/etc/os-release"));
  if (name.empty()) name = PrettyNameOf(ReadTextFile("/usr/lib/os-release"));
  if (name.empty()) return false;
  edition.hasProductType = false;
  edition.productType = 0;
  edition.name = Utf8ToUtf16(name);
  return true;
} catch (const std::bad_alloc&) {
  return false;
}

bool GetMemoryStatus(MemoryStatus& status) try {
  return ParseMemInfo(ReadTextFile("/proc/meminfo"), status);
} catch (const std::bad_alloc&) {
  return false;
}

uint32_t GetProcessorCount() {
  const long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count > 0 ? static_cast<uint32_t>(count) : 0;
}

void GetProcessorDescription(uint32_t& megahertz, char16_t* name, size_t nameCapacity) {
  megahertz = 0;
  if (nameCapacity > 0) name[0] = 0;
  try {
    std::string modelName;
    ParseCpuInfo(ReadTextFile("/proc/cpuinfo"), modelName, megahertz);
    CopyIfItFits(modelName, name, nameCapacity);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace platform
