#include "image/zrImageWebP.h"

#include <webp/decode.h>
#include <webp/encode.h>

bool zrImageWebP::Accepts(const MemoryBlock* source) {
  WebPBitstreamFeatures features;
  return source && source->data && source->size > 0 &&
         WebPGetFeatures(source->data, source->size, &features) == VP8_STATUS_OK;
}

int zrImageWebP::Load(const MemoryBlock* source, int32_t) {
  DropPicture();
  WebPDecoderConfig config;
  if (!source || !source->data || !WebPInitDecoderConfig(&config) ||
      WebPGetFeatures(source->data, source->size, &config.input) != VP8_STATUS_OK) {
    return 0;
  }
  uint8_t* pixels =
      PrepareBuffer(static_cast<uint32_t>(config.input.width),
                    static_cast<uint32_t>(config.input.height), 4, RowAlignment::kPacked);
  if (!pixels) return 0;
  config.output.colorspace = MODE_RGBA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = pixels;
  config.output.u.RGBA.stride = pitch_;
  config.output.u.RGBA.size = bufferSize_;
  const bool decoded = WebPDecode(source->data, source->size, &config) == VP8_STATUS_OK;
  WebPFreeDecBuffer(&config.output);
  if (!decoded) DropPicture();
  return decoded ? 1 : 0;
}

int zrImageWebP::Save(MemoryBlock* target, int32_t, int32_t, int32_t, int32_t) {
  // The encoder reads 4 bytes a pixel; a picture of fewer would be read past its rows.
  if (!target || !HoldsEncodableRows(4)) return 0;
  uint8_t* output = nullptr;
  const size_t length = WebPEncodeRGBA(pixels_, static_cast<int>(width_), static_cast<int>(height_),
                                       pitch_, static_cast<float>(quality_), &output);
  const int saved = length > 0 && length <= UINT32_MAX - 7 &&
                    HandOverEncoded(target, output, static_cast<uint32_t>(length));
  WebPFree(output);
  return saved;
}
