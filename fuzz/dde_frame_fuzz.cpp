// Reads arbitrary bytes as a stream of DDE transport frames, as the service thread and a client
// read what a peer sends. Every frame found must re-encode to the bytes it came from, and every
// shorter cut of it must read as incomplete: a good frame split by the socket is never refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/posix/dde_wire.h"

using namespace platform::dde_wire;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t offset = 0;
  Frame frame;
  Frame part;
  size_t consumed = 0;
  size_t partConsumed = 0;
  while (ParseFrame(data + offset, size - offset, frame, consumed) == ParseResult::kFrame) {
    const auto again = Encode(frame.kind, frame.serial, frame.body.data(), frame.body.size());
    if (again.size() != consumed || std::memcmp(again.data(), data + offset, consumed) != 0) {
      std::abort();
    }
    for (size_t cut : {consumed - 1, consumed / 2, size_t{3}}) {
      if (cut < consumed &&
          ParseFrame(data + offset, cut, part, partConsumed) != ParseResult::kIncomplete) {
        std::abort();
      }
    }
    if (frame.kind == Kind::kConnect || frame.kind == Kind::kRequest) {
      const std::u16string name = NameOf(frame);
      if (EncodeName(frame.kind, frame.serial, name.c_str()).size() > consumed) std::abort();
    }
    offset += consumed;
  }
  return 0;
}
