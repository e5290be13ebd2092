#include "image/zrImagePng.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>

#include "file/zrMemFile.h"
#include "system/trace.h"

namespace {

constexpr uint32_t kEncoderBlockSize = 1048576;
// The library sizes some buffers from lengths in the file before it has read what they announce,
// so a few bytes could ask for gigabytes. Its largest honest need (a row of the widest picture,
// a zlib window, a chunk within its own 8 MB limit) stays far below this.
constexpr png_alloc_size_t kMaxLibraryBlock = 16 * 1024 * 1024;

// Library errors end in a jump back to the recovery point of the function that called it; no
// message reaches stderr.
[[noreturn]] void TracePngError(png_structp png, png_const_charp message) {
  Trace("zrImagePng : %s", message);
  png_longjmp(png, 1);
}

void TracePngWarning(png_structp, png_const_charp message) {
  Trace("zrImagePng : %s", message);
}

void ReadFromMemFile(png_structp png, png_bytep data, size_t length) {
  auto* file = static_cast<zrMemFile*>(png_get_io_ptr(png));
  if (length > INT32_MAX || file->Read(data, static_cast<int32_t>(length)) != int32_t(length))
    png_error(png, "Read Error");
}

void WriteToMemFile(png_structp png, png_bytep data, size_t length) {
  auto* file = static_cast<zrMemFile*>(png_get_io_ptr(png));
  if (length > INT32_MAX || file->Write(data, static_cast<int32_t>(length)) != int32_t(length))
    png_error(png, "Write Error");
}

void FlushNothing(png_structp) {}

// Refused blocks become the library's out-of-memory error, or a skipped chunk where it can go on.
png_voidp AllocateBounded(png_structp, png_alloc_size_t size) {
  return size <= kMaxLibraryBlock ? std::malloc(size) : nullptr;
}

void FreeBounded(png_structp, png_voidp block) {
  std::free(block);
}

}  // namespace

bool zrImagePng::Accepts(const MemoryBlock* source) {
  return source && source->data && source->size >= 8 && png_sig_cmp(source->data, 0, 8) == 0;
}

int zrImagePng::Load(const MemoryBlock* source, int32_t) {
  DropPicture();
  if (!source || !source->data) return 0;
  zrMemFile file;
  if (!file.LoadFromMemory(u"", source->data, source->size)) return 0;
  return Decode(&file);
}

int zrImagePng::Decode(zrMemFile* file) {
  png_structp png =
      png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, TracePngError, TracePngWarning,
                               nullptr, AllocateBounded, FreeBounded);
  if (!png) return 0;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return 0;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    DropPicture();
    return 0;
  }
  png_set_read_fn(png, file, ReadFromMemFile);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_packswap(png);
  png_set_palette_to_rgb(png);
  png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  // Grey, with or without alpha, arrives as colour: the buffer is always 3 or 4 bytes a pixel.
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int32_t bytesPerPixel = png_get_color_type(png, info) == PNG_COLOR_TYPE_RGBA ? 4 : 3;
  uint8_t* pixels = PrepareBuffer(width, height, bytesPerPixel, RowAlignment::kFourBytes);
  if (!pixels) png_error(png, "no buffer for the picture");
  // Every row the library delivers must be exactly a row of the buffer.
  if (png_get_rowbytes(png, info) != size_t{width} * bytesPerPixel)
    png_error(png, "decoded rows differ from the picture");
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(png, pixels + static_cast<size_t>(y) * pitch_, nullptr);
    }
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return 1;
}

int zrImagePng::Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) {
  if (!target) return 0;
  if (trim_) TrimToOpaqueBounds();
  if (!HoldsEncodableRows(3) && !HoldsEncodableRows(4)) return 0;
  zrMemFile file;
  void* bytes = nullptr;
  uint32_t length = 0;
  if (!file.Create(kEncoderBlockSize) || !Encode(&file) || !file.GetBuffer(&bytes, &length))
    return 0;
  return HandOverEncoded(target, bytes, length);
}

int zrImagePng::Encode(zrMemFile* file) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, TracePngError, TracePngWarning);
  if (!png) return 0;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return 0;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return 0;
  }
  png_set_write_fn(png, file, WriteToMemFile, FlushNothing);
  png_set_IHDR(png, info, width_, height_, 8,
               bytesPerPixel_ == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (uint32_t y = 0; y < height_; ++y)
    png_write_row(png, pixels_ + static_cast<size_t>(y) * pitch_);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return 1;
}

void zrImagePng::TrimToOpaqueBounds() {
  ImageRect bounds;
  if (!OpaqueBounds(&bounds)) return;
  // A picture with nothing opaque keeps a small corner rather than becoming empty.
  if (bounds.left >= bounds.right || bounds.top >= bounds.bottom) bounds = {0, 0, 2, 2};
  Crop(&bounds);
}
