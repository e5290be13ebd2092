// The frames of the posix DDE transport. Every frame is a 16-byte header of four little-endian
// 32-bit words, magic, kind, serial and body length, and then the body. Names (topics and items)
// travel as UTF-16 units, at most 255 of them; an item's bytes as they are, at most 1 MiB. A
// client sends kConnect (body: the topic, serial 0), then kRequest (body: the item, each with a
// new serial); the server answers kAccept or kRefuse, then kData (body: the bytes) or kNoData,
// each with the serial of what it answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {
namespace dde_wire {

constexpr uint32_t kMagic = 0x4544525A;  // "ZRDE"
constexpr size_t kHeaderSize = 16;
constexpr size_t kMaxNameUnits = 255;
constexpr uint32_t kMaxDataBytes = 1u << 20;

enum class Kind : uint32_t {
  kConnect = 1,
  kRequest = 2,
  kAccept = 3,
  kRefuse = 4,
  kData = 5,
  kNoData = 6,
};

struct Frame {
  Kind kind = Kind::kNoData;
  uint32_t serial = 0;
  std::vector<uint8_t> body;
};

// A frame whose body is `name`, cut at kMaxNameUnits units.
std::vector<uint8_t> EncodeName(Kind kind, uint32_t serial, const char16_t* name);
// A frame with `size` bytes of body (at most kMaxDataBytes; none for the kinds without a body).
std::vector<uint8_t> Encode(Kind kind, uint32_t serial, const uint8_t* body, size_t size);
// The name a kConnect or kRequest frame carries.
std::u16string NameOf(const Frame& frame);

enum class ParseResult {
  kIncomplete,  // a good start of a frame, or nothing
  kFrame,       // `frame` holds the first frame, `consumed` its size
  kInvalid,     // not a frame: bad magic, an unknown kind, or a length the kind cannot have
};
// Reads the frame at the start of `data`. A bad magic is seen from its first byte and a bad
// header as soon as it is complete: a peer cannot make the reader wait for an impossible body.
ParseResult ParseFrame(const uint8_t* data, size_t size, Frame& frame, size_t& consumed);

}  // namespace dde_wire
}  // namespace platform
