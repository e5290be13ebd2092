#include "file/zrFile.h"

#include <cstdint>

#include "system/bounded_text.h"
#include "system/trace.h"

namespace {

// The creation disposition of a mode word without ZRFILE_CREATE_ALWAYS: open-existing (3) wins
// over create-new (1); open-always adds 4. The sums 0 and 7 are left for the system to refuse.
uint32_t DispositionOf(uint32_t mode) {
  uint32_t disposition = 0;
  if (mode & ZRFILE_OPEN_EXISTING) {
    disposition = platform::kOpenExisting;
  } else if (mode & ZRFILE_CREATE_NEW) {
    disposition = platform::kCreateNew;
  }
  if (mode & ZRFILE_OPEN_ALWAYS) disposition += platform::kOpenAlways;
  return disposition;
}

bool FindEntry(const char16_t* path, platform::FindData* data) {
  if (!path) return false;
  const platform::FindHandle search = platform::FindFirstFile(path, data);
  if (search == platform::kInvalidFindHandle) return false;
  platform::FindClose(search);
  return true;
}

// Sizes are signed 32-bit values here. A larger file has no size that could be told, and a cut
// one would make its readers take a prefix for the whole file: it is a failure (-1).
int32_t ReportableSize(uint64_t size) {
  return size <= static_cast<uint64_t>(INT32_MAX) ? static_cast<int32_t>(size) : -1;
}

}  // namespace

zrFile::~zrFile() {
  if (IsOpen()) Close();
}

int32_t zrFile::Open(const char16_t* path, uint32_t mode) {
  if (IsOpen()) ContractViolation("既に違うファイルがオープンされています");
  if (!(mode & (ZRFILE_READ | ZRFILE_WRITE))) {
    ContractViolation("ZRFILE_READ 又は ZRFILE_WRITE を指定してください");
  }

  platform::FileHandle handle;
  if (mode & ZRFILE_CREATE_ALWAYS) {
    if (mode & ZRFILE_READ) ContractViolation("ZRFILE_READ ではアクセス出来ません");
    // Create-new then truncate-existing rather than the system's create-always.
    handle = platform::OpenFile(path, platform::kGenericWrite, platform::kShareNone,
                                platform::kCreateNew, platform::kAttributeNormal);
    if (handle == platform::kInvalidFileHandle) {
      handle = platform::OpenFile(path, platform::kGenericWrite, platform::kShareNone,
                                  platform::kTruncateExisting, platform::kAttributeNormal);
    }
  } else {
    const bool reads = (mode & ZRFILE_READ) != 0;
    handle = platform::OpenFile(path, reads ? platform::kGenericRead : platform::kGenericWrite,
                                reads ? platform::kShareRead : platform::kShareNone,
                                DispositionOf(mode), reads ? 0 : platform::kAttributeNormal);
  }
  if (handle == platform::kInvalidFileHandle) return 0;

  handle_ = handle;
  // A longer path was opened in full; the name keeps what fits.
  CopyWide(name_, path);
  mode_ = mode;
  position_ = 0;
  return 1;
}

int32_t zrFile::Close() {
  if (!IsOpen()) return 0;
  if (!platform::CloseFile(handle_)) return 0;
  mode_ = 0xFFFFFFFFu;
  handle_ = platform::kInvalidFileHandle;
  name_[0] = 0;
  position_ = 0;
  return 1;
}

int32_t zrFile::Read(void* buffer, int32_t count) {
  if (!IsOpen()) {
    Trace("zrFile : ハンドルが無効です");
    return -1;
  }
  if (!(mode_ & ZRFILE_READ)) {
    ContractViolationW(u"読み込みモードでオープンされていません : %s", name_);
  }
  if (count < 0) {
    TraceW(u"Read file failed : %d", static_cast<int>(platform::kErrorInvalidParameter));
    return -1;
  }
  uint32_t done = 0;
  if (!platform::ReadFile(handle_, buffer, static_cast<uint32_t>(count), &done)) {
    TraceW(u"Read file failed : %d", static_cast<int>(platform::LastError()));
    return -1;
  }
  position_ = static_cast<int32_t>(static_cast<uint32_t>(position_) + done);
  return static_cast<int32_t>(done);
}

int32_t zrFile::Write(const void* buffer, int32_t count) {
  if (!IsOpen()) return -1;
  if (!(mode_ & ZRFILE_WRITE)) {
    ContractViolationW(u"書き込みモードでオープンされていません : %s", name_);
  }
  if (count < 0) {
    TraceW(u"Write file failed : %d", static_cast<int>(platform::kErrorInvalidParameter));
    return -1;
  }
  uint32_t done = 0;
  if (!platform::WriteFile(handle_, buffer, static_cast<uint32_t>(count), &done)) {
    TraceW(u"Write file failed : %d", static_cast<int>(platform::LastError()));
    return -1;
  }
  position_ = static_cast<int32_t>(static_cast<uint32_t>(position_) + done);
  return static_cast<int32_t>(done);
}

int32_t zrFile::GetPosition() {
  return IsOpen() ? position_ : -1;
}

int32_t zrFile::Seek(int32_t position) {
  if (!IsOpen()) return -1;
  // Never on or past the end, compared unsigned: -1 lands on the last byte, and an empty file
  // asks for -1, which the system refuses.
  const int32_t size = zrFile::GetSize();
  const int32_t target =
      static_cast<uint32_t>(position) < static_cast<uint32_t>(size) ? position : size - 1;
  position_ = static_cast<int32_t>(platform::SeekFile(handle_, target));
  return position_;
}

const char16_t* zrFile::GetName(char16_t* out, size_t capacity) {
  if (!IsOpen()) return nullptr;
  if (out) CopyWide(out, capacity, name_);
  return name_;
}

int32_t zrFile::GetFileSizeOf(const char16_t* path) {
  platform::FindData data;
  if (!FindEntry(path, &data) || (data.attributes & platform::kAttributeDirectory)) return 0;
  return ReportableSize(data.size);
}

int32_t zrFile::GetSize() {
  if (!IsOpen()) return -1;
  const int64_t size = platform::GetFileSize(handle_);
  return size < 0 ? -1 : ReportableSize(static_cast<uint64_t>(size));
}

intptr_t zrFile::GetHandle() {
  return handle_;
}

int32_t zrFile::Exists(const char16_t* path) {
  platform::CriticalErrorsSuppressed quiet;
  platform::FindData data;
  return FindEntry(path, &data) && !(data.attributes & platform::kAttributeDirectory) ? 1 : 0;
}

int32_t zrFile::GetAttributes(const char16_t* path) {
  platform::CriticalErrorsSuppressed quiet;
  const uint32_t attributes = platform::GetFileAttributes(path);
  return attributes == platform::kInvalidAttributes ? -1 : static_cast<int32_t>(attributes);
}

int32_t zrFile::SetAttributes(const char16_t* path, uint32_t attributes) {
  return platform::SetFileAttributes(path, attributes) ? 1 : 0;
}

int32_t zrFile::Delete(const char16_t* path, int32_t force) {
  const int32_t attributes = GetAttributes(path);
  if (attributes == -1) return 0;
  if (force) {
    SetAttributes(path, platform::kAttributeNormal);
    if (attributes & platform::kAttributeDirectory) return 0;
  } else if (attributes & (platform::kAttributeReadOnly | platform::kAttributeHidden |
                           platform::kAttributeSystem | platform::kAttributeDirectory)) {
    return 0;
  }
  return platform::DeleteFile(path) ? 1 : 0;
}

int64_t zrFile::GetFileSize64Of(const char16_t* path) {
  platform::FindData data;
  if (!FindEntry(path, &data) || (data.attributes & platform::kAttributeDirectory)) return 0;
  return static_cast<int64_t>(data.size);
}
