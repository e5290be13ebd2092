// PSD documents of 8-bit RGB as 4-byte pixels (blue, green, red, alpha) with the bottom row
// first: the merged image the document carries, or one of its layers on the document's canvas.
// Decoding only.
#pragma once

#include <cstdint>

#include "image/psd_document.h"
#include "image/zrImage.h"

class zrImagePsd : public zrImage {
 public:
  // The merged image, opaque (its alpha channel, if any, is not read).
  int Load(const MemoryBlock* source, int32_t key) override;

  // Layer `index` (from 0, in the document's order) over the whole picture: its alpha channel
  // where it has one, 255 where it has none, and colour 0 outside the layer's rectangle. The
  // layer's blend code becomes the composition type. A document without layers gives its merged
  // image.
  int LoadLayer(const MemoryBlock* source, uint32_t index);

  // The loader's test: the document parses.
  static bool Accepts(const MemoryBlock* source);

 private:
  int Decode(const PsdLayerInfo& info);
};
