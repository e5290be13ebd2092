#include "platform/profile_string.h"

#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/profile_text.h"

namespace platform {

namespace {

bool ReadWholeFile(const char16_t* path, std::string& bytes) {
  const FileHandle file = OpenFile(path, kGenericRead, kShareRead, kOpenExisting, 0);
  if (file == kInvalidFileHandle) return false;
  char block[4096];
  uint32_t done = 0;
  bool read;
  while ((read = ReadFile(file, block, sizeof block, &done)) && done > 0) bytes.append(block, done);
  CloseFile(file);
  return read;
}

}  // namespace

size_t ReadProfileString(const char16_t* section, const char16_t* key, char16_t* out,
                         size_t capacity, const char16_t* path) {
  if (!out || capacity == 0) return 0;
  out[0] = 0;
  if (!section || !key || !path) return 0;
  try {
    std::string bytes;
    std::u16string value;
    if (!ReadWholeFile(path, bytes) ||
        !FindProfileValue(DecodeProfileText(bytes), section, key, value)) {
      return 0;
    }
    const size_t length = value.copy(out, capacity - 1);
    out[length] = 0;
    return length;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace platform
