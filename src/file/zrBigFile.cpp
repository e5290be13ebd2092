#include "file/zrBigFile.h"

#include "platform/file_system.h"
#include "system/trace.h"

zrBigFile::~zrBigFile() {
  Close();
}

int32_t zrBigFile::Open(const char16_t* name, uint32_t mode) {
  if (!archive_ || !(mode & ZRFILE_READ)) return 0;
  // A second open would lose the first member's handle for good.
  Close();
  handle_ = archive_->OpenMember(name);
  return handle_ >= 0 ? 1 : 0;
}

int32_t zrBigFile::Close() {
  if (!IsOpen()) return 0;
  archive_->CloseMember(handle_);
  handle_ = -1;
  return 1;
}

int32_t zrBigFile::Read(void* buffer, int32_t count) {
  if (!archive_) {
    Trace("zrBigFile : 統合ファイルがオープンされていません");
    return -1;
  }
  if (handle_ < 0) {
    Trace("zrBigFile : ファイルハンドルが無効です");
    return -1;
  }
  return archive_->ReadMember(handle_, buffer, count);
}

int32_t zrBigFile::GetPosition() {
  return IsOpen() ? archive_->GetPosition(handle_) : 0;
}

int32_t zrBigFile::Seek(int32_t position) {
  return IsOpen() ? archive_->SeekMember(handle_, position, 0) : 0;
}

const char16_t* zrBigFile::GetName(char16_t* out, size_t capacity) {
  return IsOpen() ? archive_->GetName(handle_, out, capacity) : nullptr;
}

int32_t zrBigFile::GetSize() {
  return IsOpen() ? archive_->GetSize(handle_) : -1;
}

int32_t zrBigFile::Exists(const char16_t* name) {
  return archive_ ? archive_->MemberExists(name) : 0;
}

int32_t zrBigFile::GetAttributes(const char16_t*) {
  return static_cast<int32_t>(platform::kAttributeNormal);
}
