// PNG pictures through the PNG library, top row first with rows rounded up to 4 bytes: 4-byte
// pixels (blue, green, red, alpha) when the picture has transparency in any form, otherwise 3-byte
// pixels (blue, green, red); grey samples are repeated into all three colours.
#pragma once

#include <cstdint>

#include "image/image_adapter.h"

class zrMemFile;

class zrImagePng : public zrImageAdapter {
 public:
  // The block starts with the PNG signature.
  static bool Accepts(const MemoryBlock* source);

  int Load(const MemoryBlock* source, int32_t key) override;
  // Saves 3-byte pixels as RGB and 4-byte pixels as RGBA; with the trim flag set, the picture is
  // first cropped to its opaque bounds.
  int Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) override;

  void SetTrim(int32_t trim) { trim_ = trim; }
  int32_t GetTrim() const { return trim_; }

 private:
  // The library work, with the recovery point for its errors; only plain locals.
  int Decode(zrMemFile* file);
  int Encode(zrMemFile* file);
  void TrimToOpaqueBounds();

  int32_t trim_ = 0;
};
