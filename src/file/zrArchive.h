// One mounted archive: its checked member index and a table of member handles through which
// zrBigFile reads members, plain or deciphered block by block.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "file/archive_format.h"
#include "file/zrProtect.h"
#include "platform/file_system.h"

constexpr uint32_t kArchiveHandleMagic = 0x4E45504F;  // "OPEN" read as a little-endian word

struct zrArchiveHandle {
  uint32_t magic;  // kArchiveHandleMagic while in use, 0 when free
  int32_t start;
  int32_t absolute;
  int32_t relative;
  int32_t size;
  char16_t name[260];
  uint32_t flags;
};

class zrArchive {
 public:
  zrArchive() = default;
  ~zrArchive();
  zrArchive(const zrArchive&) = delete;
  zrArchive& operator=(const zrArchive&) = delete;

  // Opens the archive file and checks all of its header and index. A key (null, 0 for none) must
  // be given exactly for an enciphered archive, and a wrong one fails here. 1 on success; 0
  // otherwise, with a one-line reason in `reason` when given. An archive opens once.
  int32_t Mount(const char16_t* path, const void* key = nullptr, uint32_t keyLength = 0,
                const char** reason = nullptr);

  // The archive file's name without folder and extension (what a request names it by).
  const char16_t* Name() const { return name_; }
  uint32_t HandleLimit() const { return contents_.handleLimit; }
  bool Enciphered() const { return contents_.enciphered; }
  const archive_format::Index& Index() const { return contents_.index; }

  // A handle index, or -1 when there is no such member. Every handle in use is a broken
  // contract: the process ends.
  int32_t OpenMember(const char16_t* name);
  void CloseMember(int32_t handle);
  int32_t ReadMember(int32_t handle, void* buffer, int32_t count);
  // Move types: 0 from the member's start, 1 from the current position.
  int32_t SeekMember(int32_t handle, int32_t value, int32_t moveType);
  int32_t MemberExists(const char16_t* name);
  int32_t GetPosition(int32_t handle);
  int32_t GetSize(int32_t handle);
  const char16_t* GetName(int32_t handle, char16_t* out, size_t capacity);

 private:
  zrArchiveHandle* OpenHandle(int32_t handle);
  void ReadRaw(zrArchiveHandle& member, int32_t absolute, void* buffer, int32_t count);
  int32_t ReadPlain(zrArchiveHandle& member, uint8_t* buffer, int32_t count);
  int32_t ReadEnciphered(zrArchiveHandle& member, uint8_t* buffer, int32_t count);

  archive_format::Contents contents_;
  std::vector<zrArchiveHandle> handles_;
  platform::FileHandle file_ = platform::kInvalidFileHandle;
  char16_t name_[260] = {};
  zrProtect cipher_;
  // Members are read with one shared file pointer; the preload thread may read beside a caller.
  std::mutex mutex_;
};
