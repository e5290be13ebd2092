// A file whose contents live in one block of the library heap: a whole file loaded into memory
// and read through the common interface, or a growable buffer an encoder writes into.
#pragma once

#include "file/zrFileBase.h"

class zrMemFile : public zrFileBase {
 public:
  zrMemFile() = default;
  ~zrMemFile() override;
  zrMemFile(const zrMemFile&) = delete;
  zrMemFile& operator=(const zrMemFile&) = delete;

  // Each opening operation refuses an object that is open already (0).
  // An empty block of `capacity` bytes that grows in steps of `capacity`.
  int32_t Create(uint32_t capacity);
  // The whole of another file: its name, its size and its bytes.
  int32_t LoadFromFile(zrFileBase* file);
  int32_t LoadFromMemory(const char16_t* name, const void* bytes, uint32_t count);
  // The bytes of another memory file, borrowed: never freed by this one, so they must outlive it.
  int32_t ShareFrom(const zrMemFile* other);
  // The block and the current position (after writing from the start, the bytes written).
  int32_t GetBuffer(void** data, uint32_t* length);

  int32_t Open(const char16_t* path, uint32_t mode) override;
  int32_t Close() override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  const char16_t* GetName(char16_t* out = nullptr, size_t capacity = 256) override;
  int32_t GetSize() override;
  int32_t Exists(const char16_t* path) override;
  int32_t GetAttributes(const char16_t* path) override;

 private:
  // Takes `block` as the contents, owned by this file.
  void Adopt(unsigned char* block, int32_t size, uint32_t growthStep);
  // The block size a write ending at `end` needs; the current size when it fits.
  int64_t SizeForWriteUpTo(int64_t end) const;
  // Moves the contents into a new zero-filled block of `size` bytes owned by this file.
  bool Reallocate(int64_t size);

  int32_t mode_ = -1;
  int32_t reservedHandle_ = -1;
  char16_t name_[256] = {};
  int32_t position_ = 0;
  unsigned char* data_ = nullptr;
  int32_t size_ = 0;
  uint32_t growthStep_ = 0;
  bool borrowed_ = false;
};
