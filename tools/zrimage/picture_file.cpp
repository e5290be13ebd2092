#include <string>

#include "commands.h"
#include "common/tool_files.h"
#include "image/zrImagePsd.h"
#include "system/trace.h"

namespace {

// The decoders explain a failure through the trace output; the last text is kept for the user.
std::string lastTrace;

void KeepTrace(TraceKind, const std::string& text) {
  lastTrace = text;
  while (!lastTrace.empty() && (lastTrace.back() == '\n' || lastTrace.back() == '\r')) {
    lastTrace.pop_back();
  }
}

bool Decode(zrImage& image, ImageKind kind, const MemoryBlock& block, const FrameChoice& choice,
            int32_t* key) {
  switch (choice.by) {
    case FrameChoice::By::kKey:
      if (key) *key = choice.key;
      return image.Load(&block, choice.key) != 0;
    case FrameChoice::By::kPosition:
      return image.LoadFrame(&block, choice.position, key) != 0;
    case FrameChoice::By::kLayer:
      if (key) *key = 0;
      return kind == ImageKind::kPsd &&
             static_cast<zrImagePsd&>(image).LoadLayer(&block, choice.position) != 0;
  }
  return false;
}

}  // namespace

MemoryBlock PictureFile::Block() const {
  return BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

bool OpenPictureFile(const std::u16string& path, PictureFile& file) {
  file.path = path;
  if (!ReadWholeFile(path, file.bytes)) {
    PrintError(ToUtf8(path) + ": cannot be read");
    return false;
  }
  const MemoryBlock block = file.Block();
  file.kind = DetectImageKind(&block);
  if (file.kind == ImageKind::kNone) {
    PrintError(ToUtf8(path) + ": not a picture in a format this tool reads");
    return false;
  }
  return true;
}

HeldImage DecodeFrame(const PictureFile& file, const FrameChoice& choice, int32_t* key) {
  HeldImage image(NewImageOfKind(file.kind));
  const MemoryBlock block = file.Block();
  lastTrace.clear();
  const TraceSink previous = SetTraceSink(KeepTrace);
  const bool decoded = Decode(*image, file.kind, block, choice, key);
  SetTraceSink(previous);
  if (decoded) return image;
  std::string what = choice.by == FrameChoice::By::kKey
                         ? "the frame of key " + std::to_string(choice.key)
                         : (choice.by == FrameChoice::By::kLayer ? "layer " : "frame ") +
                               std::to_string(choice.position);
  std::string message =
      ToUtf8(file.path) + ": " + what + " cannot be decoded as " + FormatName(file.kind);
  if (!lastTrace.empty()) message += " (" + lastTrace + ")";
  PrintError(message);
  return nullptr;
}

const char* FormatName(ImageKind kind) {
  switch (kind) {
    case ImageKind::kBmp:
      return "BMP";
    case ImageKind::kPsd:
      return "PSD";
    case ImageKind::kZrf:
      return "ZRF";
    case ImageKind::kHg2:
      return "HG-2";
    case ImageKind::kJpeg:
      return "JPEG";
    case ImageKind::kHg3:
      return "HG-3";
    case ImageKind::kPng:
      return "PNG";
    case ImageKind::kWebP:
      return "WebP";
    case ImageKind::kNone:
      break;
  }
  return "unknown";
}

bool HoldsRedFirst(ImageKind kind) {
  return kind == ImageKind::kJpeg || kind == ImageKind::kWebP;
}

bool HoldsBottomRowFirst(ImageKind kind) {
  return kind == ImageKind::kBmp || kind == ImageKind::kPsd;
}
