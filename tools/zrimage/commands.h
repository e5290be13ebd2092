// The image tool's commands and what they share. Each command takes the arguments after its
// name and returns the process exit status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/tool_main.h"
#include "image/zrImageLoader.h"

int RunInfo(const Arguments& arguments);
int RunConvert(const Arguments& arguments);

struct ReleaseImage {
  void operator()(zrImage* image) const { image->Release(); }
};
using HeldImage = std::unique_ptr<zrImage, ReleaseImage>;

// A picture file read whole, with the format its first bytes name.
struct PictureFile {
  std::u16string path;
  std::vector<uint8_t> bytes;
  ImageKind kind = ImageKind::kNone;
  MemoryBlock Block() const;
};

// Reads the file and names its format; false after telling the user why.
bool OpenPictureFile(const std::u16string& path, PictureFile& file);

// Which picture to decode: a frame by key or by position in the frame list, or a PSD layer.
struct FrameChoice {
  enum class By { kKey, kPosition, kLayer };
  By by = By::kKey;
  int32_t key = 0;
  uint32_t position = 0;  // of the frame or the layer
};

// Decodes the chosen frame (reporting its key); null after telling the user why, with the
// decoder's own message when it gave one.
HeldImage DecodeFrame(const PictureFile& file, const FrameChoice& choice, int32_t* key);

const char* FormatName(ImageKind kind);
// True for formats whose pixels hold red first (red, green, blue(, alpha)); the others hold blue
// first, as Windows bitmaps do.
bool HoldsRedFirst(ImageKind kind);
// True for formats whose buffers hold the bottom row of the picture first.
bool HoldsBottomRowFirst(ImageKind kind);
