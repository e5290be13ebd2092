#include "platform/posix/dde_wire.h"

#include <algorithm>

namespace platform {
namespace dde_wire {

namespace {

void PutWord(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t WordAt(const uint8_t* data) {
  return data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
}

// Whether a frame of `kind` may carry `length` bytes of body.
bool LengthFits(uint32_t kind, uint32_t length) {
  switch (static_cast<Kind>(kind)) {
    case Kind::kConnect:
    case Kind::kRequest:
      return length % 2 == 0 && length <= kMaxNameUnits * 2;
    case Kind::kData:
      return length <= kMaxDataBytes;
    case Kind::kAccept:
    case Kind::kRefuse:
    case Kind::kNoData:
      return length == 0;
  }
  return false;  // an unknown kind
}

}  // namespace

std::vector<uint8_t> Encode(Kind kind, uint32_t serial, const uint8_t* body, size_t size) {
  std::vector<uint8_t> frame;
  frame.reserve(kHeaderSize + size);
  PutWord(frame, kMagic);
  PutWord(frame, static_cast<uint32_t>(kind));
  PutWord(frame, serial);
  PutWord(frame, static_cast<uint32_t>(size));
  frame.insert(frame.end(), body, body + size);
  return frame;
}

std::vector<uint8_t> EncodeName(Kind kind, uint32_t serial, const char16_t* name) {
  std::vector<uint8_t> units;
  for (size_t i = 0; name[i] && i < kMaxNameUnits; ++i) {
    units.push_back(static_cast<uint8_t>(name[i]));
    units.push_back(static_cast<uint8_t>(name[i] >> 8));
  }
  return Encode(kind, serial, units.data(), units.size());
}

std::u16string NameOf(const Frame& frame) {
  std::u16string name;
  for (size_t i = 0; i + 1 < frame.body.size(); i += 2) {
    name += static_cast<char16_t>(frame.body[i] | frame.body[i + 1] << 8);
  }
  return name;
}

ParseResult ParseFrame(const uint8_t* data, size_t size, Frame& frame, size_t& consumed) {
  uint8_t magic[4];
  for (int i = 0; i < 4; ++i) magic[i] = static_cast<uint8_t>(kMagic >> (8 * i));
  if (!std::equal(data, data + std::min<size_t>(size, 4), magic)) return ParseResult::kInvalid;
  if (size < kHeaderSize) return ParseResult::kIncomplete;
  const uint32_t kind = WordAt(data + 4);
  const uint32_t length = WordAt(data + 12);
  if (!LengthFits(kind, length)) return ParseResult::kInvalid;
  if (size - kHeaderSize < length) return ParseResult::kIncomplete;
  frame.kind = static_cast<Kind>(kind);
  frame.serial = WordAt(data + 8);
  frame.body.assign(data + kHeaderSize, data + kHeaderSize + length);
  consumed = kHeaderSize + length;
  return ParseResult::kFrame;
}

}  // namespace dde_wire
}  // namespace platform
