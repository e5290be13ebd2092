// HG-3 pictures: one or more frames picked by key, each a standard plane of lossless slices, a
// JPEG colour plane with an optional deflated alpha plane, or a WebP plane, plus the placement
// values, composition type, colour order and attribute records its tags carry. Decoding only.
#pragma once

#include <vector>

#include "image/hg3_container.h"
#include "image/zrImage.h"

class zrImageHg3 : public zrImage {
 public:
  int Load(const MemoryBlock* source, int32_t key) override;
  // Decodes the frame `position` steps down the frame list and reports its key.
  int LoadFrame(const MemoryBlock* source, uint32_t position, int32_t* key) override;

  // The loader's test: the block starts with "HG-3".
  static bool Accepts(const MemoryBlock* source);

 private:
  // Decodes the picture of `frame` and applies its tags.
  bool DecodeFrame(const hg3::Frame& frame);
  bool DecodeStandardPlane(const std::vector<const hg3::Tag*>& slices);
  // Decodes an embedded JPEG or WebP stream into `plane`; false unless it is this picture's size
  // with `bytesPerPixel`-byte pixels.
  bool LoadPlane(zrImage& plane, const hg3::Tag& tag, int32_t bytesPerPixel) const;
  bool DecodeWebPPlane(const hg3::Tag& tag);
  bool DecodeJpegPlane(const hg3::Tag& tag, const hg3::Tag* alpha);
  // Writes the alpha bytes when the plane inflates to its stated size; otherwise changes nothing.
  void ApplyAlphaPlane(const hg3::Tag& tag);
  // Attributes, composition type and colour order.
  void ApplyTags(const hg3::Frame& frame);
};
