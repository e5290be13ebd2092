// The library's in-memory raster image: one pixel buffer from zrHeap with its geometry, the
// placement values some formats carry, and a table of attribute records. Every file format is a
// subclass that decodes itself from memory (and some encode themselves back).
#pragma once

#include <array>
#include <cstdint>
#include <map>

#include "image/memory_block.h"
#include "system/zrClassBase.h"

struct ImageRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Where a picture lies: its size, the canvas it is part of, its offset there, and the base values.
struct ImagePlacement {
  uint32_t width;
  uint32_t height;
  int32_t canvasWidth;
  int32_t canvasHeight;
  int32_t offsetX;
  int32_t offsetY;
  int32_t baseX;
  int32_t baseY;
};

// The largest picture side accepted. At 4 bytes per pixel the largest buffer is then 1 GiB, so
// every size stays a 32-bit value, and a corrupt header cannot ask for absurd amounts of memory.
constexpr uint32_t kMaxImageSide = 16384;
constexpr uint32_t kMaxImageBytes = kMaxImageSide * kMaxImageSide * 4;

// True for a picture the library makes a buffer for: sides of 1 to kMaxImageSide, 1 to 4 bytes
// per pixel, and at most kMaxImageBytes of pixels. Decoders ask before they reserve anything.
bool PictureFitsLimits(uint64_t width, uint64_t height, int32_t bytesPerPixel);

constexpr uint32_t kImageAttributeSize = 20;
using ImageAttribute = std::array<uint8_t, kImageAttributeSize>;

// Cache of HasTransparency, also set by decoders that know the answer.
enum ImageAlphaState : int32_t { kAlphaUnknown = 0, kAlphaOpaque = 1, kAlphaTransparent = 2 };

class zrImage : public zrClassBase {
 public:
  zrImage() = default;
  ~zrImage() override;
  zrImage(const zrImage&) = delete;
  zrImage& operator=(const zrImage&) = delete;

  // Decoding and encoding belong to the formats; the plain image has none (0).
  virtual int Load(const MemoryBlock* source, int32_t key);
  virtual int LoadFrame(const MemoryBlock* source, uint32_t position, int32_t* key);
  virtual int Save(MemoryBlock* target, int32_t a, int32_t b, int32_t c, int32_t d);

  // A zero-filled picture with rows rounded up to 4 bytes; bytes per pixel outside 1 to 4 breaks
  // the contract.
  int Create(uint32_t width, uint32_t height, int32_t bytesPerPixel);
  // The buffer, at least `bytes` long (content not initialised); null when it cannot be had.
  uint8_t* Reserve(uint32_t bytes);
  int CopyFrom(const zrImage* other);
  // Copies the part of `source` at (sourceX, sourceY, w, h) that lies in both pictures to
  // (x, y); whichever edge cuts the rectangle, source pixel (sourceX + i, sourceY + j) lands
  // on (x + i, y + j).
  int Blit(int32_t x, int32_t y, const zrImage* source, int32_t sourceX, int32_t sourceY, int32_t w,
           int32_t h);
  // Keeps `rect`, first clamped to the picture (the clamped values are written back).
  int Crop(ImageRect* rect);
  int ExpandTo32();
  // Blends 4-byte pixels onto `background` (byte 0 blue, 1 green, 2 red) into 3-byte pixels.
  int FlattenTo24(uint32_t background);
  int FlipVertical();
  int ClearTransparentColour();
  // The smallest rectangle holding every pixel whose alpha is not 0.
  int OpaqueBounds(ImageRect* rect) const;
  int HasTransparency();
  int SwapRedBlue();
  int SetAttribute(uint16_t key, const void* record);
  // The record's 20 bytes, or null when there is none under `key`.
  const uint8_t* GetAttribute(uint16_t key) const;

  int32_t AddRef();
  // Destroys the image when the count falls to 0; returns the count left.
  int32_t Release();

  // Width and height (either may be null); the result is the buffer size.
  uint32_t GetSize(uint32_t* width, uint32_t* height) const;
  int32_t GetBytesPerPixel() const { return bytesPerPixel_; }
  int32_t GetPitch() const { return pitch_; }
  uint8_t* GetPixels() const { return pixels_; }
  ImageRect GetBounds() const { return bounds_; }
  // A canvas size of 0 reads as the picture's own.
  void GetCanvasSize(int32_t* width, int32_t* height) const;
  void GetOffset(int32_t* x, int32_t* y) const;
  // The placement values an HG-3 frame carries, kept for whoever draws the picture.
  void GetBase(int32_t* x, int32_t* y) const;
  // Size, canvas (0 read as the picture's own), offset and base values together.
  ImagePlacement GetPlacement() const;
  int32_t GetAlphaState() const { return alphaState_; }
  uint32_t GetCompositionType() const { return compositionType_; }
  // Pixel addresses counting rows from the top or from the bottom; null outside the picture.
  uint8_t* PixelAt(int32_t x, int32_t y) const;
  uint8_t* PixelFromBottom(int32_t x, int32_t y) const;

 protected:
  // Sets the geometry and the bounds that follow it.
  void SetGeometry(uint32_t width, uint32_t height, int32_t bytesPerPixel, int32_t pitch);
  // True when the buffer holds every row the geometry names: what each pixel walk relies on.
  bool HoldsRows() const;

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint8_t* pixels_ = nullptr;
  uint32_t bufferSize_ = 0;
  int32_t pitch_ = 0;
  int32_t bytesPerPixel_ = 0;
  int32_t canvasWidth_ = 0;
  int32_t canvasHeight_ = 0;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  int32_t alphaState_ = kAlphaUnknown;
  int32_t baseX_ = 0;
  int32_t baseY_ = 0;
  ImageRect bounds_ = {0, 0, 0, 0};
  std::map<uint16_t, ImageAttribute> attributes_;
  int32_t referenceCount_ = 1;
  uint32_t compositionType_ = 0;
  uint32_t colourOrderMode_ = 0;  // 1: bytes are red, green, blue and SwapRedBlue is still due

 private:
  // Replaces the buffer by `pixels` of `size` bytes.
  void AdoptBuffer(uint8_t* pixels, uint32_t size);
};
