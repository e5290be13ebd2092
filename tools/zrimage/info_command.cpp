// info: the format, then one line per frame:
// "frame N: key K, WxH, B bytes per pixel, canvas CWxCH, offset X,Y, base X,Y, alpha STATE".
#include <cstdio>

#include "commands.h"
#include "image/hg3_container.h"

namespace {

const char* AlphaName(int32_t state) {
  switch (state) {
    case kAlphaOpaque:
      return "opaque";
    case kAlphaTransparent:
      return "transparent";
    default:
      return "unknown";
  }
}

uint32_t FrameCount(const PictureFile& file) {
  if (file.kind == ImageKind::kHg3) {
    return hg3::CountFrames(file.bytes.data(), static_cast<uint32_t>(file.bytes.size()));
  }
  return 1;
}

void PrintFrame(uint32_t position, int32_t key, const zrImage& image) {
  const ImagePlacement p = image.GetPlacement();
  std::printf(
      "frame %u: key %d, %ux%u, %d bytes per pixel, canvas %dx%d, offset %d,%d, base %d,%d, "
      "alpha %s\n",
      position, key, p.width, p.height, image.GetBytesPerPixel(), p.canvasWidth, p.canvasHeight,
      p.offsetX, p.offsetY, p.baseX, p.baseY, AlphaName(image.GetAlphaState()));
}

}  // namespace

int RunInfo(const Arguments& arguments) {
  if (arguments.size() != 1) {
    PrintError("info needs exactly one file");
    return kExitUsage;
  }
  PictureFile file;
  if (!OpenPictureFile(arguments[0], file)) return kExitFailed;
  std::printf("format: %s\n", FormatName(file.kind));
  const uint32_t frames = FrameCount(file);
  const bool multiFrame = file.kind == ImageKind::kHg3;
  if (frames == 0) {
    // Decoding by key says what is wrong with the header, or that no frame is there.
    DecodeFrame(file, FrameChoice(), nullptr);
    return kExitFailed;
  }
  int status = kExitOk;
  for (uint32_t position = 0; position < frames; ++position) {
    FrameChoice choice;
    choice.byPosition = multiFrame;
    choice.position = position;
    int32_t key = 0;
    const HeldImage image = DecodeFrame(file, choice, &key);
    if (image) {
      PrintFrame(position, key, *image);
    } else {
      status = kExitFailed;
    }
  }
  return status;
}
