// Small blocks of data exchanged between the engine's processes. A process creates named
// servers and registers items, each answered by a callback; another connects to a server by name
// and requests an item. Every conversation uses the topic "ZRDDE_TOPIC". One object per process.
// Names are narrow Shift-JIS texts, taken as at most 255 wide characters.
#pragma once

#include <cstdint>
#include <memory>

// Answers a request for `itemName`: sets `*data` to a block from zrHeapAlloc and `*size` to its
// length and returns non-zero. The service frees the block with zrHeapFree.
using ItemCallback = int32_t (*)(void* userData, const char16_t* itemName, void** data,
                                 uint32_t* size);

class zrDDE {
 public:
  // Becomes the process-wide object and ready, unless one exists already or the transport cannot
  // start (both traced; the object then stays not ready and every operation returns 0).
  zrDDE();
  ~zrDDE();
  zrDDE(const zrDDE&) = delete;
  zrDDE& operator=(const zrDDE&) = delete;

  // The process-wide object, or null.
  static zrDDE* Current();
  bool IsReady() const;

  int32_t CreateServer(const char* name);
  int32_t Connect(const char* name);
  int32_t RegisterItem(const char* name, ItemCallback callback, void* userData);
  // 1 when the item's data, at most `maxBytes` long, was copied into `buffer`; else 0 and the
  // buffer is untouched. Waits at most 1000 ms for the server.
  int32_t GetServerData(const char* item, void* buffer, uint32_t maxBytes, const char* serverName);

 private:
  struct State;
  std::unique_ptr<State> state_;  // null while not ready
};
