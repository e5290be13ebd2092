// Loads a picture of any format the library reads from a block in memory, chosen by the block's
// first bytes, and holds it for painting.
#pragma once

#include <cstdint>

#include "image/memory_block.h"
#include "image/zrImage.h"

enum class ImageKind : int32_t {
  kNone = 0,
  kBmp = 1,
  kPsd = 2,
  kZrf = 3,
  kHg2 = 4,
  kJpeg = 5,
  kHg3 = 6,
  kPng = 7,
  kWebP = 8,
};

// The format whose signature `source` carries, tested in the loader's fixed order; kNone when no
// format read here claims it.
ImageKind DetectImageKind(const MemoryBlock* source);
// A new, empty image of that format (reference count 1); null for kNone.
zrImage* NewImageOfKind(ImageKind kind);

class zrImageLoader {
 public:
  zrImageLoader() = default;
  ~zrImageLoader();
  zrImageLoader(const zrImageLoader&) = delete;
  zrImageLoader& operator=(const zrImageLoader&) = delete;

  // Drops the held picture, then decodes `source` (frame `key` of a multi-frame file); with
  // `placeOnCanvas` the picture is then put on its canvas. The pixels, or null on failure.
  uint8_t* LoadFromMemory(const MemoryBlock* source, int placeOnCanvas, int32_t key);
  // Replaces the held picture by its canvas with the picture blitted at its offset, when the
  // canvas is larger than the picture.
  void PlaceOnCanvas();

  uint32_t GetSize(uint32_t* width, uint32_t* height) const;
  int32_t GetBytesPerPixel() const;
  int32_t GetPitch() const;
  uint8_t* GetPixels() const;
  zrImage* GetImage() const { return image_; }
  ImageKind GetKind() const { return kind_; }

 private:
  void Drop();

  zrImage* image_ = nullptr;
  ImageKind kind_ = ImageKind::kNone;
};
