// Copies a queue of files in the background. A job thread walks the queue; for each file a reader
// thread and a writer thread move the data through a ring of large blocks, so that reading the
// next block overlaps writing the previous one. Progress, errors and the end are reported through
// one callback, always on one of the worker's threads.
//
// The three threads take turns more than they work at once (the reader mostly waits for the disk
// while the writer works), so they share one processor: handing a block or a file over is then a
// task switch, not the wake-up of a sleeping processor, which costs more than copying a small file.
//
// A copied file is written to a temporary file beside its destination and put in its place only
// once complete: a copy that fails or is cancelled part-way leaves the previous file as it was.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "copy/replacement_file.h"
#include "platform/file_system.h"
#include "system/zrThread.h"

constexpr size_t kCopyPathLength = 260;
constexpr size_t kCopyErrorLength = 512;

struct CopyJob {
  char16_t source[kCopyPathLength];
  char16_t destination[kCopyPathLength];
  int32_t value;
};

// One block of the ring. The reader fills a free slot and hands it over (free = 0); the writer
// writes it and hands it back (free = 1).
struct CopyBufferSlot {
  std::atomic<int32_t> free{1};
  int32_t last = 0;  // this block ends the file
  void* memory = nullptr;
  uint32_t capacity = 0;
  uint32_t filled = 0;  // bytes to write
};

struct CopyStatus {
  char16_t source[kCopyPathLength];
  char16_t destination[kCopyPathLength];
  uint64_t fileSize;
  uint64_t fileDone;
  uint64_t totalSize;
  uint64_t totalDone;  // bytes written plus the sizes of skipped files
  int32_t done;        // 1 in the final report
  int32_t error;       // 1 once an error has occurred
  int32_t value;       // the current job's value
  char16_t errorText[kCopyErrorLength];
};

// Called on a worker thread with a copy of the status. Non-zero goes on, 0 cancels the queue (the
// answer to an error report or to the final report is not looked at). It may block: only the
// calling worker thread waits.
using CopyProgressFunction = int32_t (*)(void* user, CopyStatus* status);
// Called by the writer just before each block is written; it may change the block in place.
using CopyBlockFilter = void (*)(void* user, void* block, uint32_t fileDoneLow,
                                 uint32_t fileDoneHigh, uint32_t length, CopyStatus* status);

// Check modes.
constexpr int32_t kCopyEverything = 0;
constexpr int32_t kCopyNewerPrograms = 1;  // an installed exe or dll of a newer version stays
constexpr int32_t kCopyProbeOnly = 2;      // copies every job, like kCopyEverything

class zrCopyWorker {
 public:
  // `bufferCount` ring slots (at least one). Sources are read past the system cache where the
  // volume allows it, unless `skipProbe` is non-zero or the system probe says the system cannot.
  zrCopyWorker(uint32_t bufferCount, int32_t skipProbe);
  // Waits for the final report of a started worker.
  ~zrCopyWorker();
  zrCopyWorker(const zrCopyWorker&) = delete;
  zrCopyWorker& operator=(const zrCopyWorker&) = delete;

  void SetCheckMode(int32_t mode) { checkMode_ = mode; }
  // Queues a copy of a file or of a folder (created, not filled); before Start.
  int32_t AddJob(const char16_t* source, const char16_t* destination, int32_t value);
  // Starts the job thread and returns at once; a worker runs its queue once.
  int32_t Start(CopyProgressFunction progress, void* user, CopyBlockFilter filter);
  // Waits for the final report, then releases the threads, the ring and the queue.
  void Destroy();

  // Reads as if every volume had sectors of `bytes` (0: ask the volume). For tests.
  void OverrideSectorSize(uint32_t bytes) { sectorOverride_ = bytes; }
  // Destinations of the jobs that finished (copied files and created folders), in order; final
  // once the final report has been made.
  const std::deque<std::u16string>& Completed() const { return completed_; }

 private:
  static void JobProcedure(zrThread* thread, void* user);
  static void ReaderProcedure(zrThread* thread, void* user);
  static void WriterProcedure(zrThread* thread, void* user);

  void RunQueue();
  bool SkipsByVersion(const CopyJob& job) const;
  bool CopyFolder(const CopyJob& job);
  bool CopyFile(const CopyJob& job);
  bool PrepareRing(const char16_t* source);
  void ReleaseRing();
  bool OpenFiles(const CopyJob& job);
  void FinishRun();

  void ReadFile();
  void WriteFile();
  bool WaitForSlot(CopyBufferSlot& slot, int32_t wanted);
  void HandOver(CopyBufferSlot& slot, int32_t freeValue);
  void RaiseFlags(bool finished, bool abort, bool stop);

  // Reports, each on the calling thread, with the status as `update` leaves it.
  template <typename Update>
  int32_t Report(Update update);
  void ReportError(const char16_t* text);
  void ReportFolderError(const char16_t* destination);
  void ReportFormattedError(const char16_t* messageTemplate, const char16_t* path, uint32_t error);
  void ReportSystemError(uint32_t error);

  std::vector<CopyBufferSlot> slots_;
  std::deque<CopyJob> queue_;
  std::deque<std::u16string> completed_;
  std::unique_ptr<zrThread> jobThread_;
  std::unique_ptr<zrThread> readerThread_;
  std::unique_ptr<zrThread> writerThread_;

  CopyProgressFunction progress_ = nullptr;
  CopyBlockFilter filter_ = nullptr;
  void* user_ = nullptr;

  std::mutex statusMutex_;
  CopyStatus status_ = {};

  // Shared by the three threads. Every change is announced on ringChanged_.
  std::atomic<bool> finished_{false};  // reader and writer leave their loops
  std::atomic<bool> abort_{false};     // the current file is dropped, the queue ends
  std::atomic<bool> stop_{false};      // an error occurred
  std::atomic<bool> readerInFile_{false};
  std::mutex ringMutex_;
  std::condition_variable ringChanged_;

  // The current file; set by the job thread before it hands the file over.
  platform::FileHandle source_ = platform::kInvalidFileHandle;
  ReplacementFile destination_;
  uint64_t sourceSize_ = 0;

  int32_t checkMode_ = kCopyEverything;
  bool uncachedCapable_ = false;
  uint32_t sectorSize_ = 0;  // of the current source's volume, 0 when read through the cache
  bool uncachedNow_ = false;
  uint32_t sectorOverride_ = 0;
  int processor_ = -1;  // where the three threads run, set before the reader and writer start
};
