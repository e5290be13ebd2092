#include "image/dib_view.h"

int DescribeAsDib(const zrImage& image, DibView* view) {
  if (!view || !image.GetPixels()) return 0;
  uint32_t width = 0;
  uint32_t height = 0;
  image.GetSize(&width, &height);
  platform::DibInfoHeader& header = view->header;
  header = platform::DibInfoHeader{};
  header.size = sizeof(platform::DibInfoHeader);
  header.width = static_cast<int32_t>(width);
  header.height = static_cast<int32_t>(height);
  header.planes = 1;
  header.bitCount = static_cast<uint16_t>(8 * image.GetBytesPerPixel());
  header.sizeImage = static_cast<uint32_t>(image.GetPitch()) * height;
  view->bits = image.GetPixels();
  return 1;
}
