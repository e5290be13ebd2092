#include "system/caps_publishing.h"

#include <cstring>

#include "system/bounded_text.h"
#include "system/heap.h"

namespace {

constexpr int kPayloadHeapId = 0;

bool SameText(const char16_t* wide, const char* ascii) {
  while (*wide && *wide == static_cast<unsigned char>(*ascii)) {
    ++wide;
    ++ascii;
  }
  return *wide == 0 && *ascii == 0;
}

int32_t Answer(const void* bytes, uint32_t size, void** data, uint32_t* length) {
  void* block = zrHeapAlloc(kPayloadHeapId, size);
  if (!block) return 0;
  std::memcpy(block, bytes, size);
  *data = block;
  *length = size;
  return 1;
}

}  // namespace

int32_t AnswerCapsItem(zrCaps& caps, const char16_t* itemName, void** data, uint32_t* size) {
  if (!itemName || !data || !size) return 0;
  if (SameText(itemName, kCapsDirectXCodeItem)) {
    const uint32_t code = caps.directXCode();
    return Answer(&code, sizeof code, data, size);
  }
  if (SameText(itemName, kCapsDirectXTextItem)) {
    char16_t text[130] = {};  // the 128 units of the field and one more zero unit
    const size_t length = CopyWide(text, caps.directXText());
    return Answer(text, static_cast<uint32_t>(2 * length + 4), data, size);
  }
  if (SameText(itemName, kCapsCpuItem)) {
    return Answer(caps.GetCpuInfo(), sizeof(CpuInfo), data, size);
  }
  return 0;
}
