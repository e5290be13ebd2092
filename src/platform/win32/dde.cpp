// DDE through the DDE management library. Requests reach the service callback on the thread that
// started the service, while it dispatches window messages.
#include "platform/dde.h"

#include <windows.h>
// windows.h first: ddeml.h relies on its types.
#include <ddeml.h>

#include <atomic>

static_assert(sizeof(wchar_t) == 2, "wide strings are UTF-16");

namespace platform {

namespace {

constexpr UINT kFormat = 512;  // the first private clipboard format

const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

struct DdeService::Impl {
  Answer answer;
  DWORD instance = 0;
  HSZ topic = nullptr;
  std::vector<HSZ> servers;
  struct Conversation {
    HSZ server;
    HSZ topic;
    HCONV handle;
  };
  std::vector<Conversation> conversations;

  HSZ Handle(const char16_t* text) const {
    return DdeCreateStringHandleW(instance, Wide(text), CP_WINUNICODE);
  }
  bool Serves(HSZ name) const;
  HDDEDATA AnswerRequest(HSZ item);
};

namespace {

// DDEML's callback carries no context: the one service of the process.
std::atomic<DdeService::Impl*> currentService{nullptr};

HDDEDATA CALLBACK ServiceCallback(UINT type, UINT, HCONV, HSZ first, HSZ second, HDDEDATA,
                                  ULONG_PTR, ULONG_PTR) {
  DdeService::Impl* service = currentService.load();
  if (!service) return nullptr;
  // `first` is the topic; `second` the service name for a connection, the item for a request.
  const bool ourTopic = DdeCmpStringHandles(first, service->topic) == 0;
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(ourTopic && service->Serves(second) ? 1 : 0);
    case XTYP_REQUEST:
      return ourTopic ? service->AnswerRequest(second) : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

bool DdeService::Impl::Serves(HSZ name) const {
  for (HSZ server : servers) {
    if (DdeCmpStringHandles(server, name) == 0) return true;
  }
  return false;
}

HDDEDATA DdeService::Impl::AnswerRequest(HSZ item) {
  wchar_t name[257] = {};
  DdeQueryStringW(instance, item, name, 256, CP_WINUNICODE);
  std::vector<uint8_t> data;
  if (!answer(reinterpret_cast<const char16_t*>(name), data) || data.empty()) return nullptr;
  return DdeCreateDataHandle(instance, data.data(), static_cast<DWORD>(data.size()), 0, item,
                             kFormat, 0);
}

std::unique_ptr<DdeService> DdeService::Start(Answer answer) {
  auto impl = std::make_unique<Impl>();
  impl->answer = std::move(answer);
  Impl* none = nullptr;
  if (!currentService.compare_exchange_strong(none, impl.get())) return nullptr;
  if (DdeInitializeW(&impl->instance, ServiceCallback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) {
    currentService.store(nullptr);
    return nullptr;
  }
  impl->topic = impl->Handle(kDdeTopic);
  return std::unique_ptr<DdeService>(new DdeService(std::move(impl)));
}

DdeService::DdeService(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

DdeService::~DdeService() {
  Impl& impl = *impl_;
  for (const Impl::Conversation& conversation : impl.conversations) {
    DdeDisconnect(conversation.handle);
    DdeFreeStringHandle(impl.instance, conversation.server);
    DdeFreeStringHandle(impl.instance, conversation.topic);
  }
  // Withdrawn, so that nobody connects to a server that can no longer answer.
  DdeNameService(impl.instance, nullptr, nullptr, DNS_UNREGISTER);
  for (HSZ server : impl.servers) DdeFreeStringHandle(impl.instance, server);
  if (impl.topic) DdeFreeStringHandle(impl.instance, impl.topic);
  DdeUninitialize(impl.instance);
  currentService.store(nullptr);
}

bool DdeService::AddServer(const char16_t* name) {
  HSZ server = impl_->Handle(name);
  if (!server) return false;
  if (!DdeNameService(impl_->instance, server, nullptr, DNS_REGISTER)) {
    DdeFreeStringHandle(impl_->instance, server);
    return false;
  }
  impl_->servers.push_back(server);
  return true;
}

DdeConversation DdeService::Connect(const char16_t* name, const char16_t* topic) {
  HSZ server = impl_->Handle(name);
  HSZ topicHandle = impl_->Handle(topic);
  HCONV conversation =
      server && topicHandle ? DdeConnect(impl_->instance, server, topicHandle, nullptr) : nullptr;
  if (!conversation) {
    if (server) DdeFreeStringHandle(impl_->instance, server);
    if (topicHandle) DdeFreeStringHandle(impl_->instance, topicHandle);
    return 0;
  }
  impl_->conversations.push_back({server, topicHandle, conversation});
  return reinterpret_cast<DdeConversation>(conversation);
}

bool DdeService::Request(DdeConversation conversation, const char16_t* item,
                         std::vector<uint8_t>& data) {
  HSZ itemHandle = impl_->Handle(item);
  if (!itemHandle) return false;
  HDDEDATA reply = DdeClientTransaction(nullptr, 0, reinterpret_cast<HCONV>(conversation),
                                        itemHandle, kFormat, XTYP_REQUEST, kDdeTimeoutMs, nullptr);
  DdeFreeStringHandle(impl_->instance, itemHandle);
  if (!reply) return false;
  data.resize(DdeGetData(reply, nullptr, 0, 0));
  if (!data.empty()) DdeGetData(reply, data.data(), static_cast<DWORD>(data.size()), 0);
  DdeFreeDataHandle(reply);
  return !data.empty();
}

}  // namespace platform
