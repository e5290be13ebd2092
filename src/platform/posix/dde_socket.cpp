#include "platform/posix/dde_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/upper_case.h"
#include "platform/posix/user_folder.h"

namespace platform {

namespace {

std::u16string Folded(const std::u16string& name) {
  std::u16string folded(name);
  for (char16_t& unit : folded) unit = UpperCase(unit);
  return folded;
}

// False when the path does not fit a socket address: a cut path would name another file.
bool FillAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

int NewSocket() {
  return socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// True when `socket` is ready for `events` before `deadline`.
bool WaitFor(int socket, short events, DdeClock::time_point deadline) {
  for (;;) {
    pollfd entry{socket, events, 0};
    const int ready = poll(&entry, 1, MillisecondsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

}  // namespace

int MillisecondsUntil(DdeClock::time_point deadline) {
  const auto left = deadline - DdeClock::now();
  if (left <= DdeClock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

std::string DdeServerStem(const char16_t* name) {
  const std::string folder = UserFolder("zr-dde");
  if (folder.empty()) return std::string();
  return folder + "/" + HashedName(Folded(name));
}

bool SameDdeName(const std::u16string& a, const std::u16string& b) {
  return Folded(a) == Folded(b);
}

bool OpenDdeListener(const std::string& stem, DdeListener& listener) {
  sockaddr_un address;
  if (!FillAddress(stem + ".sock", address)) return false;
  const int lock = open((stem + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lock < 0) return false;
  if (!LockFirstByte(lock, F_WRLCK, false)) {
    close(lock);
    return false;
  }
  // The name is ours: whatever socket is there was left by a server that ended without removing
  // it.
  unlink(address.sun_path);
  const int server = NewSocket();
  if (server >= 0 && bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    if (listen(server, SOMAXCONN) == 0) {
      listener = DdeListener{lock, server, address.sun_path};
      return true;
    }
    unlink(address.sun_path);
  }
  if (server >= 0) close(server);
  close(lock);
  return false;
}

void CloseDdeListener(DdeListener& listener) {
  unlink(listener.path.c_str());
  close(listener.socket);
  close(listener.lock);
  listener = DdeListener{};
}

bool PeerIsSameUser(int socket) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
         credentials.uid == geteuid();
}

int ConnectDdeSocket(const std::string& stem) {
  sockaddr_un address;
  if (!FillAddress(stem + ".sock", address)) return -1;
  const int client = NewSocket();
  if (client < 0) return -1;
  // A local connection is made at once or not at all (EAGAIN: the server's backlog is full).
  if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      !PeerIsSameUser(client)) {
    close(client);
    return -1;
  }
  return client;
}

bool SendBefore(int socket, const std::vector<uint8_t>& bytes, DdeClock::time_point deadline) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t written =
        send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written >= 0) {
      sent += static_cast<size_t>(written);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(socket, POLLOUT, deadline)) return false;
    } else if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

ReceiveResult ReceiveBefore(int socket, std::vector<uint8_t>& pending, dde_wire::Frame& frame,
                            DdeClock::time_point deadline) {
  for (;;) {
    size_t consumed = 0;
    switch (dde_wire::ParseFrame(pending.data(), pending.size(), frame, consumed)) {
      case dde_wire::ParseResult::kFrame:
        pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(consumed));
        return ReceiveResult::kFrame;
      case dde_wire::ParseResult::kInvalid:
        return ReceiveResult::kBroken;
      case dde_wire::ParseResult::kIncomplete:
        break;
    }
    uint8_t chunk[4096];
    const ssize_t got = recv(socket, chunk, sizeof chunk, MSG_DONTWAIT);
    if (got > 0) {
      pending.insert(pending.end(), chunk, chunk + got);
    } else if (got == 0) {
      return ReceiveResult::kBroken;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (!WaitFor(socket, POLLIN, deadline)) return ReceiveResult::kTimeout;
    } else if (errno != EINTR) {
      return ReceiveResult::kBroken;
    }
  }
}

}  // namespace platform
