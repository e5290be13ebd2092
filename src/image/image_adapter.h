// What the adapters to the JPEG, PNG and WebP libraries share: the checked buffer for a decoded
// picture, the clean state a failed load leaves, and the hand-over of encoded bytes.
#pragma once

#include <cstdint>

#include "image/memory_block.h"
#include "image/zrImage.h"

enum class RowAlignment { kPacked, kFourBytes };

class zrImageAdapter : public zrImage {
 protected:
  // Sets the geometry of a decoded picture (canvas = picture) and returns a buffer holding all of
  // its rows. A side of 0, or beyond kMaxImageSide, or a buffer beyond kMaxImageBytes is refused
  // before anything is reserved: null, and the picture is dropped.
  uint8_t* PrepareBuffer(uint32_t width, uint32_t height, int32_t bytesPerPixel,
                         RowAlignment alignment);
  // Frees the buffer and forgets the geometry, so that a failed load leaves nothing to read.
  void DropPicture();
  // True when the picture has `bytesPerPixel`-byte pixels and a buffer holding all its rows.
  bool HoldsEncodableRows(int32_t bytesPerPixel) const;
};

// Refills `target` with a heap copy of `length` encoded bytes whose size and capacity are rounded
// up to a multiple of 8 (the surplus is zero). 0 when no block can be had; the target is unchanged.
int HandOverEncoded(MemoryBlock* target, const void* bytes, uint32_t length);
