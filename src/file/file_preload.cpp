// The preload queue and its thread: files queued by group are loaded into memory ahead of their
// use, one group per pass, and later requests for them are served from memory.
#include <memory>

#include "file/zrFileServer.h"
#include "platform/thread.h"
#include "system/bounded_text.h"
#include "system/text_case.h"

namespace {

constexpr uint32_t kPreloadLock = 0;
// Manual reset: it stays set while groups remain, so the thread goes on to the next pass.
constexpr uint32_t kWakeEvent = 0;

// A memory file that borrows a preloaded file's bytes and keeps them alive while it lives, so
// that clearing the queue never frees bytes a caller still reads.
class PreloadedFile : public zrMemFile {
 public:
  explicit PreloadedFile(std::shared_ptr<zrMemFile> owner) : owner_(std::move(owner)) {
    ShareFrom(owner_.get());
  }
  ~PreloadedFile() override { Close(); }

 private:
  std::shared_ptr<zrMemFile> owner_;
};

bool SamePath(const char16_t* a, const char16_t* b) {
  std::u16string upperA = a;
  std::u16string upperB = b;
  ToUpperW(upperA.data());
  ToUpperW(upperB.data());
  return upperA == upperB;
}

}  // namespace

void zrFileServer::StartPreloading() {
  preloadThread_ = std::make_unique<zrThread>();
  preloadThread_->CreateLock(kPreloadLock);
  preloadThread_->CreateEvent(kWakeEvent, true, false);
  preloadThread_->Start(this, &zrFileServer::PreloadMain);
  preloadThread_->SetPriority(platform::kPriorityAboveNormal);
}

void zrFileServer::StopPreloading() {
  if (!preloadThread_) return;
  // Under the lock, so that a pass ending now cannot reset the event after it is set here and
  // then wait for ever.
  preloadThread_->Lock(kPreloadLock);
  stop_ = true;
  preloadThread_->SetEvent(kWakeEvent);
  preloadThread_->Unlock(kPreloadLock);
  preloadThread_->Join();
  ClearPreload();
  preloadThread_->Destroy();
  preloadThread_.reset();
}

void zrFileServer::PreloadMain(zrThread*, void* server) {
  auto* self = static_cast<zrFileServer*>(server);
  while (!self->stop_) self->PreloadPass();
}

void zrFileServer::PreloadPass() {
  preloadThread_->Lock(kPreloadLock);
  bool loadedAny = false;
  bool reachedEnd = true;
  int32_t lastGroup = 0;
  for (zrPreloadEntry& entry : preloadQueue_) {
    if (entry.loaded) continue;
    if (loadedAny && entry.group != lastGroup) {
      preloadGroup_ = entry.group;
      reachedEnd = false;
      break;
    }
    std::unique_ptr<zrFileBase> file(OpenFile(entry.path, entry.flags | ZRFS_MEMORY));
    if (auto* memory = dynamic_cast<zrMemFile*>(file.get())) {
      file.release();
      entry.file.reset(memory);
    }
    entry.loaded = true;
    loadedAny = true;
    lastGroup = entry.group;
  }
  if (reachedEnd) {
    preloadGroup_ = kPreloadIdle;
    if (!stop_) preloadThread_->ResetEvent(kWakeEvent);
  }
  preloadThread_->Unlock(kPreloadLock);
  preloadThread_->WaitEvent(kWakeEvent, zrThread::kWaitForever);
}

int32_t zrFileServer::AddPreload(const char16_t* path, int32_t group, uint32_t flags) {
  if (!preloadThread_ || !path || WideLength(path) >= 260) return 0;
  zrPreloadEntry entry{{}, nullptr, group, flags & ~ZRFS_WRITE, false};
  CopyWide(entry.path, path);
  preloadThread_->Lock(kPreloadLock);
  preloadQueue_.push_back(std::move(entry));
  preloadThread_->SetEvent(kWakeEvent);
  preloadThread_->Unlock(kPreloadLock);
  return 1;
}

void zrFileServer::ClearPreload() {
  if (!preloadThread_) return;
  preloadThread_->Lock(kPreloadLock);
  preloadQueue_.clear();
  preloadGroup_ = kPreloadIdle;
  preloadThread_->Unlock(kPreloadLock);
}

int32_t zrFileServer::IsPreloaded(const char16_t* path) {
  if (!preloadThread_ || !path) return 0;
  preloadThread_->Lock(kPreloadLock);
  int32_t found = 0;
  for (const zrPreloadEntry& entry : preloadQueue_) {
    if (entry.loaded && entry.file && SamePath(entry.path, path)) found = 1;
  }
  preloadThread_->Unlock(kPreloadLock);
  return found;
}

int32_t zrFileServer::PreloadGroup() {
  if (!preloadThread_) return kPreloadIdle;
  preloadThread_->Lock(kPreloadLock);
  const int32_t group = preloadGroup_;
  preloadThread_->Unlock(kPreloadLock);
  return group;
}

zrFileBase* zrFileServer::FindPreloaded(const char16_t* path) {
  preloadThread_->Lock(kPreloadLock);
  zrFileBase* found = nullptr;
  for (const zrPreloadEntry& entry : preloadQueue_) {
    if (entry.loaded && entry.file && SamePath(entry.path, path)) {
      found = new PreloadedFile(entry.file);
      break;
    }
  }
  preloadThread_->Unlock(kPreloadLock);
  return found;
}
