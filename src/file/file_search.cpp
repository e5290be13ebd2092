// The search behind OpenFile: preloaded files, aliases, always-searched archives, then slots or
// groups in the order the search type asks for.
#include <memory>

#include "file/zrBigFile.h"
#include "file/zrFile.h"
#include "file/zrFileServer.h"
#include "system/bounded_text.h"
#include "system/paths.h"
#include "system/text_case.h"

namespace {

std::u16string Upper(std::u16string text) {
  ToUpperW(text.data());
  return text;
}

bool SameText(const std::u16string& a, const std::u16string& b) {
  return Upper(a) == Upper(b);
}

bool IsGroupName(const std::u16string& archivePart) {
  return Upper(GetExtension(archivePart.c_str())) == u"LST";
}

// The folder joined with the member as "%s\%s", or the member alone for no folder.
zrFileBase* TryFolder(const std::u16string& folder, const std::u16string& member) {
  const std::u16string path = folder.empty() ? member : folder + u"\\" + member;
  // A cut path would name another file.
  if (path.size() >= 260) return nullptr;
  auto file = std::make_unique<zrFile>();
  return file->Open(path.c_str(), ZRFILE_READ | ZRFILE_OPEN_EXISTING) ? file.release() : nullptr;
}

zrFileBase* TryArchive(zrArchive* archive, const std::u16string& member) {
  if (!archive) return nullptr;
  auto file = std::make_unique<zrBigFile>(archive);
  return file->Open(member.c_str(), ZRFILE_READ | ZRFILE_OPEN_EXISTING) ? file.release() : nullptr;
}

}  // namespace

zrFileBase* zrFileServer::Search(const char16_t* path, uint32_t type) {
  if (preloading_) {
    if (zrFileBase* preloaded = FindPreloaded(path)) return preloaded;
  }
  std::lock_guard<std::mutex> guard(tablesMutex_);
  return SearchTables(path, type & 0xFFFF);
}

zrFileBase* zrFileServer::SearchTables(const std::u16string& path, uint32_t type) {
  const size_t slash = path.find(u'/');
  std::u16string archivePart = slash == std::u16string::npos ? u"" : path.substr(0, slash);
  std::u16string member = slash == std::u16string::npos ? path : path.substr(slash + 1);

  std::u16string lowered = archivePart;
  ToLowerW(lowered.data());
  const auto alias = aliases_.find(lowered);
  if (alias != aliases_.end()) {
    archivePart = alias->second.archive;
    const size_t at =
        alias->second.find.empty() ? std::u16string::npos : member.find(alias->second.find);
    if (at != std::u16string::npos) {
      member.replace(at, alias->second.find.size(), alias->second.replacement);
    }
  }

  for (const auto& archive : searchedArchives_) {
    if (archive->MemberExists(member.c_str())) return TryArchive(archive.get(), member);
  }
  if (type == ZRFS_DISK) return TryFolder(u"", path);
  if (type < ZRFS_ARCHIVE || type > ZRFS_ARCHIVE_FIRST) return nullptr;
  return IsGroupName(archivePart) ? SearchGroups(archivePart, member, type)
                                  : SearchSlots(archivePart, member, type);
}

zrArchive* zrFileServer::SlotArchive(int32_t slot) const {
  return slot >= 0 && slot < kSlotCount ? archives_[slot].get() : nullptr;
}

zrFileBase* zrFileServer::SearchSlots(const std::u16string& archivePart,
                                      const std::u16string& member, uint32_t type) {
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    const zrMountSlot& mount = slots_[slot];
    zrArchive* archive = SlotArchive(slot);
    zrFileBase* found = nullptr;
    if (type == ZRFS_ARCHIVE) {
      if (archive && SameText(archive->Name(), archivePart)) found = TryArchive(archive, member);
    } else if (type == ZRFS_DISK_FIRST) {
      // Without an archive part every slot's folder is tried; a named slot only when it says so.
      const bool named = !archivePart.empty();
      if (named && !SameText(mount.name, archivePart)) continue;
      if (!named || mount.useFolder) found = TryFolder(mount.folder, member);
      if (!found) found = TryArchive(archive, member);
    } else if (SameText(mount.name, archivePart)) {
      found = TryArchive(archive, member);
      if (!found && mount.useFolder) found = TryFolder(mount.folder, member);
    }
    if (found) return found;
  }
  return nullptr;
}

zrFileBase* zrFileServer::SearchGroups(const std::u16string& archivePart,
                                       const std::u16string& member, uint32_t type) {
  for (const zrArchiveGroup& group : groups_) {
    if (!SameText(group.name, archivePart)) continue;
    for (const zrArchiveGroupMember& entry : group.members) {
      zrArchive* archive = SlotArchive(entry.slot);
      zrFileBase* found = nullptr;
      if (type == ZRFS_DISK_FIRST && entry.useFolder) found = TryFolder(entry.folder, member);
      if (!found) found = TryArchive(archive, member);
      if (!found && type == ZRFS_ARCHIVE_FIRST && entry.useFolder) {
        found = TryFolder(entry.folder, member);
      }
      if (found) return found;
    }
  }
  return nullptr;
}
