// The service thread of the posix DDE transport: one poll() loop over the listening sockets of a
// service's servers and the connections they accepted, answering one request at a time.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/dde.h"
#include "platform/posix/dde_socket.h"

namespace platform {

class DdeServerLoop {
 public:
  // Null when the loop's wake-up descriptor cannot be made.
  static std::unique_ptr<DdeServerLoop> Create(DdeService::Answer answer);
  // Stops the thread, closes the connections, then closes and removes the listening sockets.
  ~DdeServerLoop();
  DdeServerLoop(const DdeServerLoop&) = delete;
  DdeServerLoop& operator=(const DdeServerLoop&) = delete;

  // Serves `listener` from now on (the first one starts the thread); on failure it is closed.
  bool Add(const DdeListener& listener);

 private:
  DdeServerLoop(DdeService::Answer answer, int wake);
  void Run();
  void Wake();
  std::vector<int> ListeningSockets();

  const DdeService::Answer answer_;  // called on the thread only
  const int wake_;                   // an eventfd: written to make the thread look again
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<DdeListener> listeners_;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace platform
