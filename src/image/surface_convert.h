// Converters between two pixel surfaces, one per pair of formats [source][destination]: each copies
// or converts the rectangle both surfaces share, from their top-left corner, and returns 1, or 0
// when the surfaces share no pixel, are not of the pair's formats, or refuse to be locked.
#pragma once

#include <cstdint>

#include "platform/pixel_surface.h"

using SurfaceConverter = int (*)(platform::PixelSurface* source,
                                 platform::PixelSurface* destination);

// Null where no converter exists: same-format copies, 0->1, 1->0, and 3, 4, 5 -> 2.
extern const SurfaceConverter kSurfaceConverters[platform::kSurfaceFormatCount]
                                                [platform::kSurfaceFormatCount];
