// The library's one place for opening game data by name: disk folders and mounted archives,
// searched in an order chosen per request, with an optional preload queue served by a thread.
//
// This program has no engine configuration. Hence preloading is off unless the constructor is
// told otherwise, and ResolvePath finds every category undefined.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "file/zrArchive.h"
#include "file/zrFileBase.h"
#include "file/zrMemFile.h"
#include "system/zrThread.h"

// Open flags: the search type in the low 16 bits, then the bits below.
constexpr uint32_t ZRFS_DISK = 1;
constexpr uint32_t ZRFS_ARCHIVE = 2;
constexpr uint32_t ZRFS_DISK_FIRST = 3;
constexpr uint32_t ZRFS_ARCHIVE_FIRST = 4;
constexpr uint32_t ZRFS_MEMORY = 0x110;   // load the found file whole into a zrMemFile
constexpr uint32_t ZRFS_WRITE = 0x20;     // create or empty a disk file for writing; no search
constexpr uint32_t ZRFS_QUIET = 0x10000;  // no "Open file error" trace

struct zrMountSlot {
  char16_t name[40];
  char16_t folder[260];
  uint32_t useFolder;
};

struct zrArchiveGroupMember {
  int32_t slot;  // -1: none
  std::u16string folder;
  uint32_t useFolder;
};

struct zrArchiveGroup {
  std::u16string name;
  std::vector<zrArchiveGroupMember> members;
};

struct zrAliasTarget {
  std::u16string archive;
  std::u16string find;
  std::u16string replacement;
};

struct zrPreloadEntry {
  char16_t path[260];
  std::shared_ptr<zrMemFile> file;  // shared with the memory files that borrow its bytes
  int32_t group;
  uint32_t flags;
  bool loaded;
};

class zrFileServer {
 public:
  static constexpr int kSlotCount = 256;
  static constexpr int32_t kPreloadIdle = INT32_MAX;

  // There is one server at a time; a second is a broken contract. `preloading` starts the
  // preload queue and thread (the engine configuration would decide it; this program has none).
  explicit zrFileServer(bool preloading = false);
  ~zrFileServer();
  zrFileServer(const zrFileServer&) = delete;
  zrFileServer& operator=(const zrFileServer&) = delete;

  static zrFileServer* Current();

  // A new file object owned by the caller, or null (traced unless ZRFS_QUIET).
  zrFileBase* OpenFile(const char16_t* path, uint32_t flags);
  // 1 when a disk-first search finds the path.
  int32_t FileExists(const char16_t* path);
  // The file's size without a buffer; with one, the bytes read into it (it must hold the file).
  // 0 when nothing is found.
  int32_t LoadWholeFile(const char16_t* path, void* buffer, uint32_t flags);
  void ReleaseFile(zrFileBase* file);
  int32_t GetFileObjectSize(zrFileBase* file);
  int32_t ReadFileObject(zrFileBase* file, void* buffer, int32_t count);
  // Completes a relative path with the folder of a category of the engine configuration. There is
  // none here: `out` receives the path unchanged and the result is 0 (category undefined).
  int32_t ResolvePath(char16_t* out, size_t capacity, const char16_t* path,
                      const char16_t* category);

  // Mounting. Each returns 1, or 0 with nothing changed (bad slot, a text too long for its field,
  // an archive that fails to mount). Archives are owned by the server; files opened from them
  // must be released before it goes.
  // A slot's mount name, folder and use-folder switch, keeping any archive it holds.
  int32_t SetSlotFolder(int32_t slot, const char16_t* name, const char16_t* folder,
                        uint32_t useFolder);
  // The same, and the archive at `archivePath` (key null for a plain one) into a free slot.
  int32_t MountArchive(int32_t slot, const char16_t* name, const char16_t* archivePath,
                       const char16_t* folder, uint32_t useFolder, const void* key = nullptr,
                       uint32_t keyLength = 0);
  // A group, named with the extension "lst", whose members refer to slots.
  int32_t AddGroup(const char16_t* name, const std::vector<zrArchiveGroupMember>& members);
  // An archive searched before anything else, for every request.
  int32_t AddSearchedArchive(const char16_t* archivePath, const void* key = nullptr,
                             uint32_t keyLength = 0);
  // Requests for archive `name` go to archive `archive`, with the first `find` in the member part
  // replaced by `replacement` (an empty `find` replaces nothing).
  int32_t AddAlias(const char16_t* name, const char16_t* archive, const char16_t* find,
                   const char16_t* replacement);

  // The preload queue (0 while preloading is off). The thread loads one group at a time, in
  // queue order; flags are those of OpenFile, ZRFS_WRITE excepted.
  int32_t AddPreload(const char16_t* path, int32_t group, uint32_t flags);
  // Releases every loaded file and empties the queue. Memory files handed out before keep their
  // bytes.
  void ClearPreload();
  // 1 when the queue holds the path loaded.
  int32_t IsPreloaded(const char16_t* path);
  // The group the thread goes on with, or kPreloadIdle.
  int32_t PreloadGroup();

 private:
  zrFileBase* Search(const char16_t* path, uint32_t type);
  zrFileBase* SearchTables(const std::u16string& path, uint32_t type);
  zrFileBase* SearchSlots(const std::u16string& archivePart, const std::u16string& member,
                          uint32_t type);
  zrFileBase* SearchGroups(const std::u16string& archivePart, const std::u16string& member,
                           uint32_t type);
  zrArchive* SlotArchive(int32_t slot) const;

  void StartPreloading();
  void StopPreloading();
  static void PreloadMain(zrThread* thread, void* server);
  void PreloadPass();
  zrFileBase* FindPreloaded(const char16_t* path);

  std::unique_ptr<zrArchive> archives_[kSlotCount];
  zrMountSlot slots_[kSlotCount] = {};
  std::list<zrArchiveGroup> groups_;
  std::list<std::unique_ptr<zrArchive>> searchedArchives_;
  std::map<std::u16string, zrAliasTarget> aliases_;
  // Guards the tables above: the preload thread searches them beside the caller.
  std::mutex tablesMutex_;

  std::list<zrPreloadEntry> preloadQueue_;
  std::atomic<bool> stop_{false};
  std::unique_ptr<zrThread> preloadThread_;
  int32_t preloadGroup_ = kPreloadIdle;
  const bool preloading_;
};
