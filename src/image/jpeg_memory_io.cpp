#include "image/jpeg_memory_io.h"

#include <jerror.h>

#include <cstring>

#include "system/heap.h"

namespace {

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void StartSource(j_decompress_ptr) {}

boolean SupplyEndOfImage(j_decompress_ptr info) {
  info->src->next_input_byte = kEndOfImage;
  info->src->bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = info->src;
  const size_t step =
      static_cast<unsigned long>(count) < source->bytes_in_buffer ? count : source->bytes_in_buffer;
  source->next_input_byte += step;
  source->bytes_in_buffer -= step;
}

void EndSource(j_decompress_ptr) {}

JpegMemoryDestination* DestinationOf(j_compress_ptr info) {
  return reinterpret_cast<JpegMemoryDestination*>(info->dest);
}

void ResetStaging(JpegMemoryDestination* destination) {
  destination->manager.next_output_byte = destination->staging;
  destination->manager.free_in_buffer = kJpegStagingSize;
}

// Appends `count` staged bytes to the block, doubling the block until they fit.
void Append(j_compress_ptr info, uint32_t count) {
  JpegMemoryDestination* destination = DestinationOf(info);
  uint64_t capacity = destination->capacity;
  while (destination->written + uint64_t{count} > capacity) capacity *= 2;
  if (capacity != destination->capacity) {
    auto* grown = capacity <= UINT32_MAX
                      ? static_cast<uint8_t*>(zrHeapAlloc(0, static_cast<uint32_t>(capacity)))
                      : nullptr;
    if (!grown) ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    std::memcpy(grown, destination->block, destination->written);
    zrHeapFree(destination->block);
    destination->block = grown;
    destination->capacity = static_cast<uint32_t>(capacity);
  }
  std::memcpy(destination->block + destination->written, destination->staging, count);
  destination->written += count;
}

void StartDestination(j_compress_ptr info) {
  ResetStaging(DestinationOf(info));
}

boolean FlushStaging(j_compress_ptr info) {
  Append(info, kJpegStagingSize);
  ResetStaging(DestinationOf(info));
  return TRUE;
}

void EndDestination(j_compress_ptr info) {
  Append(info, static_cast<uint32_t>(kJpegStagingSize - info->dest->free_in_buffer));
}

}  // namespace

void UseJpegMemorySource(j_decompress_ptr info, jpeg_source_mgr* source, const uint8_t* data,
                         uint32_t size) {
  source->init_source = StartSource;
  source->fill_input_buffer = SupplyEndOfImage;
  source->skip_input_data = SkipInput;
  source->resync_to_restart = jpeg_resync_to_restart;
  source->term_source = EndSource;
  source->next_input_byte = data;
  source->bytes_in_buffer = size;
  info->src = source;
}

bool UseJpegMemoryDestination(j_compress_ptr info, JpegMemoryDestination* destination,
                              uint32_t capacity) {
  if (capacity == 0) return false;  // doubling could never make room
  destination->block = static_cast<uint8_t*>(zrHeapAlloc(0, capacity));
  if (!destination->block) return false;
  destination->written = 0;
  destination->capacity = capacity;
  destination->manager.init_destination = StartDestination;
  destination->manager.empty_output_buffer = FlushStaging;
  destination->manager.term_destination = EndDestination;
  info->dest = &destination->manager;
  return true;
}
