#include "image/zrImage.h"

#include <algorithm>
#include <cstring>

#include "system/heap.h"
#include "system/trace.h"

namespace {

constexpr char kAllocationFailed[] = "ピクセルイメージ用バッファの確保に失敗しました";

// Rows of new buffers end on a 4-byte boundary, as device-independent bitmaps need.
uint64_t AlignedPitch(uint64_t width, int32_t bytesPerPixel) {
  return (width * static_cast<uint64_t>(bytesPerPixel) + 3) & ~uint64_t{3};
}

// Sizes are computed in 64 bits so that nothing wraps before the limit is checked.
uint8_t* AllocatePixels(uint64_t size) {
  void* pixels = size <= kMaxImageBytes ? zrHeapAlloc(0, static_cast<uint32_t>(size)) : nullptr;
  if (!pixels) Trace(kAllocationFailed);
  return static_cast<uint8_t*>(pixels);
}

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
  return std::min(std::max(value, low), high);
}

}  // namespace

bool PictureFitsLimits(uint64_t width, uint64_t height, int32_t bytesPerPixel) {
  return bytesPerPixel >= 1 && bytesPerPixel <= 4 && width >= 1 && height >= 1 &&
         width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height * static_cast<uint64_t>(bytesPerPixel) <= kMaxImageBytes;
}

zrImage::~zrImage() {
  if (pixels_) zrHeapFree(pixels_);
}

int zrImage::Load(const MemoryBlock*, int32_t) {
  return 0;
}

int zrImage::LoadFrame(const MemoryBlock*, uint32_t, int32_t*) {
  return 0;
}

int zrImage::Save(MemoryBlock*, int32_t, int32_t, int32_t, int32_t) {
  return 0;
}

int zrImage::Create(uint32_t width, uint32_t height, int32_t bytesPerPixel) {
  if (bytesPerPixel < 1 || bytesPerPixel > 4) ContractViolation("不正な bpp です");
  if (width > kMaxImageSide || height > kMaxImageSide) {
    Trace(kAllocationFailed);
    return 0;
  }
  const uint64_t pitch = AlignedPitch(width, bytesPerPixel);
  const auto size = static_cast<uint32_t>(pitch * height);
  uint8_t* pixels = Reserve(size);
  if (!pixels) return 0;
  std::memset(pixels, 0, size);
  bufferSize_ = size;
  SetGeometry(width, height, bytesPerPixel, static_cast<int32_t>(pitch));
  alphaState_ = kAlphaUnknown;  // the old picture's answer no longer holds
  return 1;
}

uint8_t* zrImage::Reserve(uint32_t bytes) {
  if (pixels_ && bufferSize_ >= bytes) return pixels_;
  // The old buffer stays when no new one can be had, so a failure leaves a whole image.
  uint8_t* pixels = AllocatePixels(bytes);
  if (pixels) AdoptBuffer(pixels, bytes);
  return pixels;
}

int zrImage::CopyFrom(const zrImage* other) {
  if (!other || other->bufferSize_ == 0 || !other->pixels_) return 0;
  if (other == this) return 1;
  uint8_t* pixels = Reserve(other->bufferSize_);
  if (!pixels) return 0;
  std::memcpy(pixels, other->pixels_, other->bufferSize_);
  bufferSize_ = other->bufferSize_;
  SetGeometry(other->width_, other->height_, other->bytesPerPixel_, other->pitch_);
  other->GetCanvasSize(&canvasWidth_, &canvasHeight_);
  offsetX_ = other->offsetX_;
  offsetY_ = other->offsetY_;
  alphaState_ = other->alphaState_;
  baseX_ = other->baseX_;
  baseY_ = other->baseY_;
  compositionType_ = other->compositionType_;
  return 1;
}

int zrImage::Blit(int32_t x, int32_t y, const zrImage* source, int32_t sourceX, int32_t sourceY,
                  int32_t w, int32_t h) {
  if (!source || source->bytesPerPixel_ != bytesPerPixel_) return 0;
  if (!HoldsRows() || !source->HoldsRows()) return 0;
  // The source rectangle within the source picture.
  const int64_t sourceLeft = std::max<int64_t>(sourceX, 0);
  const int64_t sourceTop = std::max<int64_t>(sourceY, 0);
  const int64_t sourceRight = std::min<int64_t>(int64_t{sourceX} + w, source->width_);
  const int64_t sourceBottom = std::min<int64_t>(int64_t{sourceY} + h, source->height_);
  if (sourceRight <= sourceLeft || sourceBottom <= sourceTop) return 0;
  // The clipped source lands at (x, y); cut again by this picture's edges, it is cut by the same
  // amount on its side, so that a picture partly off the left or top is not drawn shifted.
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(x + (sourceRight - sourceLeft), width_);
  const int64_t bottom = std::min<int64_t>(y + (sourceBottom - sourceTop), height_);
  if (right <= left || bottom <= top) return 0;

  const uint8_t* from0 = source->PixelAt(static_cast<int32_t>(sourceLeft + (left - x)),
                                         static_cast<int32_t>(sourceTop + (top - y)));
  uint8_t* to0 = PixelAt(static_cast<int32_t>(left), static_cast<int32_t>(top));
  const size_t rowBytes = static_cast<size_t>(right - left) * bytesPerPixel_;
  const int64_t rows = bottom - top;
  // Within one picture, rows moving down are copied from the bottom up so none is overwritten
  // before it is read.
  const bool upward = to0 > from0;
  for (int64_t i = 0; i < rows; ++i) {
    const int64_t row = upward ? rows - 1 - i : i;
    std::memmove(to0 + row * pitch_, from0 + row * source->pitch_, rowBytes);
  }
  alphaState_ = kAlphaUnknown;
  return 1;
}

int zrImage::Crop(ImageRect* rect) {
  if (!rect || !HoldsRows()) return 0;
  rect->left = static_cast<int32_t>(Clamp(rect->left, 0, width_));
  rect->top = static_cast<int32_t>(Clamp(rect->top, 0, height_));
  rect->right = static_cast<int32_t>(Clamp(rect->right, 0, width_));
  rect->bottom = static_cast<int32_t>(Clamp(rect->bottom, 0, height_));
  const ImageRect whole = {0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
  if (std::memcmp(rect, &whole, sizeof whole) == 0) return 1;
  if (rect->right <= rect->left || rect->bottom <= rect->top) return 0;

  const auto width = static_cast<uint32_t>(rect->right - rect->left);
  const auto height = static_cast<uint32_t>(rect->bottom - rect->top);
  const uint64_t pitch = AlignedPitch(width, bytesPerPixel_);
  uint8_t* pixels = AllocatePixels(pitch * height);
  if (!pixels) return 0;
  const auto size = static_cast<uint32_t>(pitch * height);
  std::memset(pixels, 0, size);
  for (uint32_t row = 0; row < height; ++row) {
    std::memcpy(pixels + row * pitch, PixelAt(rect->left, rect->top + static_cast<int32_t>(row)),
                static_cast<size_t>(width) * bytesPerPixel_);
  }
  AdoptBuffer(pixels, size);
  SetGeometry(width, height, bytesPerPixel_, static_cast<int32_t>(pitch));
  alphaState_ = kAlphaUnknown;
  return 1;
}

int zrImage::ExpandTo32() {
  if (bytesPerPixel_ != 3 || !HoldsRows()) return 0;
  uint8_t* pixels = AllocatePixels(uint64_t{width_} * height_ * 4);
  if (!pixels) return 0;
  uint8_t* to = pixels;
  for (uint32_t row = 0; row < height_; ++row) {
    const uint8_t* from = pixels_ + static_cast<size_t>(row) * pitch_;
    for (uint32_t column = 0; column < width_; ++column, from += 3, to += 4) {
      std::memcpy(to, from, 3);
      to[3] = 255;
    }
  }
  AdoptBuffer(pixels, width_ * height_ * 4);
  SetGeometry(width_, height_, 4, static_cast<int32_t>(width_ * 4));
  alphaState_ = kAlphaOpaque;
  return 1;
}

int zrImage::FlattenTo24(uint32_t background) {
  if (bytesPerPixel_ != 4 || !HoldsRows()) return 0;
  const uint64_t pitch = AlignedPitch(width_, 3);
  uint8_t* pixels = AllocatePixels(pitch * height_);
  if (!pixels) return 0;
  for (uint32_t row = 0; row < height_; ++row) {
    const uint8_t* from = pixels_ + static_cast<size_t>(row) * pitch_;
    uint8_t* to = pixels + row * pitch;
    for (uint32_t column = 0; column < width_; ++column, from += 4, to += 3) {
      for (int channel = 0; channel < 3; ++channel) {
        const int32_t back = (background >> (8 * channel)) & 0xFF;
        // Signed, with an arithmetic shift: a dark pixel over a light background rounds down.
        to[channel] = static_cast<uint8_t>(back + (((from[channel] - back) * from[3]) >> 8));
      }
    }
    std::memset(to, 0, pixels + (row + 1) * pitch - to);  // padding, so no stale bytes leak out
  }
  AdoptBuffer(pixels, static_cast<uint32_t>(pitch * height_));
  SetGeometry(width_, height_, 3, static_cast<int32_t>(pitch));
  return 1;
}

int zrImage::FlipVertical() {
  if (height_ < 2) return 1;
  if (!HoldsRows()) return 0;
  for (uint32_t top = 0, bottom = height_ - 1; top < height_ / 2; ++top, --bottom) {
    uint8_t* upper = pixels_ + static_cast<size_t>(top) * pitch_;
    std::swap_ranges(upper, upper + pitch_, pixels_ + static_cast<size_t>(bottom) * pitch_);
  }
  return 1;
}

int zrImage::ClearTransparentColour() {
  if (bytesPerPixel_ != 4 || !HoldsRows()) return 0;
  for (uint32_t row = 0; row < height_; ++row) {
    uint8_t* pixel = pixels_ + static_cast<size_t>(row) * pitch_;
    for (uint32_t column = 0; column < width_; ++column, pixel += 4) {
      if (pixel[3] == 0) std::memset(pixel, 0, 3);
    }
  }
  return 1;
}

int zrImage::OpaqueBounds(ImageRect* rect) const {
  if (!rect || !HoldsRows()) return 0;
  const auto width = static_cast<int32_t>(width_);
  const auto height = static_cast<int32_t>(height_);
  if (bytesPerPixel_ != 4) {
    *rect = {0, 0, width, height};
    return 1;
  }
  auto seen = [this](int32_t x, int32_t y) { return PixelAt(x, y)[3] != 0; };
  auto columnSeen = [&](int32_t x) {
    for (int32_t y = 0; y < height; ++y)
      if (seen(x, y)) return true;
    return false;
  };
  int32_t left = 0;
  while (left < width && !columnSeen(left)) ++left;
  int32_t right = width;
  while (right > left && !columnSeen(right - 1)) --right;
  auto rowSeen = [&](int32_t y) {
    for (int32_t x = left; x < right; ++x)
      if (seen(x, y)) return true;
    return false;
  };
  int32_t top = 0;
  while (top < height && !rowSeen(top)) ++top;
  int32_t bottom = height;
  while (bottom > top && !rowSeen(bottom - 1)) --bottom;
  *rect = {left, top, right, bottom};
  return 1;
}

int zrImage::HasTransparency() {
  if (bytesPerPixel_ <= 3) return 0;
  if (alphaState_ != kAlphaUnknown) return alphaState_ == kAlphaTransparent ? 1 : 0;
  if (!HoldsRows()) return 0;  // nothing to learn from: no answer is cached
  for (uint32_t row = 0; row < height_; ++row) {
    const uint8_t* pixel = pixels_ + static_cast<size_t>(row) * pitch_;
    for (uint32_t column = 0; column < width_; ++column, pixel += 4) {
      if (pixel[3] != 255) {
        alphaState_ = kAlphaTransparent;
        return 1;
      }
    }
  }
  alphaState_ = kAlphaOpaque;
  return 0;
}

int zrImage::SwapRedBlue() {
  if (colourOrderMode_ != 1 || bytesPerPixel_ < 3 || !HoldsRows()) return 0;
  for (uint32_t row = 0; row < height_; ++row) {
    uint8_t* pixel = pixels_ + static_cast<size_t>(row) * pitch_;
    for (uint32_t column = 0; column < width_; ++column, pixel += bytesPerPixel_) {
      std::swap(pixel[0], pixel[2]);
    }
  }
  colourOrderMode_ = 0;
  return 1;
}

int zrImage::SetAttribute(uint16_t key, const void* record) {
  if (!record) return 0;
  ImageAttribute copy;
  std::memcpy(copy.data(), record, copy.size());
  attributes_[key] = copy;
  return 1;
}

const uint8_t* zrImage::GetAttribute(uint16_t key) const {
  const auto found = attributes_.find(key);
  return found == attributes_.end() ? nullptr : found->second.data();
}

int32_t zrImage::AddRef() {
  return ++referenceCount_;
}

int32_t zrImage::Release() {
  const int32_t left = --referenceCount_;
  if (left <= 0) {
    delete this;
    return 0;
  }
  return left;
}

uint32_t zrImage::GetSize(uint32_t* width, uint32_t* height) const {
  if (width) *width = width_;
  if (height) *height = height_;
  return bufferSize_;
}

void zrImage::GetCanvasSize(int32_t* width, int32_t* height) const {
  if (width) *width = canvasWidth_ ? canvasWidth_ : static_cast<int32_t>(width_);
  if (height) *height = canvasHeight_ ? canvasHeight_ : static_cast<int32_t>(height_);
}

void zrImage::GetOffset(int32_t* x, int32_t* y) const {
  if (x) *x = offsetX_;
  if (y) *y = offsetY_;
}

void zrImage::GetBase(int32_t* x, int32_t* y) const {
  if (x) *x = baseX_;
  if (y) *y = baseY_;
}

ImagePlacement zrImage::GetPlacement() const {
  ImagePlacement placement = {width_, height_, 0, 0, offsetX_, offsetY_, baseX_, baseY_};
  GetCanvasSize(&placement.canvasWidth, &placement.canvasHeight);
  return placement;
}

uint8_t* zrImage::PixelAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || static_cast<uint32_t>(x) >= width_ || static_cast<uint32_t>(y) >= height_)
    return nullptr;
  if (!HoldsRows()) return nullptr;
  return pixels_ + static_cast<size_t>(y) * pitch_ + static_cast<size_t>(x) * bytesPerPixel_;
}

uint8_t* zrImage::PixelFromBottom(int32_t x, int32_t y) const {
  if (y < 0 || static_cast<uint32_t>(y) >= height_) return nullptr;
  return PixelAt(x, static_cast<int32_t>(height_ - 1 - static_cast<uint32_t>(y)));
}

void zrImage::SetGeometry(uint32_t width, uint32_t height, int32_t bytesPerPixel, int32_t pitch) {
  width_ = width;
  height_ = height;
  bytesPerPixel_ = bytesPerPixel;
  pitch_ = pitch;
  bounds_ = {0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

bool zrImage::HoldsRows() const {
  if (!pixels_ || bytesPerPixel_ < 1 || bytesPerPixel_ > 4 || pitch_ < 0) return false;
  const auto pitch = static_cast<uint64_t>(pitch_);
  return pitch >= uint64_t{width_} * static_cast<uint64_t>(bytesPerPixel_) &&
         pitch * height_ <= bufferSize_;
}

void zrImage::AdoptBuffer(uint8_t* pixels, uint32_t size) {
  if (pixels_) zrHeapFree(pixels_);
  pixels_ = pixels;
  bufferSize_ = size;
}
