// The posix DDE transport: the servers are served by a DdeServerLoop; conversations are sockets
// the calling thread writes requests to and waits on for the replies. See platform/dde.h.
#include "platform/dde.h"

#include <unistd.h>

#include <map>

#include "platform/posix/dde_server.h"
#include "platform/posix/dde_socket.h"

namespace platform {

namespace {

using dde_wire::Frame;
using dde_wire::Kind;

struct Conversation {
  int socket = -1;               // -1 once the conversation failed
  uint32_t serial = 0;           // of the last request
  std::vector<uint8_t> pending;  // received bytes not yet a whole frame
};

DdeClock::time_point Deadline() {
  return DdeClock::now() + std::chrono::milliseconds(kDdeTimeoutMs);
}

void Break(Conversation& conversation) {
  if (conversation.socket >= 0) close(conversation.socket);
  conversation.socket = -1;
  conversation.pending.clear();
}

}  // namespace

struct DdeService::Impl {
  std::unique_ptr<DdeServerLoop> loop;
  std::map<DdeConversation, Conversation> conversations;
  DdeConversation lastConversation = 0;
};

std::unique_ptr<DdeService> DdeService::Start(Answer answer) {
  auto impl = std::make_unique<Impl>();
  impl->loop = DdeServerLoop::Create(std::move(answer));
  if (!impl->loop) return nullptr;
  return std::unique_ptr<DdeService>(new DdeService(std::move(impl)));
}

DdeService::DdeService(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DdeService::~DdeService() {
  impl_->loop.reset();
  for (auto& entry : impl_->conversations) Break(entry.second);
}

bool DdeService::AddServer(const char16_t* name) {
  const std::string stem = DdeServerStem(name);
  DdeListener listener;
  return !stem.empty() && OpenDdeListener(stem, listener) && impl_->loop->Add(listener);
}

DdeConversation DdeService::Connect(const char16_t* name, const char16_t* topic) {
  const std::string stem = DdeServerStem(name);
  Conversation conversation;
  conversation.socket = stem.empty() ? -1 : ConnectDdeSocket(stem);
  if (conversation.socket < 0) return 0;
  const auto deadline = Deadline();
  Frame reply;
  if (!SendBefore(conversation.socket, dde_wire::EncodeName(Kind::kConnect, 0, topic), deadline) ||
      ReceiveBefore(conversation.socket, conversation.pending, reply, deadline) !=
          ReceiveResult::kFrame ||
      reply.kind != Kind::kAccept) {
    Break(conversation);
    return 0;
  }
  const DdeConversation id = ++impl_->lastConversation;
  impl_->conversations[id] = std::move(conversation);
  return id;
}

bool DdeService::Request(DdeConversation id, const char16_t* item, std::vector<uint8_t>& data) {
  auto found = impl_->conversations.find(id);
  if (found == impl_->conversations.end() || found->second.socket < 0) return false;
  Conversation& conversation = found->second;
  const uint32_t serial = ++conversation.serial;
  const auto deadline = Deadline();
  // A request sent in part leaves the stream out of step: the conversation is over.
  if (!SendBefore(conversation.socket, dde_wire::EncodeName(Kind::kRequest, serial, item),
                  deadline)) {
    Break(conversation);
    return false;
  }
  for (;;) {
    Frame reply;
    switch (ReceiveBefore(conversation.socket, conversation.pending, reply, deadline)) {
      case ReceiveResult::kTimeout:
        return false;  // its reply, if it ever comes, is skipped by the next request
      case ReceiveResult::kBroken:
        Break(conversation);
        return false;
      case ReceiveResult::kFrame:
        break;
    }
    if (reply.kind != Kind::kData && reply.kind != Kind::kNoData) {
      Break(conversation);
      return false;
    }
    if (reply.serial != serial) continue;  // the late answer to an earlier request
    data = std::move(reply.body);
    return reply.kind == Kind::kData && !data.empty();
  }
}

}  // namespace platform
