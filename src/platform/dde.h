// The transport under zrDDE, in the library's terms: named servers of this process answer item
// requests through one callback; conversations with servers (of this or another process) on a
// topic fetch items as bytes.
//
// Windows: the DDE management library (DDEML), Unicode string handles, requests in clipboard
// format 512 with a 1000 ms time-out. Requests are answered on the thread that started the
// service, while it dispatches window messages; one service per process.
//
// posix: local stream sockets of our own, with the same names, topics, results and time-out.
// - A server is a listening socket in the per-user folder "zr-dde" (see posix/user_folder.h),
//   named from the server name folded to upper case (readable start plus hash), since service
//   names compare case-insensitively. Beside it a lock file, held with an open-file-description
//   lock while the server lives, owns the name: a live server's name cannot be taken (the second
//   AddServer fails), and the socket a crashed server left behind is replaced.
// - One service thread per service, started with the first server, runs a poll() loop over the
//   listening sockets and the connections and calls the answer callback, one request at a time.
//   Destruction stops it, then closes and removes the sockets.
// - Every frame is a 16-byte header (magic, kind, serial, length, little-endian) and a body; see
//   posix/dde_wire.h. A client names the topic first and is accepted or refused; then each request
//   names an item and is answered with the bytes or with "no data". A reply carries its request's
//   serial, so an answer that comes after its request timed out is skipped, never taken for the
//   answer to a later request.
// - The server trusts no peer: a bad frame closes the connection; a frame not complete, or a reply
//   not taken, within 1000 ms closes it too; a peer of another user is refused. Sockets are
//   non-blocking and writes never raise SIGPIPE. Names are cut at 255 units and an answer over
//   1 MiB goes out as no data.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

constexpr char16_t kDdeTopic[] = u"ZRDDE_TOPIC";
constexpr uint32_t kDdeTimeoutMs = 1000;

// 0 is no conversation.
using DdeConversation = uintptr_t;

// Its operations are for one thread at a time; the answer callback may run on another.
class DdeService {
 public:
  // Answers a request for `item` (on the topic kDdeTopic, to any server of this service): fills
  // `data` and returns true, or returns false for no data.
  using Answer = std::function<bool(const char16_t* item, std::vector<uint8_t>& data)>;

  // Null when the transport cannot start.
  static std::unique_ptr<DdeService> Start(Answer answer);
  // Stops answering, ends the conversations and withdraws the servers.
  ~DdeService();
  DdeService(const DdeService&) = delete;
  DdeService& operator=(const DdeService&) = delete;

  // Serves `name` from this process; false when it cannot (on posix also when a live server,
  // here or elsewhere, has the name already).
  bool AddServer(const char16_t* name);
  // A conversation with the server `name` on `topic`, or 0 when there is no such server or it
  // refuses the topic.
  DdeConversation Connect(const char16_t* name, const char16_t* topic);
  // The item's bytes from the conversation's server into `data`; false when it has none, the
  // conversation failed, or no answer came within kDdeTimeoutMs.
  bool Request(DdeConversation conversation, const char16_t* item, std::vector<uint8_t>& data);

  struct Impl;  // each platform's own

 private:
  explicit DdeService(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
