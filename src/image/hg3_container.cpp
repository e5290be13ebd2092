#include "image/hg3_container.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "platform/little_endian.h"

namespace hg3 {

namespace {

constexpr char kMagic[4] = {'H', 'G', '-', '3'};

// The tags of the frame entry at `offset`, which must hold at least a frame header.
void ReadTags(const uint8_t* data, uint32_t size, uint32_t offset, Frame& frame) {
  frame.key = static_cast<int32_t>(LoadLe32(data + offset + 4));
  frame.tags.clear();
  uint64_t at = uint64_t{offset} + kFrameHeaderSize;
  while (at + kTagHeaderSize <= size) {
    const uint8_t* header = data + at;
    const uint32_t next = LoadLe32(header + 8);
    const uint32_t length = LoadLe32(header + 12);
    if (length > size - at - kTagHeaderSize) break;
    const char* name = reinterpret_cast<const char*>(header);
    frame.tags.push_back(
        {std::string(name, strnlen(name, kTagNameSize)), header + kTagHeaderSize, length});
    if (next == 0) break;
    at += next;
  }
}

// Walks the frame chain until `stop` says so; false when the chain ends first.
template <typename Stop>
bool WalkFrames(const uint8_t* data, uint32_t size, Frame& frame, Stop stop) {
  uint64_t at = kHeaderSize;
  for (uint32_t index = 0; at + kFrameHeaderSize <= size; ++index) {
    const uint32_t next = LoadLe32(data + at);
    if (stop(index, static_cast<int32_t>(LoadLe32(data + at + 4)))) {
      ReadTags(data, size, static_cast<uint32_t>(at), frame);
      return true;
    }
    if (next == 0) return false;
    at += next;
  }
  return false;
}

}  // namespace

const Tag* Frame::Find(const char* name) const {
  for (const Tag& tag : tags) {
    if (tag.name == name) return &tag;
  }
  return nullptr;
}

std::vector<const Tag*> Frame::Slices() const {
  std::map<uint32_t, const Tag*> numbered;
  for (const Tag& tag : tags) {
    unsigned number = 0;
    int end = 0;
    if (std::sscanf(tag.name.c_str(), "img%u%n", &number, &end) != 1 ||
        end != static_cast<int>(tag.name.size())) {
      continue;
    }
    char canonical[kTagNameSize + 8];
    std::snprintf(canonical, sizeof canonical, "img%04u", number);
    if (tag.name == canonical) numbered.emplace(number, &tag);  // the first of a name counts
  }
  std::vector<const Tag*> slices;
  for (auto it = numbered.begin(); it != numbered.end() && it->first == slices.size(); ++it) {
    slices.push_back(it->second);
  }
  return slices;
}

HeaderResult CheckHeader(const uint8_t* data, uint32_t size) {
  if (data == nullptr || size < 4 || std::memcmp(data, kMagic, 4) != 0)
    return HeaderResult::kBadMagic;
  if (size < 8 || LoadLe32(data + 4) != kHeaderSize) return HeaderResult::kBadHeaderSize;
  return HeaderResult::kOk;
}

bool FindFrameByKey(const uint8_t* data, uint32_t size, int32_t key, Frame& frame) {
  return WalkFrames(data, size, frame,
                    [key](uint32_t, int32_t frameKey) { return frameKey == key; });
}

bool FindFrameAt(const uint8_t* data, uint32_t size, uint32_t position, Frame& frame) {
  return WalkFrames(data, size, frame,
                    [position](uint32_t index, int32_t) { return index == position; });
}

uint32_t CountFrames(const uint8_t* data, uint32_t size) {
  uint32_t count = 0;
  Frame unused;
  WalkFrames(data, size, unused, [&count](uint32_t, int32_t) {
    ++count;
    return false;
  });
  return count;
}

Writer::Writer() : bytes_(kMagic, kMagic + sizeof kMagic) {
  AppendLe32(bytes_, kHeaderSize);
  AppendLe32(bytes_, 0x300);
}

void Writer::LinkPrevious(size_t& previous, size_t nextField) {
  if (previous == SIZE_MAX) return;
  const auto distance = static_cast<uint32_t>(bytes_.size() - previous);
  uint8_t* field = bytes_.data() + previous + nextField;
  for (int i = 0; i < 4; ++i) field[i] = static_cast<uint8_t>(distance >> (8 * i));
  previous = SIZE_MAX;
}

void Writer::BeginFrame(int32_t key) {
  tag_ = SIZE_MAX;
  LinkPrevious(frame_, 0);
  frame_ = bytes_.size();
  AppendLe32(bytes_, 0);
  AppendLe32(bytes_, static_cast<uint32_t>(key));
}

void Writer::AddTag(const char* name, const void* data, uint32_t size) {
  LinkPrevious(tag_, kTagNameSize);
  tag_ = bytes_.size();
  const size_t length = strnlen(name, kTagNameSize);  // a name of 8 has no terminator
  bytes_.insert(bytes_.end(), name, name + length);
  bytes_.resize(bytes_.size() + kTagNameSize - length, 0);
  AppendLe32(bytes_, 0);
  AppendLe32(bytes_, size);
  const auto* bytes = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), bytes, bytes + size);
}

std::vector<uint8_t> Writer::Finish() {
  std::vector<uint8_t> file;
  file.swap(bytes_);
  *this = Writer();
  return file;
}

}  // namespace hg3
