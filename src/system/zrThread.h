// One thread with numbered events and locks: the points where it and its peers hand work over.
// Events and locks are made on demand and live as long as the object.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class zrThread {
 public:
  using Procedure = void (*)(zrThread* thread, void* user);
  static constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

  zrThread();
  ~zrThread();
  zrThread(const zrThread&) = delete;
  zrThread& operator=(const zrThread&) = delete;

  // 1, or 0 when an event with this id exists already. An automatic-reset event lets one wait
  // through per SetEvent; a manual one stays set until ResetEvent.
  int32_t CreateEvent(uint32_t id, bool manualReset, bool initiallySet);
  // Nothing happens for an id without an event.
  void SetEvent(uint32_t id);
  void ResetEvent(uint32_t id);
  // 1 when the event was set within the time (kWaitForever: no limit), else 0 (also for an id
  // without an event).
  int32_t WaitEvent(uint32_t id, uint32_t milliseconds);

  // 1, or 0 when a lock with this id exists already. A lock may be entered again by the thread
  // that holds it, and must then be left as often.
  int32_t CreateLock(uint32_t id);
  void Lock(uint32_t id);
  void Unlock(uint32_t id);

  // Starts the thread running procedure(this, user); 1 when it runs. A thread object runs once.
  int32_t Start(void* user, Procedure procedure);
  // Waits until the procedure has returned; at once when the thread never started.
  void Join();
  // Sets the running thread's priority (platform/thread.h); nothing before Start.
  void SetPriority(int priority);
  // The system's id of the thread, 0 before Start.
  uint32_t threadId() const { return threadId_; }

  // Waits for the thread, then removes every event and lock.
  void Destroy();

 private:
  class Event;
  Event* FindEvent(uint32_t id);
  std::recursive_mutex* FindLock(uint32_t id);

  std::thread thread_;
  uint32_t threadId_ = 0;
  std::mutex tableMutex_;  // guards the two tables, not what they hold
  std::map<uint32_t, std::unique_ptr<std::recursive_mutex>> locks_;
  std::map<uint32_t, std::unique_ptr<Event>> events_;
};
