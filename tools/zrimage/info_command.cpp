// info: the format, then one line per frame:
// "frame N: key K, WxH, B bytes per pixel, canvas CWxCH, offset X,Y, base X,Y, alpha STATE",
// and for a PSD one line per layer: "layer N: "NAME", WxH at X,Y, blend KEY[, group start|end]".
#include <cstdio>
#include <vector>

#include "commands.h"
#include "image/hg3_container.h"
#include "image/psd_document.h"
#include "image/zrImageHg2.h"
#include "system/text_encoding.h"

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

// The frames to describe: HG-3 frames by position, HG-2 frames by key, otherwise the one picture.
std::vector<FrameChoice> FramesOf(const PictureFile& file) {
  std::vector<FrameChoice> frames;
  const MemoryBlock block = file.Block();
  if (file.kind == ImageKind::kHg3) {
    const uint32_t count =
        hg3::CountFrames(file.bytes.data(), static_cast<uint32_t>(file.bytes.size()));
    for (uint32_t position = 0; position < count; ++position) {
      FrameChoice choice;
      choice.by = FrameChoice::By::kPosition;
      choice.position = position;
      frames.push_back(choice);
    }
  } else if (file.kind == ImageKind::kHg2) {
    for (int32_t key : zrImageHg2::FrameKeys(&block)) {
      FrameChoice choice;
      choice.key = key;
      frames.push_back(choice);
    }
  } else {
    frames.push_back(FrameChoice());
  }
  return frames;
}

void PrintFrame(uint32_t position, int32_t key, const zrImage& image) {
  const ImagePlacement p = image.GetPlacement();
  std::printf(
      "frame %u: key %d, %ux%u, %d bytes per pixel, canvas %dx%d, offset %d,%d, base %d,%d, "
      "alpha %s\n",
      position, key, p.width, p.height, image.GetBytesPerPixel(), p.canvasWidth, p.canvasHeight,
      p.offsetX, p.offsetY, p.baseX, p.baseY, AlphaName(image.GetAlphaState()));
}

const char* BlendName(int32_t code) {
  static const char* const kNames[] = {"norm", "lddg", "mul", "scrn", "over", "div"};
  return code >= 0 && code < 6 ? kNames[code] : "?";
}

// False when a layer record cannot be read.
bool PrintLayers(const PictureFile& file) {
  const auto size = static_cast<uint32_t>(file.bytes.size());
  PsdLayerInfo info;
  ParsePsd(file.bytes.data(), size, &info, 0, 0, nullptr);
  const uint32_t count = info.layerCount;
  for (uint32_t index = 0; index < count; ++index) {
    int32_t blend = 0;
    if (!ParsePsd(file.bytes.data(), size, &info, index, 1, &blend)) {
      PrintError(ToUtf8(file.path) + ": layer " + std::to_string(index) + " cannot be read");
      return false;
    }
    char name[sizeof info.name * 3 / 2 + 1];
    SjisToUtf8(info.name, name, sizeof name);
    const PsdBounds& b = info.bounds;
    std::printf("layer %u: \"%s\", %lldx%lld at %d,%d, blend %s%s\n", index, name,
                static_cast<long long>(int64_t{b.right} - b.left),
                static_cast<long long>(int64_t{b.bottom} - b.top), b.left, b.top, BlendName(blend),
                info.sectionDivider == kPsdGroupStart ? ", group start"
                : info.sectionDivider == kPsdGroupEnd ? ", group end"
                                                      : "");
  }
  return true;
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
  const std::vector<FrameChoice> frames = FramesOf(file);
  if (frames.empty()) {
    // Decoding by key says what is wrong with the header, or that no frame is there.
    DecodeFrame(file, FrameChoice(), nullptr);
    return kExitFailed;
  }
  int status = kExitOk;
  for (uint32_t position = 0; position < frames.size(); ++position) {
    int32_t key = 0;
    const HeldImage image = DecodeFrame(file, frames[position], &key);
    if (image) {
      PrintFrame(position, key, *image);
    } else {
      status = kExitFailed;
    }
  }
  if (file.kind == ImageKind::kPsd && !PrintLayers(file)) status = kExitFailed;
  return status;
}
