#include "image/zrImageHg3.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "image/hg3_container.h"
#include "image/hg_slice_codec.h"
#include "image/zlib_buffers.h"
#include "image/zrImageJpeg.h"
#include "image/zrImageWebP.h"
#include "platform/little_endian.h"
#include "system/numbers.h"
#include "system/trace.h"

namespace {

constexpr char kBadMagic[] = "HG3 : ヘッダが違います";
constexpr char kBadHeaderSize[] = "HG3 : ヘッダサイズが違います";
constexpr char kByteAreaSize[] = "zrImageHg3 : バイト領域のサイズが異常です";
constexpr char kBitAreaSize[] = "zrImageHg3 : ビット領域のサイズが異常です";
constexpr HgSliceMessages kSliceMessages = {kByteAreaSize, kBitAreaSize};

constexpr uint32_t kSliceHeaderSize = 24;
constexpr uint32_t kAlphaHeaderSize = 8;
constexpr uint32_t kMinAlphaArea = 1024;
// deflate cannot expand data more than about 1032 to 1: a larger stated size is a forgery.
constexpr uint64_t kMaxInflateRatio = 1032;

struct StdInfo {
  uint32_t width;
  uint32_t height;
  int32_t bytesPerPixel;
  int32_t offsetX;
  int32_t offsetY;
  int32_t canvasWidth;
  int32_t canvasHeight;
  uint32_t transparent;
  int32_t baseX;
  int32_t baseY;
};

// The picture description; false for a geometry no buffer should be made for.
bool ReadStdInfo(const hg3::Tag& tag, StdInfo& info) {
  if (tag.size < hg3::kStdInfoSize) return false;
  const uint8_t* p = tag.data;
  info.width = LoadLe32(p);
  info.height = LoadLe32(p + 4);
  info.bytesPerPixel = static_cast<int16_t>(LoadLe16(p + 8)) / 8;
  info.offsetX = LoadLe32Signed(p + 12);
  info.offsetY = LoadLe32Signed(p + 16);
  info.canvasWidth = LoadLe32Signed(p + 20);
  info.canvasHeight = LoadLe32Signed(p + 24);
  info.transparent = LoadLe32(p + 28);
  info.baseX = LoadLe32Signed(p + 32);
  info.baseY = LoadLe32Signed(p + 36);
  return PictureFitsLimits(info.width, info.height, info.bytesPerPixel);
}

// The plane a frame stores its picture in: the first of these tags wins.
enum class PlaneKind { kWebP, kJpeg, kStandard };

PlaneKind ChoosePlane(const hg3::Frame& frame) {
  if (frame.Find("img_wbp")) return PlaneKind::kWebP;
  if (frame.Find("img_jpg")) return PlaneKind::kJpeg;
  return PlaneKind::kStandard;
}

// A slice as its tag holds it; false when the header or the byte area does not fit the tag.
// The bit area runs to its stated length or to the end of the tag, whichever comes first.
bool ReadSlice(const hg3::Tag& tag, uint32_t& firstRow, uint32_t& rows, HgCodedPlane& plane) {
  if (tag.size < kSliceHeaderSize) return false;
  const uint8_t* p = tag.data;
  firstRow = LoadLe32(p);
  rows = LoadLe32(p + 4);
  const uint32_t byteCompressed = LoadLe32(p + 8);
  const uint32_t room = tag.size - kSliceHeaderSize;
  if (byteCompressed > room) return false;
  plane.byteArea = p + kSliceHeaderSize;
  plane.byteAreaCompressed = byteCompressed;
  plane.byteAreaSize = LoadLe32(p + 12);
  plane.bitArea = plane.byteArea + byteCompressed;
  plane.bitAreaCompressed = std::min(LoadLe32(p + 16), room - byteCompressed);
  plane.bitAreaSize = LoadLe32(p + 20);
  return true;
}

}  // namespace

bool zrImageHg3::Accepts(const MemoryBlock* source) {
  return source && source->data && source->size >= 4 && std::memcmp(source->data, "HG-3", 4) == 0;
}

int zrImageHg3::Load(const MemoryBlock* source, int32_t key) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  switch (hg3::CheckHeader(data, size)) {
    case hg3::HeaderResult::kBadMagic:
      Trace(kBadMagic);
      return 0;
    case hg3::HeaderResult::kBadHeaderSize:
      Trace(kBadHeaderSize);
      return 0;
    case hg3::HeaderResult::kOk:
      break;
  }
  hg3::Frame frame;
  return hg3::FindFrameByKey(data, size, key, frame) && DecodeFrame(frame) ? 1 : 0;
}

int zrImageHg3::LoadFrame(const MemoryBlock* source, uint32_t position, int32_t* key) {
  const uint8_t* data = source ? source->data : nullptr;
  const uint32_t size = source ? source->size : 0;
  if (hg3::CheckHeader(data, size) != hg3::HeaderResult::kOk) return 0;
  hg3::Frame frame;
  if (!hg3::FindFrameAt(data, size, position, frame) || !DecodeFrame(frame)) return 0;
  if (key) *key = frame.key;
  return 1;
}

bool zrImageHg3::DecodeFrame(const hg3::Frame& frame) {
  const hg3::Tag* stdinfo = frame.Find("stdinfo");
  StdInfo info{};
  if (!stdinfo || !ReadStdInfo(*stdinfo, info)) return false;
  const uint32_t pitch = info.width * static_cast<uint32_t>(info.bytesPerPixel);
  if (!Reserve(pitch * info.height)) return false;
  SetGeometry(info.width, info.height, info.bytesPerPixel, static_cast<int32_t>(pitch));

  bool decoded = false;
  switch (ChoosePlane(frame)) {
    case PlaneKind::kWebP:
      decoded = DecodeWebPPlane(*frame.Find("img_wbp"));
      break;
    case PlaneKind::kJpeg:
      decoded = DecodeJpegPlane(*frame.Find("img_jpg"), frame.Find("img_al"));
      break;
    case PlaneKind::kStandard:
      decoded = DecodeStandardPlane(frame.Slices());
      break;
  }
  if (!decoded) return false;

  if (bytesPerPixel_ == 3 && !ExpandTo32()) return false;
  canvasWidth_ = info.canvasWidth;
  canvasHeight_ = info.canvasHeight;
  offsetX_ = info.offsetX;
  offsetY_ = info.offsetY;
  alphaState_ = info.transparent != 0 ? kAlphaTransparent : kAlphaOpaque;
  baseX_ = info.baseX;
  baseY_ = info.baseY;
  ApplyTags(frame);
  SwapRedBlue();
  return true;
}

bool zrImageHg3::DecodeStandardPlane(const std::vector<const hg3::Tag*>& slices) {
  // Rows no slice covers read as zero rather than as whatever the heap held.
  std::memset(pixels_, 0, static_cast<size_t>(pitch_) * height_);
  const HgPlaneTarget target{pixels_, static_cast<size_t>(pitch_), width_, height_, bytesPerPixel_};
  HgSliceDecoder decoder;
  for (const hg3::Tag* tag : slices) {
    uint32_t firstRow = 0;
    uint32_t rows = 0;
    HgCodedPlane plane;
    if (!ReadSlice(*tag, firstRow, rows, plane)) return false;
    if (!HgSliceSucceeded(decoder.Decode(plane, firstRow, rows, target), kSliceMessages)) {
      return false;
    }
  }
  return true;
}

bool zrImageHg3::LoadPlane(zrImage& plane, const hg3::Tag& tag, int32_t bytesPerPixel) const {
  const MemoryBlock block = BorrowedBlock(tag.data, tag.size);
  uint32_t width = 0;
  uint32_t height = 0;
  if (!plane.Load(&block, 0)) return false;
  plane.GetSize(&width, &height);
  return width == width_ && height == height_ && plane.GetBytesPerPixel() == bytesPerPixel;
}

bool zrImageHg3::DecodeWebPPlane(const hg3::Tag& tag) {
  zrImageWebP plane;
  if (!LoadPlane(plane, tag, bytesPerPixel_)) return false;
  for (uint32_t row = 0; row < height_; ++row) {
    std::memcpy(pixels_ + static_cast<size_t>(row) * pitch_, plane.PixelAt(0, row),
                static_cast<size_t>(pitch_));
  }
  return true;
}

bool zrImageHg3::DecodeJpegPlane(const hg3::Tag& tag, const hg3::Tag* alpha) {
  zrImageJpeg plane;
  if (!LoadPlane(plane, tag, 3)) return false;
  if (bytesPerPixel_ != 3 && bytesPerPixel_ != 4) {
    // A pixel size the colour plane cannot fill: the picture stays blank.
    std::memset(pixels_, 0, static_cast<size_t>(pitch_) * height_);
    return true;
  }
  for (uint32_t row = 0; row < height_; ++row) {
    const uint8_t* from = plane.PixelAt(0, static_cast<int32_t>(row));
    uint8_t* to = pixels_ + static_cast<size_t>(row) * pitch_;
    for (uint32_t column = 0; column < width_; ++column, from += 3, to += bytesPerPixel_) {
      std::memcpy(to, from, 3);
      if (bytesPerPixel_ == 4) to[3] = 255;
    }
  }
  if (bytesPerPixel_ == 4 && alpha) ApplyAlphaPlane(*alpha);
  return true;
}

void zrImageHg3::ApplyAlphaPlane(const hg3::Tag& tag) {
  if (tag.size < kAlphaHeaderSize) return;
  const uint32_t compressed = std::min(LoadLe32(tag.data), tag.size - kAlphaHeaderSize);
  const uint32_t inflated = LoadLe32(tag.data + 4);
  // A plane that cannot cover the picture, or that no stream of its length could give, is not
  // used: the picture stays opaque, as with any plane of the wrong size.
  const uint64_t needed = uint64_t{width_} * height_;
  if (inflated < needed || inflated > uint64_t{compressed} * kMaxInflateRatio + 64) return;
  std::vector<uint8_t> plane;
  try {
    plane.resize(std::max(kMinAlphaArea, inflated));
  } catch (const std::bad_alloc&) {
    return;
  }
  if (InflateBuffer(plane.data(), plane.size(), tag.data + kAlphaHeaderSize, compressed) !=
      int64_t{inflated}) {
    return;
  }
  const uint8_t* from = plane.data();
  for (uint32_t row = 0; row < height_; ++row) {
    uint8_t* to = pixels_ + static_cast<size_t>(row) * pitch_ + 3;
    for (uint32_t column = 0; column < width_; ++column, to += 4) *to = *from++;
  }
}

void zrImageHg3::ApplyTags(const hg3::Frame& frame) {
  bool modeGiven = false;
  bool jpegPlane = false;
  for (const hg3::Tag& tag : frame.tags) {
    int32_t number = 0;
    size_t end = 0;
    if (tag.name.compare(0, 3, "ats") == 0 && ParseInt(tag.name.c_str() + 3, &end, &number)) {
      ImageAttribute record{};
      std::memcpy(record.data(), tag.data, std::min<size_t>(tag.size, record.size()));
      SetAttribute(static_cast<uint16_t>(number), record.data());
    } else if (tag.name == "cptype" && tag.size >= 4) {
      compositionType_ = LoadLe32(tag.data);
    } else if (tag.name == "imgmode" && tag.size >= 4) {
      colourOrderMode_ = LoadLe32(tag.data);
      modeGiven = true;
    } else if (tag.name == "img_jpg" || tag.name == "img_jpa") {
      jpegPlane = true;
    }
  }
  if (jpegPlane && !modeGiven) colourOrderMode_ = 1;
}
