#include "system/zrThread.h"

#include <chrono>
#include <condition_variable>
#include <system_error>

#include "platform/thread.h"

class zrThread::Event {
 public:
  Event(bool manualReset, bool initiallySet) : manualReset_(manualReset), set_(initiallySet) {}

  void Set() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      set_ = true;
    }
    if (manualReset_) {
      changed_.notify_all();
    } else {
      changed_.notify_one();
    }
  }

  void Reset() {
    std::lock_guard<std::mutex> hold(mutex_);
    set_ = false;
  }

  bool Wait(uint32_t milliseconds) {
    std::unique_lock<std::mutex> hold(mutex_);
    const auto isSet = [this] { return set_; };
    if (milliseconds == kWaitForever) {
      changed_.wait(hold, isSet);
    } else if (!changed_.wait_for(hold, std::chrono::milliseconds(milliseconds), isSet)) {
      return false;
    }
    if (!manualReset_) set_ = false;
    return true;
  }

 private:
  const bool manualReset_;
  bool set_;
  std::mutex mutex_;
  std::condition_variable changed_;
};

zrThread::zrThread() = default;

zrThread::~zrThread() {
  Destroy();
}

zrThread::Event* zrThread::FindEvent(uint32_t id) {
  std::lock_guard<std::mutex> hold(tableMutex_);
  const auto found = events_.find(id);
  return found == events_.end() ? nullptr : found->second.get();
}

std::recursive_mutex* zrThread::FindLock(uint32_t id) {
  std::lock_guard<std::mutex> hold(tableMutex_);
  const auto found = locks_.find(id);
  return found == locks_.end() ? nullptr : found->second.get();
}

int32_t zrThread::CreateEvent(uint32_t id, bool manualReset, bool initiallySet) {
  std::lock_guard<std::mutex> hold(tableMutex_);
  if (events_.count(id)) return 0;
  events_[id] = std::make_unique<Event>(manualReset, initiallySet);
  return 1;
}

void zrThread::SetEvent(uint32_t id) {
  if (Event* event = FindEvent(id)) event->Set();
}

void zrThread::ResetEvent(uint32_t id) {
  if (Event* event = FindEvent(id)) event->Reset();
}

int32_t zrThread::WaitEvent(uint32_t id, uint32_t milliseconds) {
  Event* event = FindEvent(id);
  return event && event->Wait(milliseconds) ? 1 : 0;
}

int32_t zrThread::CreateLock(uint32_t id) {
  std::lock_guard<std::mutex> hold(tableMutex_);
  if (locks_.count(id)) return 0;
  locks_[id] = std::make_unique<std::recursive_mutex>();
  return 1;
}

void zrThread::Lock(uint32_t id) {
  if (std::recursive_mutex* lock = FindLock(id)) lock->lock();
}

void zrThread::Unlock(uint32_t id) {
  if (std::recursive_mutex* lock = FindLock(id)) lock->unlock();
}

int32_t zrThread::Start(void* user, Procedure procedure) {
  if (thread_.joinable() || !procedure) return 0;
  // The id is the new thread's to tell; Start returns once it is known.
  std::mutex mutex;
  std::condition_variable known;
  uint32_t id = 0;
  try {
    thread_ = std::thread([&, user, procedure] {
      {
        // Notified under the lock: Start may return, and take these with it, once it is left.
        std::lock_guard<std::mutex> hold(mutex);
        id = platform::CurrentThreadId();
        known.notify_one();
      }
      procedure(this, user);
    });
  } catch (const std::system_error&) {
    return 0;
  }
  std::unique_lock<std::mutex> hold(mutex);
  known.wait(hold, [&] { return id != 0; });
  threadId_ = id;
  return 1;
}

void zrThread::Join() {
  if (!thread_.joinable()) return;
  // A procedure that ends its own thread's object cannot wait for itself.
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void zrThread::SetPriority(int priority) {
  if (thread_.joinable()) platform::SetThreadPriority(threadId_, priority);
}

void zrThread::Destroy() {
  Join();
  std::lock_guard<std::mutex> hold(tableMutex_);
  locks_.clear();
  events_.clear();
}
