// Each function that calls the library sets its recovery point itself and holds only plain locals:
// a library error jumps back over the library's frames and ours, and nothing there may need
// destroying.
#include "image/zrImageJpeg.h"

#include <algorithm>
#include <csetjmp>

#include "image/jpeg_error_trap.h"
#include "image/jpeg_memory_io.h"
#include "system/heap.h"

namespace {

bool StartsLikeJpeg(const MemoryBlock* source) {
  return source && source->data && source->size > 10 && source->data[0] == 0xFF &&
         source->data[1] == 0xD8;
}

}  // namespace

bool zrImageJpeg::Accepts(const MemoryBlock* source) {
  if (!StartsLikeJpeg(source)) return false;
  JpegErrorTrap trap;
  jpeg_source_mgr memory;
  jpeg_decompress_struct info = {};
  info.err = UseJpegErrorTrap(&trap);
  if (setjmp(trap.recovery)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  UseJpegMemorySource(&info, &memory, source->data, source->size);
  const bool complete = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
  jpeg_destroy_decompress(&info);
  return complete;
}

int zrImageJpeg::Load(const MemoryBlock* source, int32_t) {
  DropPicture();
  if (!StartsLikeJpeg(source)) return 0;
  JpegErrorTrap trap;
  jpeg_source_mgr memory;
  jpeg_decompress_struct info = {};
  info.err = UseJpegErrorTrap(&trap);
  if (setjmp(trap.recovery)) {
    jpeg_destroy_decompress(&info);
    DropPicture();
    return 0;
  }
  jpeg_create_decompress(&info);
  UseJpegMemorySource(&info, &memory, source->data, source->size);
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) std::longjmp(trap.recovery, 1);
  info.out_color_space = JCS_RGB;
  info.dct_method = JDCT_IFAST;
  info.do_fancy_upsampling = FALSE;
  info.two_pass_quantize = FALSE;
  info.dither_mode = JDITHER_ORDERED;
  if (!info.quantize_colors) info.desired_number_of_colors = 216;
  // Refused before the library sets up buffers for the whole width (or, progressive, the whole
  // picture) that the header claims.
  if (info.image_width > kMaxImageSide || info.image_height > kMaxImageSide)
    std::longjmp(trap.recovery, 1);
  jpeg_start_decompress(&info);

  uint8_t* pixels =
      PrepareBuffer(info.output_width, info.output_height, 3, RowAlignment::kFourBytes);
  if (!pixels || info.output_components != 3) std::longjmp(trap.recovery, 1);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + static_cast<size_t>(info.output_scanline) * pitch_;
    // The memory source never suspends, so every call delivers a row.
    if (jpeg_read_scanlines(&info, &row, 1) != 1) std::longjmp(trap.recovery, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return 1;
}

int zrImageJpeg::Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) {
  if (!target || !(HoldsEncodableRows(3) || HoldsEncodableRows(4))) return 0;
  JpegErrorTrap trap;
  JpegMemoryDestination destination;
  destination.block = nullptr;
  jpeg_compress_struct info = {};
  info.err = UseJpegErrorTrap(&trap);
  if (setjmp(trap.recovery)) {
    jpeg_destroy_compress(&info);
    zrHeapFree(destination.block);
    return 0;
  }
  jpeg_create_compress(&info);
  const uint32_t capacity = std::max<uint32_t>(8192, static_cast<uint32_t>(pitch_) * height_);
  if (!UseJpegMemoryDestination(&info, &destination, capacity)) std::longjmp(trap.recovery, 1);
  info.image_width = width_;
  info.image_height = height_;
  info.input_components = bytesPerPixel_;
  info.in_color_space = bytesPerPixel_ == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality_, TRUE);
  info.optimize_coding = FALSE;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = pixels_ + static_cast<size_t>(info.next_scanline) * pitch_;
    if (jpeg_write_scanlines(&info, &row, 1) != 1) std::longjmp(trap.recovery, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);

  ReleaseMemoryBlock(target);
  *target = MemoryBlock{destination.block, destination.written, destination.capacity, 0};
  return 1;
}
