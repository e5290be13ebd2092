#include "image/hg3_writer.h"

#include <algorithm>
#include <cstdio>

#include "image/hg_slice_codec.h"
#include "platform/little_endian.h"

namespace {

std::vector<uint8_t> StdInfoOf(zrImage& image) {
  const ImagePlacement placement = image.GetPlacement();
  std::vector<uint8_t> info;
  AppendLe32(info, placement.width);
  AppendLe32(info, placement.height);
  AppendLe16(info, static_cast<uint16_t>(image.GetBytesPerPixel() * 8));
  AppendLe16(info, 0);
  for (int32_t value :
       {placement.offsetX, placement.offsetY, placement.canvasWidth, placement.canvasHeight}) {
    AppendLe32(info, static_cast<uint32_t>(value));
  }
  AppendLe32(info, image.HasTransparency() ? 1 : 0);
  AppendLe32(info, static_cast<uint32_t>(placement.baseX));
  AppendLe32(info, static_cast<uint32_t>(placement.baseY));
  return info;
}

}  // namespace

bool AddHg3StandardFrame(hg3::Writer& writer, int32_t key, zrImage& image, uint32_t sliceRows) {
  uint32_t width = 0;
  uint32_t height = 0;
  image.GetSize(&width, &height);
  const uint8_t* pixels = image.GetPixels();
  const int32_t bytesPerPixel = image.GetBytesPerPixel();
  if (!pixels || width == 0 || height == 0 || sliceRows == 0 || bytesPerPixel < 1 ||
      bytesPerPixel > 4) {
    return false;
  }
  const auto pitch = static_cast<size_t>(image.GetPitch());
  writer.BeginFrame(key);
  const std::vector<uint8_t> info = StdInfoOf(image);
  writer.AddTag("stdinfo", info.data(), static_cast<uint32_t>(info.size()));
  // Slices are stored from the bottom of the picture up: stored row r is picture row
  // height - 1 - r, so a slice of rows [first, first + rows) covers the picture rows
  // height - first - rows to height - first - 1.
  uint32_t number = 0;
  for (uint32_t first = 0; first < height; first += sliceRows, ++number) {
    const uint32_t rows = std::min(sliceRows, height - first);
    const uint8_t* top = pixels + static_cast<size_t>(height - first - rows) * pitch;
    HgEncodedPlane plane;
    if (!EncodeHgPlane(top, pitch, width, rows, bytesPerPixel, plane)) return false;
    std::vector<uint8_t> slice;
    AppendLe32(slice, first);
    AppendLe32(slice, rows);
    AppendLe32(slice, static_cast<uint32_t>(plane.byteArea.size()));
    AppendLe32(slice, plane.byteAreaSize);
    AppendLe32(slice, static_cast<uint32_t>(plane.bitArea.size()));
    AppendLe32(slice, plane.bitAreaSize);
    slice.insert(slice.end(), plane.byteArea.begin(), plane.byteArea.end());
    slice.insert(slice.end(), plane.bitArea.begin(), plane.bitArea.end());
    char name[16];
    std::snprintf(name, sizeof name, "img%04u", number);
    writer.AddTag(name, slice.data(), static_cast<uint32_t>(slice.size()));
  }
  return true;
}
