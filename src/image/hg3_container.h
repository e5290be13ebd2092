// The HG-3 container: a 12-byte header, then a chain of frames, each a key and a chain of named
// tags. Reading checks every distance and size against the block, so a frame or a tag either lies
// wholly inside the file or is not seen at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hg3 {

constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kFrameHeaderSize = 8;
constexpr uint32_t kTagHeaderSize = 16;
constexpr uint32_t kTagNameSize = 8;
constexpr uint32_t kStdInfoSize = 40;

struct Tag {
  std::string name;  // up to 8 characters, cut at the first zero byte
  const uint8_t* data;
  uint32_t size;
};

struct Frame {
  int32_t key = 0;
  std::vector<Tag> tags;  // in chain order; the chain ends at the first tag that does not fit

  // The first tag of that name, or null.
  const Tag* Find(const char* name) const;
  // The standard plane's slices "img0000", "img0001", ... up to the first missing number.
  std::vector<const Tag*> Slices() const;
};

enum class HeaderResult { kOk, kBadMagic, kBadHeaderSize };

HeaderResult CheckHeader(const uint8_t* data, uint32_t size);

// The first frame with `key`, or the frame `position` steps down the chain. False when the chain
// ends first. The header must have been checked.
bool FindFrameByKey(const uint8_t* data, uint32_t size, int32_t key, Frame& frame);
bool FindFrameAt(const uint8_t* data, uint32_t size, uint32_t position, Frame& frame);
// The number of frame entries the chain holds.
uint32_t CountFrames(const uint8_t* data, uint32_t size);

// Writes HG-3 files: frames of tags in the order they are added.
class Writer {
 public:
  Writer();
  void BeginFrame(int32_t key);
  void AddTag(const char* name, const void* data, uint32_t size);
  // The finished file; the writer is empty afterwards.
  std::vector<uint8_t> Finish();

 private:
  // Points the "next" distance (at `nextField` in the entry starting at `previous`) at the end of
  // the file, where the next entry begins.
  void LinkPrevious(size_t& previous, size_t nextField);

  std::vector<uint8_t> bytes_;
  size_t frame_ = SIZE_MAX;  // start of the current frame entry
  size_t tag_ = SIZE_MAX;    // start of the frame's last tag
};

}  // namespace hg3
