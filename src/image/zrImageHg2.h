// HG-2 pictures: one lossless plane per frame, coded like one HG-3 slice. Version 16 holds one
// picture; versions 32 and 37 a list of frames picked by key (37 adds base values). Saving writes a
// version 37 file of one frame, trimmed to the opaque part of the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "image/zrImage.h"

class zrImageHg2 : public zrImage {
 public:
  int Load(const MemoryBlock* source, int32_t key) override;
  // Version 37: the frame `position` steps down the list; older versions: position 0 only, which
  // is the frame of key 0.
  int LoadFrame(const MemoryBlock* source, uint32_t position, int32_t* key) override;
  // Frame `key`, with base values (`baseX`, `baseY`); a non-zero `clearTransparent` blanks the
  // colour of fully transparent pixels first. Trims the picture to its opaque bounds (a fully
  // transparent one to its top-left 2 x 2), keeping its place on the canvas in the offsets.
  int Save(MemoryBlock* target, int32_t key, int32_t baseX, int32_t baseY,
           int32_t clearTransparent) override;

  // The loader's test: the block starts with "HG-2".
  static bool Accepts(const MemoryBlock* source);
  // The keys of the frames in file order (0 for a version 16 picture); empty for a block that is
  // no HG-2 file this class reads.
  static std::vector<int32_t> FrameKeys(const MemoryBlock* source);

 private:
  struct Frame;
  bool DecodeFrame(const uint8_t* data, uint32_t size, const Frame& frame);
  // Scales channels of `depth` bits (1 to 7) to 8 bits in place.
  void WidenDepth(uint32_t depth);

  int32_t trim_ = 1;
};
