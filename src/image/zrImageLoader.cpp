#include "image/zrImageLoader.h"

#include "image/zrImageBmp.h"
#include "image/zrImageHg2.h"
#include "image/zrImageHg3.h"
#include "image/zrImageJpeg.h"
#include "image/zrImagePng.h"
#include "image/zrImagePsd.h"
#include "image/zrImageWebP.h"
#include "image/zrImageZrf.h"
#include "system/trace.h"

namespace {

constexpr char kUnknownFormat[] = "展開できないイメージです";

struct Format {
  bool (*accepts)(const MemoryBlock* source);
  zrImage* (*make)();
  ImageKind kind;
};

template <typename Image>
zrImage* Make() {
  return new Image;
}

// Tried in this order; the first whose test passes decodes the block, and no other is tried.
const Format kFormats[] = {
    {zrImageHg3::Accepts, Make<zrImageHg3>, ImageKind::kHg3},
    {zrImageHg2::Accepts, Make<zrImageHg2>, ImageKind::kHg2},
    {zrImagePng::Accepts, Make<zrImagePng>, ImageKind::kPng},
    {zrImageJpeg::Accepts, Make<zrImageJpeg>, ImageKind::kJpeg},
    {zrImageBmp::Accepts, Make<zrImageBmp>, ImageKind::kBmp},
    {zrImagePsd::Accepts, Make<zrImagePsd>, ImageKind::kPsd},
    {zrImageWebP::Accepts, Make<zrImageWebP>, ImageKind::kWebP},
    {zrImageZrf::Accepts, Make<zrImageZrf>, ImageKind::kZrf},
};

}  // namespace

ImageKind DetectImageKind(const MemoryBlock* source) {
  for (const Format& format : kFormats) {
    if (format.accepts(source)) return format.kind;
  }
  return ImageKind::kNone;
}

zrImage* NewImageOfKind(ImageKind kind) {
  for (const Format& format : kFormats) {
    if (format.kind == kind) return format.make();
  }
  return nullptr;
}

zrImageLoader::~zrImageLoader() {
  Drop();
}

void zrImageLoader::Drop() {
  if (image_) image_->Release();
  image_ = nullptr;
}

uint8_t* zrImageLoader::LoadFromMemory(const MemoryBlock* source, int placeOnCanvas, int32_t key) {
  Drop();
  const ImageKind kind = DetectImageKind(source);
  if (kind == ImageKind::kNone) {
    Trace(kUnknownFormat);
    return nullptr;
  }
  kind_ = kind;
  image_ = NewImageOfKind(kind);
  if (!image_->Load(source, key)) {
    Drop();
    return nullptr;
  }
  if (placeOnCanvas) PlaceOnCanvas();
  return image_->GetPixels();
}

void zrImageLoader::PlaceOnCanvas() {
  if (!image_) return;
  int32_t x = 0;
  int32_t y = 0;
  int32_t canvasWidth = 0;
  int32_t canvasHeight = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  image_->GetOffset(&x, &y);
  image_->GetCanvasSize(&canvasWidth, &canvasHeight);
  image_->GetSize(&width, &height);
  if (static_cast<int64_t>(canvasWidth) == width && static_cast<int64_t>(canvasHeight) == height)
    return;
  // A canvas that cannot be made (negative or too large) leaves the picture as it is.
  if (canvasWidth <= 0 || canvasHeight <= 0) return;
  auto* canvas = new zrImage;
  if (!canvas->Create(static_cast<uint32_t>(canvasWidth), static_cast<uint32_t>(canvasHeight),
                      image_->GetBytesPerPixel())) {
    canvas->Release();
    return;
  }
  canvas->Blit(x, y, image_, 0, 0, static_cast<int32_t>(width), static_cast<int32_t>(height));
  image_->Release();
  image_ = canvas;
}

uint32_t zrImageLoader::GetSize(uint32_t* width, uint32_t* height) const {
  if (image_) return image_->GetSize(width, height);
  if (width) *width = 0;
  if (height) *height = 0;
  return 0;
}

int32_t zrImageLoader::GetBytesPerPixel() const {
  return image_ ? image_->GetBytesPerPixel() : 0;
}

int32_t zrImageLoader::GetPitch() const {
  return image_ ? image_->GetPitch() : 0;
}

uint8_t* zrImageLoader::GetPixels() const {
  return image_ ? image_->GetPixels() : nullptr;
}
