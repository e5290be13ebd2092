#include "system/zrDDE.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dde.h"
#include "platform/text_compare.h"
#include "system/bounded_text.h"
#include "system/heap.h"
#include "system/text_encoding.h"
#include "system/trace.h"

namespace {

std::atomic<zrDDE*> currentObject{nullptr};

constexpr size_t kNameLimit = 255;  // units of a name

// The wide form of a Shift-JIS name, cut at kNameLimit units; false for null or a name that does
// not convert.
bool WideName(const char* name, std::u16string& wide) {
  if (!name) return false;
  char16_t buffer[4096];
  if (SjisToWide(buffer, std::size(buffer), name) == 0) return false;
  wide.assign(buffer, std::min(WideLength(buffer), kNameLimit));
  return true;
}

struct Item {
  std::u16string name;
  ItemCallback callback;
  void* userData;
};

struct Connection {
  std::u16string server;
  platform::DdeConversation conversation;
};

}  // namespace

struct zrDDE::State {
  // One operation at a time; held while a request waits for its answer, so the service thread
  // never takes it.
  std::mutex calls;
  std::vector<std::u16string> servers;  // in creation order; guarded by `calls`
  std::vector<Connection> connections;  // in connection order; guarded by `calls`
  // Guards `items`, which the service thread reads for each request: held for a lookup only.
  std::mutex itemsLock;
  std::vector<Item> items;  // in registration order
  std::unique_ptr<platform::DdeService> service;

  // The service's answer: the callback of the item, whose block is copied and released here.
  bool Answer(const char16_t* item, std::vector<uint8_t>& data);
};

bool zrDDE::State::Answer(const char16_t* item, std::vector<uint8_t>& data) {
  ItemCallback callback = nullptr;
  void* userData = nullptr;
  {
    std::lock_guard<std::mutex> lock(itemsLock);
    // Item names compare as the transport's names do, ignoring case; the first one answers.
    auto found = std::find_if(items.begin(), items.end(), [item](const Item& entry) {
      return platform::CompareTextIgnoringCase(entry.name.c_str(), item) == 0;
    });
    if (found == items.end()) return false;
    callback = found->callback;
    userData = found->userData;
  }
  if (!callback) return false;
  char16_t name[kNameLimit + 1];
  CopyWide(name, item);
  void* block = nullptr;
  uint32_t size = 0;
  if (!callback(userData, name, &block, &size) || !block) return false;
  // A block handed over is released even when it is empty: it is ours now.
  data.assign(static_cast<const uint8_t*>(block), static_cast<const uint8_t*>(block) + size);
  zrHeapFree(block);
  return size != 0;
}

zrDDE::zrDDE() {
  zrDDE* none = nullptr;
  if (!currentObject.compare_exchange_strong(none, this)) {
    Trace("zrDDEクラスは複数作成出来ません");
    return;
  }
  auto state = std::make_unique<State>();
  State* answering = state.get();
  state->service =
      platform::DdeService::Start([answering](const char16_t* item, std::vector<uint8_t>& data) {
        return answering->Answer(item, data);
      });
  if (!state->service) {
    Trace("zrCaps : DDEサーバー作成に失敗");
    return;
  }
  state_ = std::move(state);
}

zrDDE::~zrDDE() {
  // No answer may run once the lists go: the service stops first.
  if (state_) state_->service.reset();
  state_.reset();
  zrDDE* self = this;
  currentObject.compare_exchange_strong(self, nullptr);
}

zrDDE* zrDDE::Current() {
  return currentObject.load();
}

bool zrDDE::IsReady() const {
  return state_ != nullptr;
}

int32_t zrDDE::CreateServer(const char* name) {
  std::u16string wide;
  if (!state_ || !WideName(name, wide)) return 0;
  std::lock_guard<std::mutex> lock(state_->calls);
  auto& servers = state_->servers;
  if (std::find(servers.begin(), servers.end(), wide) != servers.end()) {
    TraceW(u"zrDDE : サーバ<%s>は既に作成されています", wide.c_str());
    return 0;
  }
  if (wide.empty() || !state_->service->AddServer(wide.c_str())) return 0;
  servers.push_back(wide);
  return 1;
}

int32_t zrDDE::Connect(const char* name) {
  std::u16string wide;
  if (!state_ || !WideName(name, wide)) return 0;
  std::lock_guard<std::mutex> lock(state_->calls);
  auto& connections = state_->connections;
  if (std::any_of(connections.begin(), connections.end(),
                  [&wide](const Connection& entry) { return entry.server == wide; })) {
    TraceW(u"zrDDE : 既にサーバ<%s>に接続されています", wide.c_str());
    return 0;
  }
  if (wide.empty()) return 0;
  const platform::DdeConversation conversation =
      state_->service->Connect(wide.c_str(), platform::kDdeTopic);
  if (!conversation) return 0;
  connections.push_back({wide, conversation});
  return 1;
}

int32_t zrDDE::RegisterItem(const char* name, ItemCallback callback, void* userData) {
  std::u16string wide;
  if (!state_ || !WideName(name, wide)) return 0;
  std::lock_guard<std::mutex> lock(state_->calls);
  std::lock_guard<std::mutex> itemsLock(state_->itemsLock);
  auto& items = state_->items;
  if (std::any_of(items.begin(), items.end(),
                  [&wide](const Item& entry) { return entry.name == wide; })) {
    TraceW(u"zrDDE : トピック %s は既に登録されています", wide.c_str());
    return 0;
  }
  if (wide.empty()) return 0;
  items.push_back({wide, callback, userData});
  return 1;
}

int32_t zrDDE::GetServerData(const char* item, void* buffer, uint32_t maxBytes,
                             const char* serverName) {
  std::u16string server;
  std::u16string itemName;
  if (!state_ || !WideName(serverName, server) || !WideName(item, itemName)) return 0;
  std::lock_guard<std::mutex> lock(state_->calls);
  const auto& connections = state_->connections;
  auto found = std::find_if(connections.begin(), connections.end(),
                            [&server](const Connection& entry) { return entry.server == server; });
  if (found == connections.end()) {
    TraceW(u"zrDDE::GetServerData  サーバ %s に接続されていません", server.c_str());
    return 0;
  }
  std::vector<uint8_t> data;
  if (itemName.empty() || !state_->service->Request(found->conversation, itemName.c_str(), data) ||
      data.size() > maxBytes || !buffer) {
    return 0;
  }
  std::memcpy(buffer, data.data(), data.size());
  return 1;
}
