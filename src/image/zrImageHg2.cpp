#include "image/zrImageHg2.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/hg_slice_codec.h"
#include "platform/little_endian.h"
#include "system/heap.h"
#include "system/trace.h"

namespace {

constexpr char kBadMagic[] = "HG2 : ヘッダが違います";
constexpr char kBadVersion[] = "HG2 : 未対応のバージョンです";
constexpr char kNoFrame[] = "HG2(%d) : 対応するIDが見つかりません";
constexpr char kByteAreaSize[] = "zrImageHg2 : バイト領域のサイズが異常です";
constexpr char kBitAreaSize[] = "zrImageHg2 : ビット領域のサイズが異常です";
constexpr HgSliceMessages kSliceMessages = {kByteAreaSize, kBitAreaSize};
constexpr char kUnsupportedPixels[] = "この色数には対応していません";

constexpr uint32_t kFileHeaderSize = 12;
constexpr uint32_t kImageHeaderSize = 36;
constexpr uint32_t kSingleDataOffset = kFileHeaderSize + kImageHeaderSize;  // version 16
constexpr uint32_t kVersionSingle = 16;
constexpr uint32_t kVersionFrames = 32;
constexpr uint32_t kVersionBases = 37;
constexpr uint32_t kFrameInfoSize = 32;  // version 32; 37 adds the two base values
constexpr uint32_t kBaseInfoSize = 40;
constexpr uint32_t kFullDepth = 8;
constexpr uint32_t kMinSaveCapacity = 102400;

uint32_t InfoSize(uint32_t version) {
  return version >= kVersionBases ? kBaseInfoSize : kFrameInfoSize;
}

}  // namespace

// One frame as the file places it; every offset checked against the block.
struct zrImageHg2::Frame {
  uint32_t header = 0;  // the image header
  uint32_t data = 0;    // the compressed byte area
  uint32_t next = 0;    // from this header to the next frame's; 0: the last frame
  bool hasInfo = false;
  int32_t key = 0;
  int32_t canvasWidth = 0;
  int32_t canvasHeight = 0;
  int32_t offsetX = 0;
  int32_t offsetY = 0;
  uint32_t transparent = 0;
  int32_t baseX = 0;
  int32_t baseY = 0;
};

namespace {

// The frame whose image header starts at `header`; false when it does not fit the block.
template <typename Frame>
bool ReadFrame(const uint8_t* data, uint32_t size, uint32_t version, uint64_t header,
               Frame& frame) {
  if (header + kImageHeaderSize > size) return false;
  frame.header = static_cast<uint32_t>(header);
  if (version == kVersionSingle) {
    frame.data = kSingleDataOffset;
    return true;
  }
  const uint64_t info = header + kImageHeaderSize;
  if (info + InfoSize(version) > size) return false;
  const uint8_t* p = data + info;
  const uint64_t start = info + LoadLe32(p);
  if (start > size) return false;
  frame.data = static_cast<uint32_t>(start);
  frame.hasInfo = true;
  frame.key = LoadLe32Signed(p + 4);
  frame.canvasWidth = LoadLe32Signed(p + 8);
  frame.canvasHeight = LoadLe32Signed(p + 12);
  frame.offsetX = LoadLe32Signed(p + 16);
  frame.offsetY = LoadLe32Signed(p + 20);
  frame.transparent = LoadLe32(p + 24);
  frame.next = LoadLe32(p + 28);
  if (version >= kVersionBases) {
    frame.baseX = LoadLe32Signed(p + 32);
    frame.baseY = LoadLe32Signed(p + 36);
  }
  return true;
}

// The low 16 bits of the version, or 0 for one this decoder does not read.
uint32_t VersionOf(const uint8_t* data, uint32_t size) {
  if (size < kFileHeaderSize) return 0;
  const uint32_t version = LoadLe32(data + 8) & 0xFFFF;
  return version == kVersionSingle || version == kVersionFrames || version == kVersionBases
             ? version
             : 0;
}

bool HasMagic(const uint8_t* data, uint32_t size) {
  return data && size >= 4 && std::memcmp(data, "HG-2", 4) == 0;
}

// Channels of `depth` bits to 8 bits: the bits repeated downward, as 0x0F of 4 bits becomes 0xFF.
// From 4 bits on this is (v << (8 - d)) | (v >> (2d - 8)); below, the pattern repeats more often.
uint8_t Widen(uint8_t value, uint32_t depth) {
  if (depth >= 4) {
    return static_cast<uint8_t>((value << (8 - depth)) | (value >> (2 * depth - 8)));
  }
  const uint32_t bits = value & ((1u << depth) - 1);
  uint32_t wide = 0;
  for (int shift = 8 - static_cast<int>(depth); shift > -static_cast<int>(depth);
       shift -= static_cast<int>(depth)) {
    wide |= shift >= 0 ? bits << shift : bits >> -shift;
  }
  return static_cast<uint8_t>(wide);
}

}  // namespace

bool zrImageHg2::Accepts(const MemoryBlock* source) {
  return source && HasMagic(source->data, source->size);
}

std::vector<int32_t> zrImageHg2::FrameKeys(const MemoryBlock* source) {
  std::vector<int32_t> keys;
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  const uint32_t version = HasMagic(data, size) ? VersionOf(data, size) : 0;
  Frame frame;
  for (uint64_t header = kFileHeaderSize;
       version != 0 && ReadFrame(data, size, version, header, frame); header += frame.next) {
    keys.push_back(frame.key);
    if (version == kVersionSingle || frame.next == 0) break;
  }
  return keys;
}

int zrImageHg2::Load(const MemoryBlock* source, int32_t key) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  if (!HasMagic(data, size)) {
    Trace(kBadMagic);
    return 0;
  }
  const uint32_t version = VersionOf(data, size);
  if (version == 0) {
    Trace(kBadVersion);
    return 0;
  }
  Frame frame;
  uint64_t header = kFileHeaderSize;
  for (;;) {
    if (!ReadFrame(data, size, version, header, frame)) return 0;
    if (version == kVersionSingle || frame.key == key) break;
    if (frame.next == 0) {
      Trace(kNoFrame, key);
      return 0;
    }
    header += frame.next;
  }
  return DecodeFrame(data, size, frame) ? 1 : 0;
}

int zrImageHg2::LoadFrame(const MemoryBlock* source, uint32_t position, int32_t* key) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  if (!HasMagic(data, size)) return 0;
  const uint32_t version = VersionOf(data, size);
  if (version != kVersionBases) {
    // Older files are read by key only: the first position is the frame of key 0.
    if (position != 0 || !Load(source, 0)) return 0;
    if (key) *key = 0;
    return 1;
  }
  Frame frame;
  uint64_t header = kFileHeaderSize;
  for (uint32_t step = 0;; ++step) {
    if (!ReadFrame(data, size, version, header, frame)) return 0;
    if (step == position) break;
    if (frame.next == 0) return 0;
    header += frame.next;
  }
  if (!DecodeFrame(data, size, frame)) return 0;
  if (key) *key = frame.key;
  return 1;
}

bool zrImageHg2::DecodeFrame(const uint8_t* data, uint32_t size, const Frame& frame) {
  const uint8_t* header = data + frame.header;
  const uint32_t width = LoadLe32(header);
  const uint32_t height = LoadLe32(header + 4);
  const int32_t bytesPerPixel = static_cast<int16_t>(LoadLe16(header + 8)) / 8;
  const uint32_t depth = LoadLe16(header + 10);
  if (!PictureFitsLimits(width, height, bytesPerPixel) || depth > kFullDepth) {
    return false;
  }
  const uint32_t byteCompressed = LoadLe32(header + 20);
  const uint32_t room = size - frame.data;
  if (byteCompressed > room) return false;
  HgCodedPlane plane;
  plane.byteArea = data + frame.data;
  plane.byteAreaCompressed = byteCompressed;
  plane.byteAreaSize = LoadLe32(header + 24);
  plane.bitArea = plane.byteArea + byteCompressed;
  plane.bitAreaCompressed = std::min(LoadLe32(header + 28), room - byteCompressed);
  plane.bitAreaSize = LoadLe32(header + 32);

  const uint32_t pitch = width * static_cast<uint32_t>(bytesPerPixel);
  if (!Reserve(pitch * height)) return false;
  SetGeometry(width, height, bytesPerPixel, static_cast<int32_t>(pitch));
  HgSliceDecoder decoder;
  if (!HgSliceSucceeded(
          decoder.Decode(plane, 0, height, {pixels_, pitch, width, height, bytesPerPixel}),
          kSliceMessages)) {
    return false;
  }
  if (depth != 0 && depth != kFullDepth) WidenDepth(depth);

  canvasWidth_ = frame.hasInfo ? frame.canvasWidth : static_cast<int32_t>(width);
  canvasHeight_ = frame.hasInfo ? frame.canvasHeight : static_cast<int32_t>(height);
  offsetX_ = frame.offsetX;
  offsetY_ = frame.offsetY;
  baseX_ = frame.baseX;
  baseY_ = frame.baseY;
  alphaState_ = !frame.hasInfo      ? kAlphaUnknown
                : frame.transparent ? kAlphaTransparent
                                    : kAlphaOpaque;
  return true;
}

void zrImageHg2::WidenDepth(uint32_t depth) {
  uint8_t table[256];
  for (uint32_t value = 0; value < 256; ++value) {
    table[value] = Widen(static_cast<uint8_t>(value), depth);
  }
  const size_t bytes = static_cast<size_t>(pitch_) * height_;
  for (size_t i = 0; i < bytes; ++i) pixels_[i] = table[pixels_[i]];
}

int zrImageHg2::Save(MemoryBlock* target, int32_t key, int32_t baseX, int32_t baseY,
                     int32_t clearTransparent) {
  if (!target || !HoldsRows()) return 0;
  canvasWidth_ = static_cast<int32_t>(width_);
  canvasHeight_ = static_cast<int32_t>(height_);
  baseX_ = baseX;
  baseY_ = baseY;
  offsetX_ = 0;
  offsetY_ = 0;
  ImageRect bounds;
  OpaqueBounds(&bounds);
  if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) bounds = {0, 0, 2, 2};
  if (trim_) {
    if (!Crop(&bounds)) return 0;
    offsetX_ = bounds.left;
    offsetY_ = bounds.top;
  }
  if (clearTransparent) ClearTransparentColour();
  HgEncodedPlane plane;
  if ((bytesPerPixel_ != 3 && bytesPerPixel_ != 4) ||
      !EncodeHgPlane(pixels_, static_cast<size_t>(pitch_), width_, height_, bytesPerPixel_,
                     plane)) {
    if (bytesPerPixel_ != 3 && bytesPerPixel_ != 4) Trace(kUnsupportedPixels);
    ReleaseMemoryBlock(target);
    return 0;
  }

  std::vector<uint8_t> file = {'H', 'G', '-', '2'};
  AppendLe32(file, kFileHeaderSize);
  AppendLe32(file, kVersionBases);
  AppendLe32(file, width_);
  AppendLe32(file, height_);
  AppendLe16(file, static_cast<uint16_t>(bytesPerPixel_ * 8));
  AppendLe16(file, 0);  // full 8-bit channels
  AppendLe32(file, 0);  // two values this writer always leaves 0
  AppendLe32(file, 0);
  AppendLe32(file, static_cast<uint32_t>(plane.byteArea.size()));
  AppendLe32(file, plane.byteAreaSize);
  AppendLe32(file, static_cast<uint32_t>(plane.bitArea.size()));
  AppendLe32(file, plane.bitAreaSize);
  AppendLe32(file, kBaseInfoSize);  // the byte area follows the frame information
  const int32_t info[] = {key, canvasWidth_, canvasHeight_, offsetX_, offsetY_, HasTransparency(),
                          0,   baseX_,       baseY_};
  for (int32_t value : info) AppendLe32(file, static_cast<uint32_t>(value));
  file.insert(file.end(), plane.byteArea.begin(), plane.byteArea.end());
  file.insert(file.end(), plane.bitArea.begin(), plane.bitArea.end());

  // The block is at least the customary size, and always large enough for the whole file.
  const uint64_t customary =
      uint64_t{width_} * height_ * static_cast<uint32_t>(bytesPerPixel_) * 2 + kSingleDataOffset +
      kBaseInfoSize;
  const uint64_t capacity =
      (std::max<uint64_t>({customary, kMinSaveCapacity, file.size()}) + 7) & ~uint64_t{7};
  auto* block = capacity <= UINT32_MAX
                    ? static_cast<uint8_t*>(zrHeapAlloc(0, static_cast<uint32_t>(capacity)))
                    : nullptr;
  if (!block) {
    ReleaseMemoryBlock(target);
    return 0;
  }
  std::memcpy(block, file.data(), file.size());
  std::memset(block + file.size(), 0, capacity - file.size());
  AdoptIntoMemoryBlock(target, block, static_cast<uint32_t>(file.size()));
  target->capacity = static_cast<uint32_t>(capacity);
  return 1;
}
