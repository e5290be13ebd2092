// Reads arbitrary bytes as a Windows executable's version resource, and walks them directly as
// a version block, with the queries the updater makes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/version_resource.h"
#include "scratch_file.h"

namespace {

void Query(const std::vector<uint8_t>& block) {
  uint32_t translation = 0x041104B0;
  platform::QueryVersionTranslation(block, translation);
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%08x\\", translation);
  std::u16string value;
  for (const char* name : {"FileVersion", "CompanyName", "ProductName"}) {
    const std::string path = std::string(prefix) + name;
    platform::QueryVersionString(block, std::u16string(path.begin(), path.end()).c_str(), value);
  }
  platform::QueryVersionString(block, u"\\", value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchFile scratch;
  scratch.Write(data, size);
  std::vector<uint8_t> block;
  if (platform::LoadVersionInfo(scratch.WidePath(), block)) Query(block);
  Query(std::vector<uint8_t>(data, data + size));
  return 0;
}
