#include "image/hg_slice_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "image/zlib_buffers.h"
#include "system/trace.h"

namespace {

// Room the expanded runs may take beyond the picture's own bytes.
constexpr uint64_t kRunSlack = 4096;
// The encoder never codes fewer bytes than this.
constexpr uint64_t kMinCodedBytes = 1024;
// deflate expands data at most about 1032 to 1, so a stated inflated size beyond that can never
// be met; refusing it early keeps a forged size from taking memory.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateRoom = 16;
// Lengths the file stores as 32-bit values, kept within what a 32-bit process can address.
constexpr uint64_t kMaxCodedBytes = 0x7FFFFFFF;

struct CodecTables {
  std::array<uint8_t, 256> sign;
  // untranspose[q][b]: byte b of quarter q spread to its bit pair in each of four bytes.
  std::array<std::array<uint32_t, 256>, 4> untranspose;
};

CodecTables BuildTables() {
  CodecTables tables{};
  for (int i = 0; i < 128; ++i) {
    tables.sign[2 * i] = static_cast<uint8_t>(i);
    tables.sign[2 * i + 1] = static_cast<uint8_t>(255 - i);
  }
  for (uint32_t b = 0; b < 256; ++b) {
    const uint32_t spread =
        (b & 3) | ((b >> 2) & 3) << 8 | ((b >> 4) & 3) << 16 | ((b >> 6) & 3) << 24;
    for (int q = 0; q < 4; ++q) tables.untranspose[q][b] = spread << (6 - 2 * q);
  }
  return tables;
}

const CodecTables& Tables() {
  static const CodecTables tables = BuildTables();
  return tables;
}

// Reads bits least significant first within each byte; never past the area.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool ReadBit(uint32_t& bit) {
    if (position_ == 0) {
      if (next_ == size_) return false;
      current_ = data_[next_++];
    }
    bit = (current_ >> position_) & 1;
    position_ = (position_ + 1) & 7;
    return true;
  }

  // k zero bits, a one bit and k value bits, most significant first, give 2^k + value.
  bool ReadGamma(uint64_t& value) {
    int zeros = 0;
    uint32_t bit = 0;
    for (;;) {
      if (!ReadBit(bit)) return false;
      if (bit != 0) break;
      if (++zeros > 32) return false;  // longer than any length a buffer here can hold
    }
    uint64_t low = 0;
    for (int i = 0; i < zeros; ++i) {
      if (!ReadBit(bit)) return false;
      low = low << 1 | bit;
    }
    value = (uint64_t{1} << zeros) + low;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t next_ = 0;
  int position_ = 0;
  uint8_t current_ = 0;
};

// Fills each byte from its least significant bit.
class BitWriter {
 public:
  void PutBit(uint32_t bit) {
    if (position_ == 0) bytes_.push_back(0);
    bytes_.back() |= static_cast<uint8_t>(bit << position_);
    position_ = (position_ + 1) & 7;
  }

  void PutGamma(uint64_t value) {
    int width = 0;
    while ((value >> (width + 1)) != 0) ++width;
    for (int i = 0; i < width; ++i) PutBit(0);
    PutBit(1);
    for (int i = width - 1; i >= 0; --i) PutBit((value >> i) & 1);
  }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int position_ = 0;
};

bool InflateArea(const uint8_t* in, size_t compressed, uint32_t size, std::vector<uint8_t>& out) {
  if (size > uint64_t{compressed} * kMaxInflateRatio + 64) return false;
  out.resize(size + kInflateRoom);
  return InflateBuffer(out.data(), out.size(), in, compressed) == int64_t{size};
}

// Expands the gamma-coded zero and literal runs; every run must stay inside the stated length
// and every literal inside the byte area, and the length must be a multiple of 4.
bool ExpandRuns(BitReader& bits, const uint8_t* literals, size_t literalCount, uint64_t bound,
                std::vector<uint8_t>& runs) {
  uint32_t literalFirst = 0;
  uint64_t length = 0;
  if (!bits.ReadBit(literalFirst) || !bits.ReadGamma(length) || length > bound) return false;
  if (length % 4 != 0) return false;
  runs.assign(length, 0);
  uint64_t at = 0;
  size_t used = 0;
  auto copyLiterals = [&]() {
    uint64_t n = 0;
    if (!bits.ReadGamma(n) || n > length - at || n > literalCount - used) return false;
    std::memcpy(runs.data() + at, literals + used, n);
    at += n;
    used += n;
    return true;
  };
  if (literalFirst != 0 && !copyLiterals()) return false;
  while (at < length) {
    uint64_t zeros = 0;
    if (!bits.ReadGamma(zeros) || zeros > length - at) return false;
    at += zeros;
    if (at == length) break;
    if (!copyLiterals()) return false;
  }
  return true;
}

// Quarter q of the runs holds bit pair 7-6, 5-4, 3-2 or 1-0 (q = 0..3) of every output byte.
void Untranspose(const std::vector<uint8_t>& runs, std::vector<uint8_t>& out) {
  const auto& table = Tables().untranspose;
  const size_t quarter = runs.size() / 4;
  const uint8_t* r0 = runs.data();
  const uint8_t* r1 = r0 + quarter;
  const uint8_t* r2 = r1 + quarter;
  const uint8_t* r3 = r2 + quarter;
  out.resize(runs.size());
  uint8_t* word = out.data();
  for (size_t k = 0; k < quarter; ++k, word += 4) {
    const uint32_t w = table[0][r0[k]] | table[1][r1[k]] | table[2][r2[k]] | table[3][r3[k]];
    word[0] = static_cast<uint8_t>(w);
    word[1] = static_cast<uint8_t>(w >> 8);
    word[2] = static_cast<uint8_t>(w >> 16);
    word[3] = static_cast<uint8_t>(w >> 24);
  }
}

// The first stored row predicts from the pixel to its left, every later row from the row
// decoded before it, which sits just below it in the picture.
void Predict(const uint8_t* codes, uint32_t firstRow, uint32_t rows, const HgPlaneTarget& target) {
  if (rows == 0) return;
  const auto& sign = Tables().sign;
  const size_t rowBytes = size_t{target.width} * target.bytesPerPixel;
  const size_t bpp = static_cast<size_t>(target.bytesPerPixel);
  uint8_t* row = target.pixels + (target.height - 1 - size_t{firstRow}) * target.pitch;
  const size_t lead = std::min(bpp, rowBytes);
  for (size_t j = 0; j < lead; ++j) row[j] = sign[codes[j]];
  for (size_t j = lead; j < rowBytes; ++j)
    row[j] = static_cast<uint8_t>(sign[codes[j]] + row[j - bpp]);
  codes += rowBytes;
  for (uint32_t r = 1; r < rows; ++r, codes += rowBytes) {
    uint8_t* above = row - target.pitch;
    for (size_t j = 0; j < rowBytes; ++j) above[j] = static_cast<uint8_t>(sign[codes[j]] + row[j]);
    row = above;
  }
}

// The bytes of one row and of the whole picture; false when the geometry cannot be right.
bool PictureBytes(uint32_t width, uint32_t height, int bytesPerPixel, size_t pitch,
                  uint64_t& rowBytes, uint64_t& total) {
  if (bytesPerPixel < 1 || bytesPerPixel > 4) return false;
  rowBytes = uint64_t{width} * static_cast<uint64_t>(bytesPerPixel);
  if (rowBytes > pitch) return false;
  total = rowBytes * height;  // at most 2^34 * 2^32, which fits
  return true;
}

}  // namespace

bool HgSliceSucceeded(HgSliceResult result, const HgSliceMessages& messages) {
  switch (result) {
    case HgSliceResult::kOk:
      return true;
    case HgSliceResult::kByteAreaSize:
      Trace(messages.byteAreaSize);
      return false;
    case HgSliceResult::kBitAreaSize:
      Trace(messages.bitAreaSize);
      return false;
    case HgSliceResult::kMalformed:
      break;
  }
  return false;
}

uint8_t HgSignDecode(uint8_t code) {
  return Tables().sign[code];
}

uint8_t HgSignEncode(uint8_t value) {
  return static_cast<uint8_t>(value < 128 ? 2 * value : 2 * (255 - value) + 1);
}

HgSliceResult HgSliceDecoder::Decode(const HgCodedPlane& plane, uint32_t firstRow, uint32_t rows,
                                     const HgPlaneTarget& target) {
  uint64_t rowBytes = 0;
  uint64_t pictureBytes = 0;
  if (!PictureBytes(target.width, target.height, target.bytesPerPixel, target.pitch, rowBytes,
                    pictureBytes) ||
      firstRow > target.height || rows > target.height - firstRow ||
      (rows != 0 && target.pixels == nullptr)) {
    return HgSliceResult::kMalformed;
  }
  try {
    if (!InflateArea(plane.byteArea, plane.byteAreaCompressed, plane.byteAreaSize, literals_)) {
      return HgSliceResult::kByteAreaSize;
    }
    if (!InflateArea(plane.bitArea, plane.bitAreaCompressed, plane.bitAreaSize, bits_)) {
      return HgSliceResult::kBitAreaSize;
    }
    BitReader reader(bits_.data(), plane.bitAreaSize);
    const uint64_t bound = std::min(pictureBytes + kRunSlack, kMaxCodedBytes);
    if (!ExpandRuns(reader, literals_.data(), plane.byteAreaSize, bound, runs_) ||
        uint64_t{rows} * rowBytes > runs_.size()) {
      return HgSliceResult::kMalformed;
    }
    Untranspose(runs_, predicted_);
    Predict(predicted_.data(), firstRow, rows, target);
    return HgSliceResult::kOk;
  } catch (const std::bad_alloc&) {
    return HgSliceResult::kMalformed;
  }
}

namespace {

// Sign-mapped prediction residues in stored order (bottom row first): the bottom row against
// the pixel to its left, every other row against the row below it.
void MapResidues(const uint8_t* pixels, size_t pitch, size_t rowBytes, uint32_t height, size_t bpp,
                 uint8_t* out) {
  if (height == 0 || rowBytes == 0) return;
  const uint8_t* row = pixels + (height - 1) * pitch;
  const size_t lead = std::min(bpp, rowBytes);
  for (size_t j = 0; j < lead; ++j) *out++ = HgSignEncode(row[j]);
  for (size_t j = lead; j < rowBytes; ++j) {
    *out++ = HgSignEncode(static_cast<uint8_t>(row[j] - row[j - bpp]));
  }
  for (uint32_t stored = 1; stored < height; ++stored) {
    const uint8_t* below = row;
    row -= pitch;
    for (size_t j = 0; j < rowBytes; ++j)
      *out++ = HgSignEncode(static_cast<uint8_t>(row[j] - below[j]));
  }
}

// Quarter q of the output gathers bit pair 7-6, 5-4, 3-2 or 1-0 (q = 0..3) of every byte, four
// source bytes to one output byte, the first source byte in the lowest pair.
std::vector<uint8_t> Transpose(const std::vector<uint8_t>& bytes) {
  const size_t quarter = bytes.size() / 4;
  std::vector<uint8_t> out(bytes.size());
  for (size_t q = 0; q < 4; ++q) {
    const int shift = 6 - 2 * static_cast<int>(q);
    uint8_t* plane = out.data() + q * quarter;
    for (size_t i = 0; i < quarter; ++i) {
      const uint8_t* source = bytes.data() + 4 * i;
      plane[i] =
          static_cast<uint8_t>(((source[0] >> shift) & 3) | ((source[1] >> shift) & 3) << 2 |
                               ((source[2] >> shift) & 3) << 4 | ((source[3] >> shift) & 3) << 6);
    }
  }
  return out;
}

void CodeRuns(const std::vector<uint8_t>& bytes, BitWriter& bits, std::vector<uint8_t>& literals) {
  bits.PutBit(bytes[0] != 0 ? 1 : 0);
  bits.PutGamma(bytes.size());
  size_t start = 0;
  while (start < bytes.size()) {
    const bool literal = bytes[start] != 0;
    size_t end = start + 1;
    while (end < bytes.size() && (bytes[end] != 0) == literal) ++end;
    if (literal) literals.insert(literals.end(), bytes.begin() + start, bytes.begin() + end);
    bits.PutGamma(end - start);
    start = end;
  }
}

bool DeflateArea(const std::vector<uint8_t>& raw, std::vector<uint8_t>& out, uint32_t& rawSize) {
  out.resize(compressBound(static_cast<uLong>(raw.size())));
  const int64_t length = DeflateBuffer(out.data(), out.size(), raw.data(), raw.size());
  if (length < 0 || static_cast<uint64_t>(length) > out.size()) return false;
  out.resize(static_cast<size_t>(length));
  rawSize = static_cast<uint32_t>(raw.size());
  return true;
}

}  // namespace

bool EncodeHgPlane(const uint8_t* pixels, size_t pitch, uint32_t width, uint32_t height,
                   int bytesPerPixel, HgEncodedPlane& encoded) {
  uint64_t rowBytes = 0;
  uint64_t pictureBytes = 0;
  if (!PictureBytes(width, height, bytesPerPixel, pitch, rowBytes, pictureBytes) ||
      (pictureBytes != 0 && pixels == nullptr)) {
    return false;
  }
  // Small pictures are coded as kMinCodedBytes; the surplus is zero, then rounded up to whole
  // groups of four.
  const uint64_t coded = (std::max(pictureBytes, kMinCodedBytes) + 3) / 4 * 4;
  if (coded > kMaxCodedBytes) return false;
  try {
    std::vector<uint8_t> residues(static_cast<size_t>(coded), 0);
    MapResidues(pixels, pitch, static_cast<size_t>(rowBytes), height,
                static_cast<size_t>(bytesPerPixel), residues.data());
    BitWriter bits;
    std::vector<uint8_t> literals;
    CodeRuns(Transpose(residues), bits, literals);
    return DeflateArea(literals, encoded.byteArea, encoded.byteAreaSize) &&
           DeflateArea(bits.Bytes(), encoded.bitArea, encoded.bitAreaSize);
  } catch (const std::bad_alloc&) {
    return false;
  }
}
