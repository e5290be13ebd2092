// The interface every file of the library is reached through: a disk file, an archive member or
// a file in memory. Sizes, counts and positions are signed 32-bit; the base answers every slot
// with its failure value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "system/zrClassBase.h"

// Mode word bits.
constexpr uint32_t ZRFILE_READ = 0x001;
constexpr uint32_t ZRFILE_WRITE = 0x002;
constexpr uint32_t ZRFILE_OPEN_EXISTING = 0x100;
constexpr uint32_t ZRFILE_CREATE_NEW = 0x200;
constexpr uint32_t ZRFILE_CREATE_ALWAYS = 0x400;
constexpr uint32_t ZRFILE_OPEN_ALWAYS = 0x800;

class zrFileBase : public zrClassBase {
 public:
  virtual int32_t Open(const char16_t* path, uint32_t mode);
  virtual int32_t Close();
  virtual int32_t Read(void* buffer, int32_t count);
  virtual int32_t Write(const void* buffer, int32_t count);
  virtual int32_t GetPosition();
  virtual int32_t Seek(int32_t position);
  // Copies the name into `out` (capacity units) when given; returns the object's own copy.
  virtual const char16_t* GetName(char16_t* out = nullptr, size_t capacity = 256);
  virtual int32_t GetFileSizeOf(const char16_t* path);
  virtual int32_t GetSize();
  virtual intptr_t GetHandle();
  virtual int32_t Exists(const char16_t* path);
  virtual int32_t GetAttributes(const char16_t* path);
  virtual int32_t SetAttributes(const char16_t* path, uint32_t attributes);
  virtual int32_t Delete(const char16_t* path, int32_t force);
};
