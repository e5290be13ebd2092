// The local sockets of the posix DDE transport: where a server's socket lives, the listening end
// with the lock that owns its name, the connecting end, and a client's exchanges of whole frames
// within a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/dde_wire.h"

namespace platform {

using DdeClock = std::chrono::steady_clock;
// Milliseconds left before `deadline` for poll(), rounded up so that a wait never ends early.
int MillisecondsUntil(DdeClock::time_point deadline);

// The path of a server's files without extension, in the per-user folder "zr-dde"; "" when there
// is no usable folder. Service names compare case-insensitively: the name is folded first.
std::string DdeServerStem(const char16_t* name);
// True when `a` and `b` are the same name ignoring case, as topics and service names compare.
bool SameDdeName(const std::u16string& a, const std::u16string& b);

// A server's listening socket and the lock file held for as long as it serves.
struct DdeListener {
  int lock = -1;
  int socket = -1;
  std::string path;  // the socket's
};
// Takes the name `stem` and listens on <stem>.sock (non-blocking); false when a live server holds
// the name or the socket cannot be made.
bool OpenDdeListener(const std::string& stem, DdeListener& listener);
// Removes the socket while the name is still ours, then lets the name go.
void CloseDdeListener(DdeListener& listener);

// True when the peer of a connected socket runs as our user.
bool PeerIsSameUser(int socket);

// A non-blocking socket connected to the server at <stem>.sock, which must run as our user; -1
// when there is none.
int ConnectDdeSocket(const std::string& stem);
// Sends all of `bytes` before `deadline`; false when the socket failed or the time ran out.
bool SendBefore(int socket, const std::vector<uint8_t>& bytes, DdeClock::time_point deadline);

enum class ReceiveResult { kFrame, kTimeout, kBroken };
// Reads the next frame before `deadline`. Bytes that came with it, or a part of a frame when the
// time runs out, stay in `pending` for the next call. kBroken: the peer closed, the socket failed,
// or the bytes are not a frame.
ReceiveResult ReceiveBefore(int socket, std::vector<uint8_t>& pending, dde_wire::Frame& frame,
                            DdeClock::time_point deadline);

}  // namespace platform
