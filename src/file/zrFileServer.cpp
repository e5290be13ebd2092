#include "file/zrFileServer.h"

#include "file/zrFile.h"
#include "system/bounded_text.h"
#include "system/text_case.h"
#include "system/trace.h"

namespace {

zrFileServer* current = nullptr;

// Flags that are no part of the search type.
constexpr uint32_t kNotSearchType = ZRFS_MEMORY | ZRFS_WRITE;

bool FitsField(const char16_t* text, size_t capacity) {
  return WideLength(text) < capacity;
}

bool ValidSlot(int32_t slot) {
  return slot >= 0 && slot < zrFileServer::kSlotCount;
}

}  // namespace

zrFileServer::zrFileServer(bool preloading) : preloading_(preloading) {
  if (current) ContractViolation("zrFileServer は複数作成出来ません");
  current = this;
  if (preloading_) StartPreloading();
}

zrFileServer::~zrFileServer() {
  StopPreloading();
  current = nullptr;
}

zrFileServer* zrFileServer::Current() {
  return current;
}

zrFileBase* zrFileServer::OpenFile(const char16_t* path, uint32_t flags) {
  if (!path) return nullptr;
  if (flags & ZRFS_WRITE) {
    auto file = std::make_unique<zrFile>();
    return file->Open(path, ZRFILE_WRITE | ZRFILE_CREATE_ALWAYS) ? file.release() : nullptr;
  }
  std::unique_ptr<zrFileBase> found(Search(path, flags & ~ZRFS_MEMORY));
  if (!found) {
    if (!(flags & ZRFS_QUIET)) TraceW(u"Open file error > %s", path);
    return nullptr;
  }
  if ((flags & ZRFS_MEMORY) != ZRFS_MEMORY) return found.release();

  auto memory = std::make_unique<zrMemFile>();
  const bool filled = memory->LoadFromFile(found.get()) != 0;
  found->Close();
  return filled ? memory.release() : nullptr;
}

int32_t zrFileServer::FileExists(const char16_t* path) {
  if (!path) return 0;
  std::unique_ptr<zrFileBase> found(Search(path, ZRFS_DISK_FIRST));
  return found ? 1 : 0;
}

int32_t zrFileServer::LoadWholeFile(const char16_t* path, void* buffer, uint32_t flags) {
  std::unique_ptr<zrFileBase> found(path ? Search(path, flags & ~kNotSearchType) : nullptr);
  if (!found) {
    if (!(flags & ZRFS_QUIET)) TraceW(u"Open file error > %s", path);
    return 0;
  }
  const int32_t size = found->GetSize();
  return buffer ? found->Read(buffer, size) : size;
}

void zrFileServer::ReleaseFile(zrFileBase* file) {
  delete file;
}

int32_t zrFileServer::GetFileObjectSize(zrFileBase* file) {
  return file ? file->GetSize() : 0;
}

int32_t zrFileServer::ReadFileObject(zrFileBase* file, void* buffer, int32_t count) {
  return file ? file->Read(buffer, count) : -1;
}

int32_t zrFileServer::ResolvePath(char16_t* out, size_t capacity, const char16_t* path,
                                  const char16_t*) {
  if (out) CopyWide(out, capacity, path);
  return 0;
}

int32_t zrFileServer::SetSlotFolder(int32_t slot, const char16_t* name, const char16_t* folder,
                                    uint32_t useFolder) {
  if (!ValidSlot(slot) || !FitsField(name, 40) || !FitsField(folder, 260)) return 0;
  std::lock_guard<std::mutex> guard(tablesMutex_);
  zrMountSlot& mount = slots_[slot];
  CopyWide(mount.name, name);
  CopyWide(mount.folder, folder);
  mount.useFolder = useFolder;
  return 1;
}

int32_t zrFileServer::MountArchive(int32_t slot, const char16_t* name, const char16_t* archivePath,
                                   const char16_t* folder, uint32_t useFolder, const void* key,
                                   uint32_t keyLength) {
  if (!ValidSlot(slot) || !FitsField(name, 40) || !FitsField(folder, 260)) return 0;
  auto archive = std::make_unique<zrArchive>();
  if (!archive->Mount(archivePath, key, keyLength)) return 0;
  {
    std::lock_guard<std::mutex> guard(tablesMutex_);
    // Replacing a mounted archive would pull it from under files opened on it.
    if (archives_[slot]) return 0;
    archives_[slot] = std::move(archive);
  }
  return SetSlotFolder(slot, name, folder, useFolder);
}

int32_t zrFileServer::AddGroup(const char16_t* name,
                               const std::vector<zrArchiveGroupMember>& members) {
  if (!name) return 0;
  for (const zrArchiveGroupMember& member : members) {
    if (member.slot != -1 && !ValidSlot(member.slot)) return 0;
  }
  std::lock_guard<std::mutex> guard(tablesMutex_);
  groups_.push_back(zrArchiveGroup{name, members});
  return 1;
}

int32_t zrFileServer::AddSearchedArchive(const char16_t* archivePath, const void* key,
                                         uint32_t keyLength) {
  auto archive = std::make_unique<zrArchive>();
  if (!archive->Mount(archivePath, key, keyLength)) return 0;
  std::lock_guard<std::mutex> guard(tablesMutex_);
  searchedArchives_.push_back(std::move(archive));
  return 1;
}

int32_t zrFileServer::AddAlias(const char16_t* name, const char16_t* archive, const char16_t* find,
                               const char16_t* replacement) {
  if (!name || !archive || !find || !replacement) return 0;
  std::u16string key = name;
  ToLowerW(key.data());
  std::lock_guard<std::mutex> guard(tablesMutex_);
  aliases_[key] = zrAliasTarget{archive, find, replacement};
  return 1;
}
