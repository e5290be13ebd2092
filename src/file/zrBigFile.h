// A member of a mounted archive, read through the common file interface. The archive must
// outlive the object.
#pragma once

#include "file/zrArchive.h"
#include "file/zrFileBase.h"

class zrBigFile : public zrFileBase {
 public:
  explicit zrBigFile(zrArchive* archive) : archive_(archive) {}
  ~zrBigFile() override;
  zrBigFile(const zrBigFile&) = delete;
  zrBigFile& operator=(const zrBigFile&) = delete;

  int32_t Open(const char16_t* name, uint32_t mode) override;
  int32_t Close() override;
  int32_t Read(void* buffer, int32_t count) override;
  int32_t GetPosition() override;
  int32_t Seek(int32_t position) override;
  const char16_t* GetName(char16_t* out = nullptr, size_t capacity = 256) override;
  int32_t GetSize() override;
  int32_t Exists(const char16_t* name) override;
  int32_t GetAttributes(const char16_t* name) override;

 private:
  bool IsOpen() const { return archive_ && handle_ >= 0; }

  zrArchive* const archive_;
  int32_t handle_ = -1;
};
