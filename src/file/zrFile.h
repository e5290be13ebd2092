// A file on disk.
#pragma once

#include "file/zrFileBase.h"
#include "platform/file_system.h"

class zrFile : public zrFileBase {
 public:
  zrFile() = default;
  ~zrFile() override;
  zrFile(const zrFile&) = delete;
  zrFile& operator=(const zrFile&) = delete;

  int32_t Open(const char16_t* path, uint32_t mode) override;
  int32_t Close() override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t Write(const void* buffer, int32_t count) override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  const char16_t* GetName(char16_t* out = nullptr, size_t capacity = 256) override;
  // Sizes of 2 GiB and more cannot be told in 32 bits: both give -1 for them.
  int32_t GetFileSizeOf(const char16_t* path) override;
  int32_t GetSize() override;
  intptr_t GetHandle() override;
  int32_t Exists(const char16_t* path) override;
  int32_t GetAttributes(const char16_t* path) override;
  int32_t SetAttributes(const char16_t* path, uint32_t attributes) override;
  int32_t Delete(const char16_t* path, int32_t force) override;

  // Full 64-bit size of the file at `path`; 0 when it is missing or a folder.
  static int64_t GetFileSize64Of(const char16_t* path);

 private:
  bool IsOpen() const { return handle_ != platform::kInvalidFileHandle; }

  uint32_t mode_ = 0xFFFFFFFFu;
  platform::FileHandle handle_ = platform::kInvalidFileHandle;
  char16_t name_[256] = {};
  int32_t position_ = 0;
};
