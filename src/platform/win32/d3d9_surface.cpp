#include "platform/win32/d3d9_surface.h"

#include <d3d9.h>

namespace platform {

static_assert(kSurfaceLockReadOnly == D3DLOCK_READONLY, "lock flags keep their values");
static_assert(kSurfaceLockNoDirtyUpdate == D3DLOCK_NO_DIRTY_UPDATE, "lock flags keep their values");

namespace {

// The formats the converters know, by the code they know them by.
struct FormatCode {
  D3DFORMAT format;
  uint32_t code;
};
constexpr FormatCode kFormatCodes[] = {
    {D3DFMT_A8R8G8B8, kSurfaceArgb8888}, {D3DFMT_X8R8G8B8, kSurfaceXrgb8888},
    {D3DFMT_A4R4G4B4, kSurfaceArgb4444}, {D3DFMT_X1R5G5B5, kSurfaceXrgb1555},
    {D3DFMT_A1R5G5B5, kSurfaceArgb1555}, {D3DFMT_R5G6B5, kSurfaceRgb565},
};

}  // namespace

bool D3d9Surface::Describe(SurfaceDescription& description) {
  D3DSURFACE_DESC desc;
  if (!surface_ || FAILED(surface_->GetDesc(&desc))) return false;
  for (const FormatCode& known : kFormatCodes) {
    if (known.format == desc.Format) {
      description = {known.code, desc.Width, desc.Height};
      return true;
    }
  }
  return false;
}

bool D3d9Surface::Lock(const SurfaceRect& rect, uint32_t flags, LockedPixels& locked) {
  const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
  D3DLOCKED_RECT pixels;
  if (!surface_ || FAILED(surface_->LockRect(&pixels, &area, flags))) return false;
  locked.bits = static_cast<uint8_t*>(pixels.pBits);
  locked.pitch = pixels.Pitch;
  return true;
}

void D3d9Surface::Unlock() {
  if (surface_) surface_->UnlockRect();
}

}  // namespace platform
