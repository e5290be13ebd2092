#include "image/zlib_buffers.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "system/trace.h"

namespace {

constexpr size_t kDeflateChunk = 65536;

const char* StreamMessage(const z_stream& stream, int code) {
  return stream.msg != nullptr ? stream.msg : zError(code);
}

// zlib counts input in 32-bit units; longer inputs are handed over in pieces.
void FeedInput(z_stream& stream, const uint8_t*& next, size_t& left) {
  if (stream.avail_in != 0 || left == 0) return;
  const size_t piece = std::min<size_t>(left, UINT_MAX);
  stream.next_in = const_cast<Bytef*>(next);
  stream.avail_in = static_cast<uInt>(piece);
  next += piece;
  left -= piece;
}

// The whole stream in one call, about twice as fast as zlib's streaming inflate. Only a stream
// that decodes cleanly and fits is taken from here; anything else goes the streaming way, which
// keeps what a damaged stream yields before its damage.
bool InflateWhole(uint8_t* out, size_t capacity, const uint8_t* in, size_t length,
                  size_t& written) {
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  if (!decompressor) return false;
  const libdeflate_result result =
      libdeflate_zlib_decompress(decompressor, in, length, out, capacity, &written);
  libdeflate_free_decompressor(decompressor);
  return result == LIBDEFLATE_SUCCESS;
}

int64_t InflateStream(uint8_t* out, size_t capacity, const uint8_t* in, size_t length) {
  z_stream stream{};
  const int init = inflateInit(&stream);
  if (init != Z_OK) {
    Trace("zlib init error : %s\n", StreamMessage(stream, init));
    return -1;
  }
  size_t written = 0;
  // Runs until the stream ends, stops producing, or fills `out`: a stream may still hold output
  // after its last input byte was taken, so running out of input is not the end.
  while (written < capacity) {
    FeedInput(stream, in, length);
    stream.next_out = out + written;
    stream.avail_out = static_cast<uInt>(std::min<size_t>(capacity - written, UINT_MAX));
    const uInt room = stream.avail_out;
    const int code = inflate(&stream, Z_NO_FLUSH);
    const size_t produced = room - stream.avail_out;
    if (produced == 0) break;
    written += produced;
    if (code == Z_STREAM_END) break;
  }
  inflateEnd(&stream);
  if (written < capacity) std::memset(out + written, 0, capacity - written);
  return static_cast<int64_t>(written);
}

}  // namespace

int64_t InflateBuffer(uint8_t* out, size_t capacity, const uint8_t* in, size_t length) {
  size_t written = 0;
  if (!InflateWhole(out, capacity, in, length, written)) {
    return InflateStream(out, capacity, in, length);
  }
  if (written < capacity) std::memset(out + written, 0, capacity - written);
  return static_cast<int64_t>(written);
}

int64_t DeflateBuffer(uint8_t* out, size_t capacity, const uint8_t* in, size_t length) {
  z_stream stream{};
  const int init = deflateInit(&stream, 9);
  if (init != Z_OK) {
    Trace("zlib init error : %s\n", StreamMessage(stream, init));
    return -1;
  }
  std::vector<uint8_t> chunk(kDeflateChunk);
  size_t total = 0;
  // A chunk is kept only while everything so far fits; the total is counted regardless.
  auto deflateChunk = [&](int flush) {
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    const int code = deflate(&stream, flush);
    const size_t produced = chunk.size() - stream.avail_out;
    if (produced != 0 && total + produced <= capacity)
      std::memcpy(out + total, chunk.data(), produced);
    total += produced;
    return code;
  };
  int code = Z_OK;
  while (code == Z_OK && (length != 0 || stream.avail_in != 0)) {
    FeedInput(stream, in, length);
    code = deflateChunk(Z_NO_FLUSH);
  }
  while (code == Z_OK) code = deflateChunk(Z_FINISH);
  if (code != Z_STREAM_END) Trace("zlib encode error : %s", StreamMessage(stream, code));
  deflateEnd(&stream);
  return code == Z_STREAM_END ? static_cast<int64_t>(total) : -1;
}
