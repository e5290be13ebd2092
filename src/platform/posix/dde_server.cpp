#include "platform/posix/dde_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <optional>
#include <system_error>

namespace platform {

namespace {

using dde_wire::Frame;
using dde_wire::Kind;

constexpr auto kPatience = std::chrono::milliseconds(kDdeTimeoutMs);

// One accepted connection. Its first frame must name our topic; each later one is a request.
// While a reply is unsent nothing more is read, so a peer that does not read cannot make us
// buffer without end; a frame still incomplete or a reply still unsent kPatience after it began
// closes the connection.
class Peer {
 public:
  explicit Peer(int socket) : socket_(socket) {}
  ~Peer() { close(socket_); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  pollfd Poll() const {
    return {socket_, static_cast<short>(output_.empty() ? POLLIN : POLLOUT), 0};
  }
  bool Dead() const { return dead_; }
  std::optional<DdeClock::time_point> Deadline() const {
    if (!busySince_) return std::nullopt;
    return *busySince_ + kPatience;
  }

  void Handle(short events, const DdeService::Answer& answer) {
    if (events & (POLLERR | POLLNVAL)) {
      dead_ = true;
      return;
    }
    const bool wasIdle = Idle();
    progress_ = false;
    if (output_.empty() && (events & (POLLIN | POLLHUP))) Read();
    Pump(answer);
    if (Idle()) {
      busySince_.reset();
    } else if (wasIdle || progress_) {
      busySince_ = DdeClock::now();  // new work began
    }
  }

  void Expire(DdeClock::time_point now) {
    const auto deadline = Deadline();
    if (deadline && now >= *deadline) dead_ = true;
  }

 private:
  bool Idle() const { return input_.empty() && output_.empty(); }

  void Read() {
    uint8_t chunk[4096];
    const ssize_t got = recv(socket_, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got > 0) {
      input_.insert(input_.end(), chunk, chunk + got);
    } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      dead_ = true;
    }
  }

  // Answers the frames that are in, one reply at a time.
  void Pump(const DdeService::Answer& answer) {
    while (!dead_) {
      if (!output_.empty()) {
        if (!Flush()) return;
        continue;
      }
      Frame frame;
      size_t consumed = 0;
      const auto result = dde_wire::ParseFrame(input_.data(), input_.size(), frame, consumed);
      if (result == dde_wire::ParseResult::kIncomplete) return;
      if (result == dde_wire::ParseResult::kInvalid) {
        dead_ = true;
        return;
      }
      input_.erase(input_.begin(), input_.begin() + static_cast<ptrdiff_t>(consumed));
      progress_ = true;
      Reply(frame, answer);
    }
  }

  void Reply(const Frame& frame, const DdeService::Answer& answer) {
    const Kind expected = accepted_ ? Kind::kRequest : Kind::kConnect;
    if (frame.kind != expected) {
      dead_ = true;
    } else if (!accepted_) {
      accepted_ = SameDdeName(dde_wire::NameOf(frame), kDdeTopic);
      closing_ = !accepted_;
      output_ =
          dde_wire::Encode(accepted_ ? Kind::kAccept : Kind::kRefuse, frame.serial, nullptr, 0);
    } else {
      std::vector<uint8_t> data;
      if (Ask(answer, dde_wire::NameOf(frame), data)) {
        output_ = dde_wire::Encode(Kind::kData, frame.serial, data.data(), data.size());
      } else {
        output_ = dde_wire::Encode(Kind::kNoData, frame.serial, nullptr, 0);
      }
    }
  }

  // An answer too large for a frame is no answer.
  static bool Ask(const DdeService::Answer& answer, const std::u16string& item,
                  std::vector<uint8_t>& data) {
    try {
      return answer(item.c_str(), data) && !data.empty() && data.size() <= dde_wire::kMaxDataBytes;
    } catch (...) {
      return false;  // nothing may end the service thread
    }
  }

  // True when the whole reply is sent.
  bool Flush() {
    while (sent_ < output_.size()) {
      const ssize_t written = send(socket_, output_.data() + sent_, output_.size() - sent_,
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
      if (written >= 0) {
        sent_ += static_cast<size_t>(written);
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return false;
      } else if (errno != EINTR) {
        dead_ = true;
        return false;
      }
    }
    output_.clear();
    sent_ = 0;
    progress_ = true;
    if (closing_) dead_ = true;
    return !dead_;
  }

  const int socket_;
  bool accepted_ = false;  // the peer named our topic
  bool closing_ = false;   // refused: close once the refusal is sent
  bool dead_ = false;
  bool progress_ = false;  // a frame was taken or a reply sent in this turn
  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;
  size_t sent_ = 0;
  std::optional<DdeClock::time_point> busySince_;  // when the unfinished frame or reply began
};

// Milliseconds until the earliest deadline; -1 (wait for ever) without one.
int PollTimeout(const std::list<Peer>& peers) {
  std::optional<DdeClock::time_point> earliest;
  for (const Peer& peer : peers) {
    const auto deadline = peer.Deadline();
    if (deadline && (!earliest || *deadline < *earliest)) earliest = deadline;
  }
  return earliest ? MillisecondsUntil(*earliest) : -1;
}

void Accept(int listening, std::list<Peer>& peers) {
  const int socket = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (socket < 0) return;
  // The folder is ours alone already; this also keeps out a peer that got a descriptor to it.
  if (!PeerIsSameUser(socket)) {
    close(socket);
    return;
  }
  peers.emplace_back(socket);
}

}  // namespace

std::unique_ptr<DdeServerLoop> DdeServerLoop::Create(DdeService::Answer answer) {
  const int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake < 0) return nullptr;
  return std::unique_ptr<DdeServerLoop>(new DdeServerLoop(std::move(answer), wake));
}

DdeServerLoop::DdeServerLoop(DdeService::Answer answer, int wake)
    : answer_(std::move(answer)), wake_(wake) {}

DdeServerLoop::~DdeServerLoop() {
  if (thread_.joinable()) {
    stopping_.store(true);
    Wake();
    thread_.join();
  }
  for (DdeListener& listener : listeners_) CloseDdeListener(listener);
  close(wake_);
}

bool DdeServerLoop::Add(const DdeListener& listener) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    listeners_.push_back(listener);
  }
  if (thread_.joinable()) {
    Wake();
    return true;
  }
  try {
    thread_ = std::thread(&DdeServerLoop::Run, this);
    return true;
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseDdeListener(listeners_.back());
    listeners_.pop_back();
    return false;
  }
}

void DdeServerLoop::Wake() {
  const uint64_t one = 1;
  while (write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

std::vector<int> DdeServerLoop::ListeningSockets() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<int> sockets;
  for (const DdeListener& listener : listeners_) sockets.push_back(listener.socket);
  return sockets;
}

void DdeServerLoop::Run() {
  std::list<Peer> peers;
  std::vector<pollfd> entries;
  while (!stopping_.load()) {
    const std::vector<int> listening = ListeningSockets();
    entries.clear();
    entries.push_back({wake_, POLLIN, 0});
    for (int socket : listening) entries.push_back({socket, POLLIN, 0});
    for (const Peer& peer : peers) entries.push_back(peer.Poll());
    if (poll(entries.data(), entries.size(), PollTimeout(peers)) < 0) {
      if (errno == EINTR) continue;
      break;
    }

    if (entries[0].revents & POLLIN) {
      uint64_t count;  // cleared only: every descriptor is looked at on each turn anyway
      const ssize_t cleared = read(wake_, &count, sizeof count);
      static_cast<void>(cleared);
    }
    auto entry = entries.begin() + 1 + static_cast<ptrdiff_t>(listening.size());
    for (Peer& peer : peers) {
      const short events = (entry++)->revents;
      if (events) peer.Handle(events, answer_);
      peer.Expire(DdeClock::now());
    }
    peers.remove_if([](const Peer& peer) { return peer.Dead(); });
    for (size_t i = 0; i < listening.size(); ++i) {
      if (entries[1 + i].revents & POLLIN) Accept(listening[i], peers);
    }
  }
}

}  // namespace platform
