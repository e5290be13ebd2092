#include "common/tool_files.h"

#include "file/zrFile.h"

bool ReadWholeFile(const std::u16string& path, std::vector<uint8_t>& bytes) {
  zrFile file;
  if (!file.Open(path.c_str(), ZRFILE_READ | ZRFILE_OPEN_EXISTING)) return false;
  const int32_t size = file.GetSize();
  if (size < 0) return false;
  bytes.resize(static_cast<size_t>(size));
  return size == 0 || file.Read(bytes.data(), size) == size;
}

bool WriteWholeFile(const std::u16string& path, const void* data, uint32_t size) {
  zrFile file;
  if (!file.Open(path.c_str(), ZRFILE_WRITE | ZRFILE_CREATE_ALWAYS)) return false;
  const auto count = static_cast<int32_t>(size);
  return count >= 0 && (size == 0 || file.Write(data, count) == count);
}
