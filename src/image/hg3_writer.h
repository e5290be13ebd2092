// Writes pictures as HG-3 standard planes: the frame's stdinfo and its lossless slices, so that
// package authors can make an HG-3 from any picture the library reads.
#pragma once

#include <cstdint>

#include "image/hg3_container.h"
#include "image/zrImage.h"

// Rows per slice unless told otherwise: small enough to keep each slice's buffers in cache,
// large enough that the per-stream cost of zlib does not show.
constexpr uint32_t kHg3SliceRows = 256;

// Adds `image` (1 to 4 bytes per pixel in blue, green, red, alpha order, top row first) as frame
// `key`, with its placement values and transparency. False when the picture cannot be coded.
bool AddHg3StandardFrame(hg3::Writer& writer, int32_t key, zrImage& image,
                         uint32_t sliceRows = kHg3SliceRows);
