#include "file/zrArchive.h"

#include <algorithm>
#include <cstring>

#include "system/bounded_text.h"
#include "system/paths.h"
#include "system/text_case.h"
#include "system/trace.h"

namespace {

// The index key of a requested name; false for a name too long to be a member's (a cut one
// could name another member).
bool UpperKey(const char16_t* name, char16_t (&key)[260]) {
  if (!name || WideLength(name) >= 260) return false;
  CopyWide(key, name);
  ToUpperW(key);
  return true;
}

}  // namespace

zrArchive::~zrArchive() {
  if (file_ != platform::kInvalidFileHandle) platform::CloseFile(file_);
}

int32_t zrArchive::Mount(const char16_t* path, const void* key, uint32_t keyLength,
                         const char** reason) {
  const char* failure = nullptr;
  if (file_ != platform::kInvalidFileHandle) {
    failure = "the archive object is in use";
  } else if (!path || (file_ = platform::OpenFile(path, platform::kGenericRead,
                                                  platform::kShareRead, platform::kOpenExisting,
                                                  0)) == platform::kInvalidFileHandle) {
    failure = "the archive cannot be opened";
  } else {
    failure = archive_format::ReadContents(file_, key, keyLength, contents_, cipher_);
  }
  if (reason) *reason = failure;
  if (failure) {
    if (file_ != platform::kInvalidFileHandle) platform::CloseFile(file_);
    file_ = platform::kInvalidFileHandle;
    contents_ = archive_format::Contents();
    return 0;
  }
  handles_.assign(contents_.handleLimit, zrArchiveHandle{});
  GetFileNamePart(path, name_, 260);
  ReplaceExtension(name_, 260, nullptr);
  return 1;
}

zrArchiveHandle* zrArchive::OpenHandle(int32_t handle) {
  if (handle < 0 || static_cast<size_t>(handle) >= handles_.size()) return nullptr;
  zrArchiveHandle& member = handles_[handle];
  return member.magic == kArchiveHandleMagic ? &member : nullptr;
}

int32_t zrArchive::OpenMember(const char16_t* name) {
  if (!name) return -1;
  std::lock_guard<std::mutex> guard(mutex_);
  const auto free = std::find_if(handles_.begin(), handles_.end(),
                                 [](const zrArchiveHandle& h) { return h.magic == 0; });
  if (free == handles_.end()) {
    ContractViolationW(u"同時にオープンできるファイル数を超えています (MAX:%d) : %s",
                       static_cast<int>(handles_.size()), name);
  }
  char16_t key[260];
  if (!UpperKey(name, key)) return -1;
  const auto found = contents_.index.find(key);
  if (found == contents_.index.end()) return -1;

  const archive_format::Entry& entry = found->second;
  free->start = free->absolute = static_cast<int32_t>(entry.offset);
  free->relative = 0;
  free->size = static_cast<int32_t>(entry.size);
  CopyWide(free->name, name);
  free->flags = entry.flags;
  free->magic = kArchiveHandleMagic;
  return static_cast<int32_t>(free - handles_.begin());
}

void zrArchive::CloseMember(int32_t handle) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (zrArchiveHandle* member = OpenHandle(handle)) *member = zrArchiveHandle{};
}

void zrArchive::ReadRaw(zrArchiveHandle& member, int32_t absolute, void* buffer, int32_t count) {
  uint32_t done = 0;
  if (platform::SeekFile(file_, absolute) != absolute ||
      !platform::ReadFile(file_, buffer, static_cast<uint32_t>(count), &done)) {
    ContractViolationW(u"読み込みに失敗 (%s:%d)", member.name, member.size);
  }
  // The index was checked against the file's size at mount: a short read means the file was cut
  // since, and a block cut short cannot be deciphered.
  if (done != static_cast<uint32_t>(count)) {
    ContractViolationW(u"暗号化解除エラー (%s:%d)", member.name, member.size);
  }
}

int32_t zrArchive::ReadMember(int32_t handle, void* buffer, int32_t count) {
  std::lock_guard<std::mutex> guard(mutex_);
  zrArchiveHandle* member = OpenHandle(handle);
  if (!member) return 0;
  if (!buffer) ContractViolation("読み込み先バッファが指定されていません");
  if (count < 0) return -1;
  count = std::min(count, member->size - member->relative);
  if (count <= 0) return 0;
  auto* out = static_cast<uint8_t*>(buffer);
  return contents_.enciphered ? ReadEnciphered(*member, out, count)
                              : ReadPlain(*member, out, count);
}

int32_t zrArchive::ReadPlain(zrArchiveHandle& member, uint8_t* buffer, int32_t count) {
  uint32_t done = 0;
  if (platform::SeekFile(file_, member.absolute) != member.absolute ||
      !platform::ReadFile(file_, buffer, static_cast<uint32_t>(count), &done)) {
    ContractViolationW(u"読み込みに失敗 (%s:%d)", member.name, member.size);
  }
  member.absolute += static_cast<int32_t>(done);
  member.relative += static_cast<int32_t>(done);
  return static_cast<int32_t>(done);
}

// Cipher blocks are the 8-byte blocks counted from the member's start; a final part under 8
// bytes is stored plain. A read delivers a partly wanted first block, then whole blocks straight
// into the caller's buffer, then a partly wanted last block.
int32_t zrArchive::ReadEnciphered(zrArchiveHandle& member, uint8_t* buffer, int32_t count) {
  int32_t left = count;
  auto advance = [&](int32_t bytes) {
    member.absolute += bytes;
    member.relative += bytes;
    buffer += bytes;
    left -= bytes;
  };
  const int32_t inBlock = member.relative % 8;
  if (inBlock != 0 && member.relative / 8 != member.size / 8) {
    uint8_t block[8] = {};
    ReadRaw(member, member.absolute - inBlock, block, 8);
    cipher_.Decrypt(block, block, 8);
    const int32_t take = std::min(8 - inBlock, left);
    std::memcpy(buffer, block + inBlock, take);
    advance(take);
  }
  if (left >= 8) {
    const int32_t whole = left & ~7;
    ReadRaw(member, member.absolute, buffer, whole);
    cipher_.Decrypt(buffer, buffer, static_cast<uint32_t>(whole));
    advance(whole);
  }
  if (left > 0) {
    if (member.size - member.relative < 8) {
      ReadRaw(member, member.absolute, buffer, left);
    } else {
      uint8_t block[8] = {};
      ReadRaw(member, member.absolute, block, 8);
      cipher_.Decrypt(block, block, 8);
      std::memcpy(buffer, block, left);
    }
    advance(left);
  }
  return count;
}

int32_t zrArchive::SeekMember(int32_t handle, int32_t value, int32_t moveType) {
  zrArchiveHandle* member = OpenHandle(handle);
  if (!member) return 0;
  if (moveType != 0 && moveType != 1) ContractViolation("ファイルポインタ移動タイプが不正です");
  const int64_t target = moveType == 0 ? int64_t{value} : int64_t{member->relative} + value;
  // Compared unsigned, as a disk file's seek is: a position before the start lands on the last
  // byte too, and an empty member stays at 0, so a read never leaves the member.
  if (target >= 0 && target < member->size) {
    member->relative = static_cast<int32_t>(target);
    member->absolute = member->start + member->relative;
    return value;
  }
  member->relative = std::max(member->size - 1, 0);
  member->absolute = member->start + member->relative;
  return static_cast<int32_t>(int64_t{value} + member->size - target);
}

int32_t zrArchive::MemberExists(const char16_t* name) {
  char16_t key[260];
  return UpperKey(name, key) && contents_.index.count(key) ? 1 : 0;
}

int32_t zrArchive::GetPosition(int32_t handle) {
  const zrArchiveHandle* member = OpenHandle(handle);
  return member ? member->relative : 0;
}

int32_t zrArchive::GetSize(int32_t handle) {
  const zrArchiveHandle* member = OpenHandle(handle);
  return member ? member->size : -1;
}

const char16_t* zrArchive::GetName(int32_t handle, char16_t* out, size_t capacity) {
  zrArchiveHandle* member = OpenHandle(handle);
  if (!member) return nullptr;
  if (out) CopyWide(out, capacity, member->name);
  return member->name;
}
