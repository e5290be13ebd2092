// convert: decodes one frame (or PSD layer) of any picture the library reads and writes it as
// PNG, HG-3, HG-2, BMP or ZRF.
#include <cstring>
#include <string>

#include "commands.h"
#include "common/tool_files.h"
#include "image/hg3_writer.h"
#include "image/zrImageBmp.h"
#include "image/zrImageHg2.h"
#include "image/zrImagePng.h"
#include "image/zrImageZrf.h"

namespace {

struct ConvertArguments {
  std::u16string in;
  std::u16string out;
  FrameChoice choice;
};

// A whole decimal number, optionally negative; false for anything else.
bool ParseNumber(const std::u16string& text, int64_t low, int64_t high, int64_t& value) {
  const std::string digits = ToUtf8(text);
  if (digits.empty() || digits.size() > 12) return false;
  size_t used = 0;
  try {
    value = std::stoll(digits, &used, 10);
  } catch (const std::exception&) {
    return false;
  }
  return used == digits.size() && value >= low && value <= high;
}

bool ParseConvertArguments(const Arguments& arguments, ConvertArguments& parsed) {
  std::vector<std::u16string> paths;
  bool chosen = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    if (argument == u"--key" || argument == u"--frame" || argument == u"--layer") {
      int64_t value = 0;
      const bool key = argument == u"--key";
      if (chosen) {
        PrintError("give one of --key, --frame or --layer, once");
        return false;
      }
      if (i + 1 >= arguments.size() || !ParseNumber(arguments[i + 1], key ? INT32_MIN : 0,
                                                    key ? INT32_MAX : UINT32_MAX, value)) {
        PrintError(ToUtf8(argument) + (key ? " needs a number" : " needs a number from 0"));
        return false;
      }
      ++i;
      chosen = true;
      parsed.choice.by =
          key ? FrameChoice::By::kKey
              : (argument == u"--frame" ? FrameChoice::By::kPosition : FrameChoice::By::kLayer);
      parsed.choice.key = key ? static_cast<int32_t>(value) : 0;
      parsed.choice.position = key ? 0 : static_cast<uint32_t>(value);
    } else if (paths.size() < 2) {
      paths.push_back(argument);
    } else {
      PrintError("unexpected argument '" + ToUtf8(argument) + "'");
      return false;
    }
  }
  if (paths.size() != 2) {
    PrintError("convert needs IN and OUT");
    return false;
  }
  parsed.in = paths[0];
  parsed.out = paths[1];
  return true;
}

// `extension` in lower case; the path's may be in either.
bool HasExtension(const std::u16string& path, const std::u16string& extension) {
  if (path.size() <= extension.size()) return false;
  std::u16string tail = path.substr(path.size() - extension.size());
  for (char16_t& unit : tail) {
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
  }
  return tail == extension;
}

// The pixels in blue, green, red(, alpha) order, as both writers take them.
void PutBlueFirst(zrImage& image, ImageKind kind) {
  if (!HoldsRedFirst(kind)) return;
  uint32_t width = 0;
  uint32_t height = 0;
  image.GetSize(&width, &height);
  for (int32_t y = 0; y < static_cast<int32_t>(height); ++y) {
    uint8_t* pixel = image.PixelAt(0, y);
    for (uint32_t x = 0; x < width; ++x, pixel += image.GetBytesPerPixel()) {
      std::swap(pixel[0], pixel[2]);
    }
  }
}

// The length of the PNG stream up to the end of its IEND chunk: the encoder's block may be
// longer (it is rounded up), and the file should hold the stream only.
uint32_t PngStreamLength(const uint8_t* data, uint32_t size) {
  uint64_t at = 8;
  while (at + 12 <= size) {
    const uint8_t* length = data + at;  // big-endian, as every PNG number
    const uint64_t end = at + 12 +
                         (uint64_t{length[0]} << 24 | uint64_t{length[1]} << 16 |
                          uint64_t{length[2]} << 8 | length[3]);
    if (end > size) break;
    if (std::memcmp(data + at + 4, "IEND", 4) == 0) return static_cast<uint32_t>(end);
    at = end;
  }
  return size;
}

// Saves `image` through the format class `Encoder`; false after telling the user why.
template <typename Encoder>
bool Encode(zrImage& image, const char* format, MemoryBlock& encoded, int32_t a = 0, int32_t b = 0,
            int32_t c = 0) {
  Encoder encoder;
  if (encoder.CopyFrom(&image) && encoder.Save(&encoded, a, b, c, 0)) return true;
  PrintError(std::string("the picture cannot be written as ") + format + " (" +
             std::to_string(image.GetBytesPerPixel()) + " bytes per pixel)");
  return false;
}

// The encoded picture in the format OUT names: PNG and HG-2 through their classes, HG-3 through
// its writer, BMP bottom row first as bitmaps hold it, ZRF with the buffer as it is.
bool EncodeFor(const std::u16string& out, zrImage& image, int32_t key,
               std::vector<uint8_t>& bytes) {
  MemoryBlock encoded{};
  bool done = false;
  uint32_t length = 0;
  if (HasExtension(out, u".png")) {
    done = Encode<zrImagePng>(image, "PNG", encoded);
    if (done) length = PngStreamLength(encoded.data, encoded.size);
  } else if (HasExtension(out, u".hg2")) {
    const ImagePlacement placement = image.GetPlacement();
    done = Encode<zrImageHg2>(image, "HG-2", encoded, key, placement.baseX, placement.baseY);
    length = encoded.size;
  } else if (HasExtension(out, u".bmp")) {
    image.FlipVertical();
    done = Encode<zrImageBmp>(image, "BMP", encoded);
    length = encoded.size;
  } else if (HasExtension(out, u".zrf")) {
    done = Encode<zrImageZrf>(image, "ZRF", encoded);
    length = encoded.size;
  } else {
    hg3::Writer writer;
    done = AddHg3StandardFrame(writer, key, image);
    if (done) bytes = writer.Finish();
    if (!done) PrintError("the picture cannot be written as HG-3");
    return done;
  }
  if (done) bytes.assign(encoded.data, encoded.data + length);
  ReleaseMemoryBlock(&encoded);
  return done;
}

bool KnownOutput(const std::u16string& out) {
  for (const char16_t* extension : {u".png", u".hg3", u".hg2", u".bmp", u".zrf"}) {
    if (HasExtension(out, extension)) return true;
  }
  return false;
}

}  // namespace

int RunConvert(const Arguments& arguments) {
  ConvertArguments parsed;
  if (!ParseConvertArguments(arguments, parsed)) return kExitUsage;
  if (!KnownOutput(parsed.out)) {
    PrintError("OUT must end in .png, .hg3, .hg2, .bmp or .zrf");
    return kExitUsage;
  }
  PictureFile file;
  if (!OpenPictureFile(parsed.in, file)) return kExitFailed;
  if (parsed.choice.by == FrameChoice::By::kLayer && file.kind != ImageKind::kPsd) {
    PrintError(ToUtf8(parsed.in) + ": only PSD documents have layers");
    return kExitFailed;
  }
  int32_t key = 0;
  const HeldImage image = DecodeFrame(file, parsed.choice, &key);
  if (!image) return kExitFailed;
  PutBlueFirst(*image, file.kind);
  if (HoldsBottomRowFirst(file.kind)) image->FlipVertical();  // upright, top row first
  std::vector<uint8_t> bytes;
  if (!EncodeFor(parsed.out, *image, key, bytes)) return kExitFailed;
  const bool written =
      WriteWholeFile(parsed.out, bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (!written) PrintError(ToUtf8(parsed.out) + ": cannot be written");
  return written ? kExitOk : kExitFailed;
}
