// A Direct3D 9 surface behind the surface interface, for the surface converters. Only the
// surface's own methods are called, so nothing here imports the Direct3D library: the engine
// that hands the surface in has loaded it.
#pragma once

#include "platform/pixel_surface.h"

struct IDirect3DSurface9;

namespace platform {

class D3d9Surface : public PixelSurface {
 public:
  // Borrows `surface`, which must outlive this object; no reference is taken.
  explicit D3d9Surface(IDirect3DSurface9* surface) : surface_(surface) {}

  // False for a surface of a format without a code.
  bool Describe(SurfaceDescription& description) override;
  bool Lock(const SurfaceRect& rect, uint32_t flags, LockedPixels& locked) override;
  void Unlock() override;

 private:
  IDirect3DSurface9* surface_;
};

}  // namespace platform
