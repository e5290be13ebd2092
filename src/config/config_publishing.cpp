#include "config/config_publishing.h"

#include <cstring>
#include <memory>
#include <string>

#include "config/config_keys.h"
#include "platform/executable_path.h"
#include "system/heap.h"
#include "system/paths.h"
#include "system/text_case.h"
#include "system/text_encoding.h"

namespace {

constexpr int kPayloadHeapId = 0;

bool IsItem(const char16_t* itemName, const char* item) {
  return std::u16string(itemName) == std::u16string(item, item + std::strlen(item));
}

int32_t Answer(const void* bytes, uint32_t size, void** data, uint32_t* length) {
  void* block = zrHeapAlloc(kPayloadHeapId, size);
  if (!block) return 0;
  std::memcpy(block, bytes, size);
  *data = block;
  *length = size;
  return 1;
}

bool SameFolder(char (&a)[kConfigPathBytes], char (&b)[kConfigPathBytes]) {
  a[kConfigPathBytes - 1] = 0;
  b[kConfigPathBytes - 1] = 0;
  ToLowerA(a);
  ToLowerA(b);
  return a[0] != 0 && std::strcmp(a, b) == 0;
}

}  // namespace

void GetProgramFolder(char (&folder)[kConfigPathBytes]) {
  std::memset(folder, 0, sizeof folder);
  char16_t path[kConfigPathBytes];
  char16_t directory[kConfigPathBytes];
  if (platform::GetExecutablePath(path, kConfigPathBytes) == 0 ||
      !GetDirectoryPart(path, directory, kConfigPathBytes) ||
      WideToSjis(folder, sizeof folder, directory) == 0) {
    std::memset(folder, 0, sizeof folder);
  }
}

int32_t AnswerConfigItem(const ConfigSettings& settings, const char16_t* itemName, void** data,
                         uint32_t* size) {
  if (!itemName || !data || !size) return 0;
  if (IsItem(itemName, kConfigBlockItem)) return Answer(&settings, sizeof settings, data, size);
  if (IsItem(itemName, kConfigPathItem)) {
    char folder[kConfigPathBytes];
    GetProgramFolder(folder);
    return Answer(folder, sizeof folder, data, size);
  }
  return 0;
}

bool FetchConfigBlock(zrDDE& dde, ConfigSettings& settings) {
  dde.Connect(kConfigServerName);  // an existing conversation with the server serves as well
  char theirs[kConfigPathBytes] = {};
  char ours[kConfigPathBytes];
  GetProgramFolder(ours);
  if (!dde.GetServerData(kConfigPathItem, theirs, sizeof theirs, kConfigServerName) ||
      !SameFolder(theirs, ours)) {
    return false;
  }
  // A shorter answer leaves the rest as loaded; another process's texts end in their fields.
  auto fetched = std::make_unique<ConfigSettings>(settings);
  if (!dde.GetServerData(kConfigBlockItem, fetched.get(), sizeof(ConfigSettings),
                         kConfigServerName)) {
    return false;
  }
  TerminateSettingTexts(*fetched);
  settings = *fetched;
  return true;
}
