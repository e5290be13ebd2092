#include "image/pixel_access.h"

#include <algorithm>

namespace {

// Moves the start of a span right until both of its origins are inside their surfaces.
void CutNegativeStart(int64_t* a, int64_t* b, int64_t* size, int64_t* first) {
  const int64_t cut = std::max<int64_t>({0, -*a, -*b});
  *a += cut;
  *b += cut;
  *size -= cut;
  *first += cut;
}

}  // namespace

int32_t ClipBlit(const BlitParams& params, int32_t srcBytes, int32_t dstBytes, BlitRect* rect) {
  const BlitDestination& dst = params.dst;
  const BlitSource& src = params.src;
  int64_t dx = dst.x, dy = dst.y, sx = src.x, sy = src.y;
  int64_t width = src.copyWidth, height = src.copyHeight;
  int64_t firstColumn = 0, firstRow = 0;
  CutNegativeStart(&dx, &sx, &width, &firstColumn);
  CutNegativeStart(&dy, &sy, &height, &firstRow);
  width = std::min<int64_t>({width, dst.width - dx, src.width - sx});
  height = std::min<int64_t>({height, dst.height - dy, src.height - sy});
  *rect = {};
  if (width <= 0 || height <= 0) return 1;
  if (dst.pixels == nullptr || src.pixels == nullptr) return 0;

  const int64_t srcRow = params.flip ? src.height - 1 - sy : sy;
  rect->dst = dst.pixels + dy * dst.pitch + dx * dstBytes;
  rect->src = src.pixels + srcRow * src.pitch + sx * srcBytes;
  rect->dstStep = dst.pitch;
  rect->srcStep = params.flip ? -static_cast<ptrdiff_t>(src.pitch) : src.pitch;
  rect->width = static_cast<int32_t>(width);
  rect->height = static_cast<int32_t>(height);
  rect->firstColumn = static_cast<int32_t>(firstColumn);
  rect->firstRow = static_cast<int32_t>(firstRow);
  rect->hasLeftPixel = dx > 0;
  rect->hasRightPixel = dx + width < dst.width;
  return 1;
}

int32_t ClipFill(const FillParams& params, int32_t bytes, uint8_t** first, ptrdiff_t* step,
                 int32_t* width, int32_t* height) {
  int64_t x = params.x, y = params.y, w = params.fillWidth, h = params.fillHeight;
  int64_t unused = 0;
  CutNegativeStart(&x, &x, &w, &unused);
  CutNegativeStart(&y, &y, &h, &unused);
  w = std::min<int64_t>(w, params.width - x);
  h = std::min<int64_t>(h, params.height - y);
  *width = *height = 0;
  if (w <= 0 || h <= 0) return 1;
  if (params.pixels == nullptr) return 0;

  const int64_t pitch =
      params.pitch != 0 ? params.pitch : (int64_t{params.width} * bytes + 3) & ~int64_t{3};
  *first = params.pixels + y * pitch + x * bytes;
  *step = static_cast<ptrdiff_t>(pitch);
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return 1;
}
