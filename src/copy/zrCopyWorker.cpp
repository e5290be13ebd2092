#include "copy/zrCopyWorker.h"

#include <algorithm>

#include "copy/copy_blocks.h"
#include "file/file_version.h"
#include "file/zrFile.h"
#include "platform/error_text.h"
#include "platform/process.h"
#include "platform/thread.h"
#include "platform/virtual_memory.h"
#include "system/bounded_text.h"
#include "system/folders.h"
#include "system/message_catalogue.h"
#include "system/paths.h"
#include "system/wide_format.h"
#include "system/zrCaps.h"

namespace {

constexpr uint32_t kMaxSlots = 64;
constexpr uint32_t kLargestSector = 0x100000;  // a volume claiming more is read through the cache

constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorHandleEof = 38;  // the source ended before its size

constexpr char16_t kFolderError[] = u"$1010-0171$フォルダ [%s] が作成出来ません";
constexpr char16_t kSourceOpenError[] =
    u"$1010-0172$ソースファイル [%s] がオープン出来ません。 : %s";
constexpr char16_t kDestinationOpenError[] =
    u"$1010-0172$出力ファイル [%s] がオープン出来ません。 : %s";

bool IsProgramExtension(const char16_t* path) {
  std::u16string extension = GetExtension(path);
  for (char16_t& c : extension) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return extension == u"exe" || extension == u"dll";
}

}  // namespace

zrCopyWorker::zrCopyWorker(uint32_t bufferCount, int32_t skipProbe)
    : slots_(std::clamp<uint32_t>(bufferCount, 1, kMaxSlots)) {
  // The system probe knows which systems read past the cache; without it the cache is used.
  zrCaps* caps = zrCaps::Current();
  if (!skipProbe && caps) {
    OsInfo os;
    caps->GetOsInfo(&os);
    uncachedCapable_ = os.code >= kOsWindows2000;
  }
}

zrCopyWorker::~zrCopyWorker() {
  Destroy();
}

int32_t zrCopyWorker::AddJob(const char16_t* source, const char16_t* destination, int32_t value) {
  // A path cut short would name another file.
  if (!source || !destination || WideLength(source) >= kCopyPathLength ||
      WideLength(destination) >= kCopyPathLength || jobThread_) {
    return 0;
  }
  CopyJob job;
  CopyWide(job.source, source);
  CopyWide(job.destination, destination);
  job.value = value;
  queue_.push_back(job);
  return 1;
}

int32_t zrCopyWorker::Start(CopyProgressFunction progress, void* user, CopyBlockFilter filter) {
  if (jobThread_) return 0;
  progress_ = progress;
  user_ = user;
  filter_ = filter;
  jobThread_ = std::make_unique<zrThread>();
  jobThread_->CreateEvent(0, false, false);
  return jobThread_->Start(this, JobProcedure);
}

void zrCopyWorker::Destroy() {
  if (jobThread_) jobThread_->Destroy();  // waits for the final report
  jobThread_.reset();
  ReleaseRing();
  queue_.clear();
}

void zrCopyWorker::JobProcedure(zrThread*, void* user) {
  static_cast<zrCopyWorker*>(user)->RunQueue();
}

void zrCopyWorker::ReaderProcedure(zrThread* thread, void* user) {
  zrCopyWorker* worker = static_cast<zrCopyWorker*>(user);
  platform::BindToProcessor(worker->processor_);
  while (!worker->finished_ && !worker->stop_) {
    thread->WaitEvent(0, zrThread::kWaitForever);
    if (worker->finished_) return;
    worker->ReadFile();
    {
      std::lock_guard<std::mutex> hold(worker->ringMutex_);
      worker->readerInFile_ = false;
    }
    worker->ringChanged_.notify_all();
  }
}

void zrCopyWorker::WriterProcedure(zrThread* thread, void* user) {
  zrCopyWorker* worker = static_cast<zrCopyWorker*>(user);
  platform::BindToProcessor(worker->processor_);
  while (!worker->finished_ && !worker->stop_) {
    thread->WaitEvent(0, zrThread::kWaitForever);
    if (worker->finished_) return;
    worker->WriteFile();
    worker->jobThread_->SetEvent(0);
  }
}

// ---- The job thread ----

void zrCopyWorker::RunQueue() {
  processor_ = platform::CurrentProcessor();
  platform::BindToProcessor(processor_);
  abort_ = false;
  stop_ = false;
  {
    std::lock_guard<std::mutex> hold(statusMutex_);
    status_ = {};
  }
  readerThread_ = std::make_unique<zrThread>();
  writerThread_ = std::make_unique<zrThread>();
  readerThread_->CreateEvent(0, false, false);
  writerThread_->CreateEvent(0, false, false);
  if (!readerThread_->Start(this, ReaderProcedure) ||
      !writerThread_->Start(this, WriterProcedure)) {
    RaiseFlags(false, false, true);
    ReportSystemError(kErrorNotEnoughMemory);
    FinishRun();
    return;
  }

  uint64_t total = 0;
  for (const CopyJob& job : queue_)
    total += static_cast<uint64_t>(zrFile::GetFileSize64Of(job.source));
  {
    std::lock_guard<std::mutex> hold(statusMutex_);
    status_.totalSize = total;
  }
  ReleaseRing();

  for (const CopyJob& job : queue_) {
    {
      std::lock_guard<std::mutex> hold(statusMutex_);
      CopyWide(status_.source, job.source);
      CopyWide(status_.destination, job.destination);
      status_.value = job.value;
    }
    if (SkipsByVersion(job)) {
      const uint64_t size = static_cast<uint64_t>(zrFile::GetFileSize64Of(job.source));
      const int32_t answer = Report([size](CopyStatus& status) {
        status.totalDone += size;
        status.fileSize = size;
        status.fileDone = 0;
      });
      if (answer == 0) {
        abort_ = true;
        break;
      }
      continue;
    }
    const bool inPlace = GetPathKind(job.source) == 2 ? CopyFolder(job) : CopyFile(job);
    if (!inPlace) break;
    platform::SetFileAttributes(job.destination, platform::kAttributeArchive);
    completed_.emplace_back(job.destination);
    if (abort_) break;
  }
  FinishRun();
}

bool zrCopyWorker::SkipsByVersion(const CopyJob& job) const {
  if (checkMode_ != kCopyNewerPrograms || !IsProgramExtension(job.destination)) return false;
  zrFile probe;
  if (!probe.Exists(job.destination)) return false;
  auto installed = std::make_unique<FileVersionRecord>();
  auto offered = std::make_unique<FileVersionRecord>();
  if (!ReadFileVersion(job.destination, *installed) || !ReadFileVersion(job.source, *offered)) {
    return false;
  }
  return !IsNewerVersion(*offered, *installed);
}

bool zrCopyWorker::CopyFolder(const CopyJob& job) {
  if (CreateDirectoryTree(job.destination, 0)) return true;
  ReportFolderError(job.destination);
  return false;
}

// True when the new file is in place; false after an error (reported) or when the copy was
// cancelled before the file was whole (the old file then stays).
bool zrCopyWorker::CopyFile(const CopyJob& job) {
  if (!PrepareRing(job.source)) return false;
  if (!CreateDirectoryTree(job.destination, 1)) {
    ReportFolderError(job.destination);
    return false;
  }
  if (!OpenFiles(job)) return false;

  const int64_t size = platform::GetFileSize(source_);
  sourceSize_ = size > 0 ? static_cast<uint64_t>(size) : 0;
  {
    std::lock_guard<std::mutex> hold(statusMutex_);
    status_.fileSize = sourceSize_;
    status_.fileDone = 0;
  }
  uncachedNow_ = sectorSize_ != 0;
  readerInFile_ = true;
  readerThread_->SetEvent(0);
  writerThread_->SetEvent(0);
  jobThread_->WaitEvent(0, zrThread::kWaitForever);
  {
    // The writer is done with the file; the reader may still be leaving it.
    std::unique_lock<std::mutex> hold(ringMutex_);
    ringChanged_.wait(hold, [this] { return !readerInFile_; });
  }

  bool whole;
  {
    std::lock_guard<std::mutex> hold(statusMutex_);
    whole = status_.fileDone == sourceSize_;
  }
  platform::FileTimes times;
  const bool timed = platform::GetFileTimes(source_, &times);
  platform::CloseFile(source_);
  source_ = platform::kInvalidFileHandle;
  if (stop_) RaiseFlags(false, true, false);
  if (stop_ || !whole) {
    destination_.Discard();
    return false;
  }
  if (!destination_.Commit()) {
    ReportFormattedError(kDestinationOpenError, job.destination, platform::LastError());
    destination_.Discard();
    return false;
  }
  if (timed) platform::SetFileTimes(job.destination, times);
  return true;
}

// Sizes the ring for the source: blocks of 1 MiB and one sector read past the cache when its
// volume allows it, else 2 MiB through the cache. Network paths are always read cached. Blocks of
// the right size are kept from the file before: mapping and unmapping them for every file costs
// more than copying a small file.
bool zrCopyWorker::PrepareRing(const char16_t* source) {
  sectorSize_ = 0;
  char16_t full[kCopyPathLength];
  if (uncachedCapable_ && platform::GetFullPath(source, full, kCopyPathLength) &&
      !(full[0] == u'\\' && full[1] == u'\\')) {
    const uint32_t sector = sectorOverride_ ? sectorOverride_ : platform::GetVolumeSectorSize(full);
    if (sector <= kLargestSector) sectorSize_ = sector;
  }
  const uint32_t capacity = BlockCapacity(sectorSize_);
  if (slots_.front().capacity != capacity) ReleaseRing();
  for (CopyBufferSlot& slot : slots_) {
    slot.free = 1;
    slot.last = 0;
    slot.filled = 0;
    if (slot.memory) continue;
    slot.memory = platform::AllocatePages(capacity);
    slot.capacity = slot.memory ? capacity : 0;
    if (!slot.memory) {
      ReleaseRing();
      RaiseFlags(false, false, true);
      ReportSystemError(kErrorNotEnoughMemory);
      return false;
    }
  }
  return true;
}

void zrCopyWorker::ReleaseRing() {
  for (CopyBufferSlot& slot : slots_) {
    platform::FreePages(slot.memory, slot.capacity);
    slot.memory = nullptr;
    slot.free = 1;
    slot.last = 0;
    slot.capacity = 0;
    slot.filled = 0;
  }
}

bool zrCopyWorker::OpenFiles(const CopyJob& job) {
  const uint32_t flags =
      platform::kFlagSequentialScan | (sectorSize_ ? platform::kFlagNoBuffering : 0);
  source_ = platform::OpenFile(job.source, platform::kGenericRead, platform::kShareRead,
                               platform::kOpenExisting, flags);
  if (source_ == platform::kInvalidFileHandle) {
    ReportFormattedError(kSourceOpenError, job.source, platform::LastError());
    return false;
  }
  if (!destination_.Open(job.destination)) {
    ReportFormattedError(kDestinationOpenError, job.destination, platform::LastError());
    destination_.Discard();
    platform::CloseFile(source_);
    source_ = platform::kInvalidFileHandle;
    return false;
  }
  return true;
}

void zrCopyWorker::FinishRun() {
  RaiseFlags(true, false, false);
  for (std::unique_ptr<zrThread>* thread : {&readerThread_, &writerThread_}) {
    if (!*thread) continue;
    (*thread)->SetEvent(0);
    (*thread)->Destroy();
    thread->reset();
  }
  ReleaseRing();
  if (source_ != platform::kInvalidFileHandle) platform::CloseFile(source_);
  source_ = platform::kInvalidFileHandle;
  destination_.Discard();
  Report([](CopyStatus& status) { status.done = 1; });
}

// ---- Reader and writer ----

void zrCopyWorker::ReadFile() {
  uint64_t position = 0;
  size_t index = 0;
  while (position < sourceSize_) {
    CopyBufferSlot& slot = slots_[index];
    if (!WaitForSlot(slot, 1)) return;
    const uint64_t remaining = sourceSize_ - position;
    const uint32_t planned = static_cast<uint32_t>(std::min<uint64_t>(remaining, slot.capacity));
    const uint32_t request =
        RequestLength(remaining, slot.capacity, uncachedNow_ ? sectorSize_ : 0);
    uint32_t got = 0;
    if (!platform::ReadFile(source_, slot.memory, request, &got) && platform::LastError() != 0) {
      RaiseFlags(true, true, true);
      ReportSystemError(platform::LastError());
      return;
    }
    if (got == 0) {  // the file became shorter while it was copied
      RaiseFlags(true, true, true);
      ReportSystemError(kErrorHandleEof);
      return;
    }
    slot.filled = std::min(planned, got);
    position += slot.filled;
    slot.last = position >= sourceSize_ ? 1 : 0;
    HandOver(slot, 0);
    index = (index + 1) % slots_.size();
  }
}

void zrCopyWorker::WriteFile() {
  if (sourceSize_ == 0) return;  // no block comes: the file ends at once
  uint64_t written = 0;
  for (size_t index = 0;; index = (index + 1) % slots_.size()) {
    CopyBufferSlot& slot = slots_[index];
    if (!WaitForSlot(slot, 0)) return;
    if (filter_) {
      CopyStatus copy;
      {
        std::lock_guard<std::mutex> hold(statusMutex_);
        copy = status_;
      }
      filter_(user_, slot.memory, static_cast<uint32_t>(written),
              static_cast<uint32_t>(written >> 32), slot.filled, &copy);
    }
    uint32_t put = 0;
    if (!platform::WriteFile(destination_.handle(), slot.memory, slot.filled, &put) &&
        platform::LastError() != 0) {
      RaiseFlags(true, true, true);
      ReportSystemError(platform::LastError());
      return;
    }
    written += put;
    const int32_t answer = Report([put](CopyStatus& status) {
      status.fileDone += put;
      status.totalDone += put;
    });
    if (answer == 0) {
      RaiseFlags(true, true, false);
      return;
    }
    const bool last = slot.last != 0;
    HandOver(slot, 1);
    if (last) return;
  }
}

// Waits until the slot's free flag is `wanted`; false when the file is dropped meanwhile.
bool zrCopyWorker::WaitForSlot(CopyBufferSlot& slot, int32_t wanted) {
  std::unique_lock<std::mutex> hold(ringMutex_);
  ringChanged_.wait(hold, [&] { return slot.free == wanted || abort_ || stop_; });
  return !abort_ && !stop_;
}

void zrCopyWorker::HandOver(CopyBufferSlot& slot, int32_t freeValue) {
  {
    std::lock_guard<std::mutex> hold(ringMutex_);
    slot.free = freeValue;
  }
  ringChanged_.notify_all();
}

void zrCopyWorker::RaiseFlags(bool finished, bool abort, bool stop) {
  {
    std::lock_guard<std::mutex> hold(ringMutex_);
    if (finished) finished_ = true;
    if (abort) abort_ = true;
    if (stop) stop_ = true;
  }
  ringChanged_.notify_all();
}

// ---- Reports ----

template <typename Update>
int32_t zrCopyWorker::Report(Update update) {
  CopyStatus copy;
  {
    std::lock_guard<std::mutex> hold(statusMutex_);
    update(status_);
    copy = status_;
  }
  return progress_ ? progress_(user_, &copy) : 1;
}

void zrCopyWorker::ReportError(const char16_t* text) {
  Report([text](CopyStatus& status) {
    status.error = 1;
    CopyWide(status.errorText, text);
  });
}

void zrCopyWorker::ReportFolderError(const char16_t* destination) {
  char16_t folder[kCopyPathLength];
  GetDirectoryPart(destination, folder, kCopyPathLength);
  char16_t text[kCopyErrorLength];
  FormatWide(text, kCopyErrorLength, ResolveMessage(kFolderError), folder);
  RaiseFlags(false, false, true);
  ReportError(text);
}

void zrCopyWorker::ReportFormattedError(const char16_t* messageTemplate, const char16_t* path,
                                        uint32_t error) {
  char16_t systemText[kCopyErrorLength];
  platform::ErrorText(error, systemText, kCopyErrorLength);
  char16_t text[kCopyErrorLength];
  FormatWide(text, kCopyErrorLength, ResolveMessage(messageTemplate), path, systemText);
  RaiseFlags(false, false, true);
  ReportError(text);
}

void zrCopyWorker::ReportSystemError(uint32_t error) {
  char16_t text[kCopyErrorLength];
  platform::ErrorText(error, text, kCopyErrorLength);
  ReportError(text);
}
