#include "file/zrMemFile.h"

#include <cstdint>
#include <cstring>

#include "system/bounded_text.h"
#include "system/heap.h"
#include "system/trace.h"

namespace {

constexpr char kNotOpen[] = "zrMemFile : ファイルがオープンされていません";

// A zero-filled heap block of `size` bytes (a size is never negative), or null.
unsigned char* AllocateZeroed(int64_t size) {
  auto* block = static_cast<unsigned char*>(zrHeapAlloc(0, static_cast<uint32_t>(size)));
  if (block) std::memset(block, 0, static_cast<size_t>(size));
  return block;
}

}  // namespace

zrMemFile::~zrMemFile() {
  if (data_) Close();
}

int32_t zrMemFile::Create(uint32_t capacity) {
  if (data_ || capacity > static_cast<uint32_t>(INT32_MAX)) return 0;
  unsigned char* block = AllocateZeroed(capacity);
  if (!block) return 0;
  Adopt(block, static_cast<int32_t>(capacity), capacity);
  position_ = 0;
  return 1;
}

int32_t zrMemFile::LoadFromFile(zrFileBase* file) {
  if (!file || data_) return 0;
  const int32_t size = file->GetSize();
  if (size < 0) return 0;
  auto* block = static_cast<unsigned char*>(zrHeapAlloc(0, static_cast<uint32_t>(size)));
  if (!block) return 0;
  // A short or failed read would pass the rest of the block off as the file's bytes.
  if (size > 0 && file->Read(block, size) != size) {
    zrHeapFree(block);
    return 0;
  }
  name_[0] = 0;
  file->GetName(name_, sizeof name_ / sizeof name_[0]);
  Adopt(block, size, 0);
  return 1;
}

int32_t zrMemFile::LoadFromMemory(const char16_t* name, const void* bytes, uint32_t count) {
  if (!bytes || data_ || count > static_cast<uint32_t>(INT32_MAX)) return 0;
  auto* block = static_cast<unsigned char*>(zrHeapAlloc(0, count));
  if (!block) return 0;
  std::memcpy(block, bytes, count);
  CopyWide(name_, name);
  Adopt(block, static_cast<int32_t>(count), 0);
  return 1;
}

int32_t zrMemFile::ShareFrom(const zrMemFile* other) {
  if (data_ || !other || !other->data_) return 0;
  mode_ = other->mode_;
  reservedHandle_ = other->reservedHandle_;
  CopyWide(name_, other->name_);
  position_ = other->position_;
  Adopt(other->data_, other->size_, 0);
  borrowed_ = true;
  return 1;
}

int32_t zrMemFile::GetBuffer(void** data, uint32_t* length) {
  if (!data_) return 0;
  if (data) *data = data_;
  // A position left from earlier contents, or that of a seek in an empty file, is no length of
  // this block.
  if (length)
    *length = position_ < 0 ? 0 : static_cast<uint32_t>(position_ < size_ ? position_ : size_);
  return 1;
}

int32_t zrMemFile::Open(const char16_t*, uint32_t) {
  return 1;
}

int32_t zrMemFile::Close() {
  if (!data_) return 0;
  if (!borrowed_) zrHeapFree(data_);
  data_ = nullptr;
  size_ = 0;
  borrowed_ = false;
  return 1;
}

int32_t zrMemFile::Read(void* buffer, int32_t count) {
  if (!data_) {
    Trace(kNotOpen);
    return -1;
  }
  // Compared unsigned: the position of a seek in an empty file (-1) is past the end too.
  if (count < 0 || (!buffer && count > 0) ||
      static_cast<uint32_t>(position_) >= static_cast<uint32_t>(size_)) {
    return -1;
  }
  const int32_t left = size_ - position_;
  const int32_t done = count < left ? count : left;
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(done));
  position_ += done;
  return done;
}

int32_t zrMemFile::Write(const void* buffer, int32_t count) {
  if (!data_) {
    Trace(kNotOpen);
    return -1;
  }
  if (count < 0 || position_ < 0 || (!buffer && count > 0)) return -1;
  const int64_t end = static_cast<int64_t>(position_) + count;
  const int64_t size = SizeForWriteUpTo(end);
  if (size > INT32_MAX) return -1;
  // The owner's bytes are never changed through a borrowed block: the first write takes a copy.
  if ((size != size_ || borrowed_) && !Reallocate(size)) return -1;
  // The block now reaches past the written bytes.
  std::memcpy(data_ + position_, buffer, static_cast<size_t>(count));
  position_ += count;
  return count;
}

int32_t zrMemFile::GetPosition() {
  return position_;
}

int32_t zrMemFile::Seek(int32_t position) {
  if (!data_) return -1;
  // Never on or past the end, compared unsigned: -1 lands on the last byte, and an empty file
  // gives -1.
  position_ = static_cast<uint32_t>(position) < static_cast<uint32_t>(size_) ? position : size_ - 1;
  return position_;
}

const char16_t* zrMemFile::GetName(char16_t* out, size_t capacity) {
  if (!data_) return nullptr;
  if (out) CopyWide(out, capacity, name_);
  return name_;
}

int32_t zrMemFile::GetSize() {
  return data_ ? size_ : -1;
}

int32_t zrMemFile::Exists(const char16_t*) {
  return 0;
}

int32_t zrMemFile::GetAttributes(const char16_t*) {
  return 0;
}

void zrMemFile::Adopt(unsigned char* block, int32_t size, uint32_t growthStep) {
  data_ = block;
  size_ = size;
  growthStep_ = growthStep;
  borrowed_ = false;
}

int64_t zrMemFile::SizeForWriteUpTo(int64_t end) const {
  // A file created with a step grows by whole steps while its size is not greater than the end,
  // so the block always keeps room past the written bytes.
  if (growthStep_ > 0) {
    if (size_ > end) return size_;
    const int64_t steps = (end - size_) / growthStep_ + 1;
    return size_ + steps * growthStep_;
  }
  // Without a step a write grows the block by exactly what it needs.
  return end > size_ ? end : size_;
}

bool zrMemFile::Reallocate(int64_t size) {
  unsigned char* block = AllocateZeroed(size);
  if (!block) return false;
  std::memcpy(block, data_, static_cast<size_t>(size_));
  if (!borrowed_) zrHeapFree(data_);
  Adopt(block, static_cast<int32_t>(size), growthStep_);
  return true;
}
