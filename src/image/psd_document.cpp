#include "image/psd_document.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "system/text_encoding.h"
#include "system/whole_text.h"

namespace {

constexpr uint32_t kHeaderSize = 26;
constexpr uint16_t kRgb = 3;
constexpr uint16_t kDuotone = 8;
constexpr uint16_t kChannelDepth = 8;
constexpr uint32_t kMaxChannels = 256;
constexpr int16_t kAlphaChannelId = -1;

// Reads big-endian numbers from a span; a read past its end fails this and every later read.
class Cursor {
 public:
  Cursor(const uint8_t* at, const uint8_t* end) : at_(at), end_(end) {}

  const uint8_t* at() const { return at_; }
  bool ok() const { return ok_; }
  uint32_t left() const { return static_cast<uint32_t>(end_ - at_); }

  bool Skip(uint64_t count) {
    if (!ok_ || count > left()) return ok_ = false;
    at_ += count;
    return true;
  }
  const uint8_t* Take(uint64_t count) {
    const uint8_t* start = at_;
    return Skip(count) ? start : nullptr;
  }
  uint32_t U8() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
  }
  uint32_t U16() {
    const uint8_t* p = Take(2);
    return p ? static_cast<uint32_t>(p[0] << 8 | p[1]) : 0;
  }
  uint32_t U32() {
    const uint8_t* p = Take(4);
    return p ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                   static_cast<uint32_t>(p[2]) << 8 | p[3]
             : 0;
  }
  int32_t S32() { return static_cast<int32_t>(U32()); }
  // A section that starts with its 32-bit length: a cursor over its body, which this one skips.
  Cursor Section() {
    const uint32_t length = U32();
    const uint8_t* body = Take(length);
    return body ? Cursor(body, at_) : Failed();
  }

 private:
  Cursor Failed() {
    Cursor failed(at_, at_);
    failed.ok_ = false;
    return failed;
  }

  const uint8_t* at_;
  const uint8_t* end_;
  bool ok_ = true;
};

// The blend code of a key, or -1. Some writers on little-endian machines store the key's four
// bytes reversed ("mron"); the reversed spelling cannot mean anything else, so it is read too.
int32_t BlendCodeOf(const uint8_t* key) {
  static const char* const kKeys[] = {"norm", "lddg", "mul ", "scrn", "over", "div "};
  const char reversed[4] = {static_cast<char>(key[3]), static_cast<char>(key[2]),
                            static_cast<char>(key[1]), static_cast<char>(key[0])};
  for (int32_t code = 0; code < 6; ++code) {
    if (std::memcmp(key, kKeys[code], 4) == 0 || std::memcmp(reversed, kKeys[code], 4) == 0) {
      return code;
    }
  }
  return -1;
}

// Copies a UTF-16 (big-endian) name into `name` as Shift-JIS, cut at a whole character.
void StoreUnicodeName(Cursor block, char (&name)[256]) {
  const uint32_t count = block.U32();
  if (!block.ok()) return;
  char16_t wide[256] = {};
  for (uint32_t i = 0; i < count && i < 255 && block.left() >= 2; ++i) {
    wide[i] = static_cast<char16_t>(block.U16());
  }
  char sjis[2 * 255 + 1];  // at most two bytes a unit
  if (WideToSjis(sjis, sizeof sjis, wide) == 0) sjis[0] = '\0';
  CopyWholeSjis(name, sizeof name, sjis);
}

uint32_t SectionKindOf(uint32_t dividerType) {
  if (dividerType == 1 || dividerType == 2) return kPsdGroupStart;
  if (dividerType == 3) return kPsdGroupEnd;
  return kPsdNoSection;
}

// The name and the additional blocks of a layer record's extra data: the mask and blending-range
// sections come first, then the name padded to four bytes, then tagged blocks.
void ReadExtraData(Cursor extra, PsdLayerInfo* info) {
  extra.Section();  // layer mask
  extra.Section();  // blending ranges
  const uint32_t nameLength = extra.U8();
  if (const uint8_t* name = extra.Take(nameLength)) {
    std::memcpy(info->name, name, nameLength);
    info->name[nameLength] = '\0';
  }
  extra.Skip((4 - (nameLength + 1) % 4) % 4);
  while (extra.ok() && extra.left() >= 12) {
    const uint8_t* signature = extra.Take(4);
    const uint8_t* key = extra.Take(4);
    const Cursor block = extra.Section();
    if (!block.ok() ||
        (std::memcmp(signature, "8BIM", 4) != 0 && std::memcmp(signature, "8B64", 4) != 0)) {
      return;
    }
    if (std::memcmp(key, "luni", 4) == 0) {
      StoreUnicodeName(block, info->name);
    } else if (std::memcmp(key, "lsct", 4) == 0) {
      Cursor divider = block;
      info->sectionDivider = SectionKindOf(divider.U32());
      return;
    }
  }
}

struct ChannelRecord {
  int16_t id;
  uint32_t length;
};

// One layer record. The channel list and the blend key are read for every record (the channel
// lengths locate the image data); the rest only for the selected layer.
bool ReadLayerRecord(Cursor& records, bool selected, PsdLayerInfo* info, ChannelRecord* channels,
                     uint32_t* channelCount, int32_t* blendCode) {
  PsdBounds bounds;
  bounds.top = records.S32();
  bounds.left = records.S32();
  bounds.bottom = records.S32();
  bounds.right = records.S32();
  *channelCount = records.U16();
  if (*channelCount > kMaxChannels) return false;
  for (uint32_t c = 0; c < *channelCount; ++c) {
    channels[c].id = static_cast<int16_t>(records.U16());
    channels[c].length = records.U32();
  }
  records.Skip(4);  // "8BIM"
  const uint8_t* key = records.Take(4);
  records.Skip(4);  // opacity, clipping, flags, filler
  const Cursor extra = records.Section();
  if (!records.ok()) return false;
  if (!selected) return true;
  const int32_t code = BlendCodeOf(key);
  if (code < 0) return false;
  if (blendCode) *blendCode = code;
  info->bounds = bounds;
  info->channelCount = static_cast<uint16_t>(*channelCount);
  ReadExtraData(extra, info);
  return true;
}

int SlotOf(int16_t id) {
  if (id >= 0 && id <= 2) return id;
  return id == kAlphaChannelId ? kPsdAlpha : -1;
}

// Points the slots at the selected layer's channel data, which begins after the data of the
// layers before it.
bool LocateLayerChannels(Cursor data, uint64_t skipped, const ChannelRecord* channels,
                         uint32_t channelCount, PsdLayerInfo* info) {
  if (!data.Skip(skipped)) return false;
  const int64_t rows = int64_t{info->bounds.bottom} - info->bounds.top;
  for (uint32_t c = 0; c < channelCount; ++c) {
    const uint8_t* start = data.Take(channels[c].length);
    if (!start) return false;
    Cursor channel(start, data.at());
    const int slot = SlotOf(channels[c].id);
    if (slot < 0) continue;
    const auto compression = static_cast<uint16_t>(channel.U16());
    if (compression == kPsdRunLength && rows > 0) channel.Skip(static_cast<uint64_t>(rows) * 2);
    if (!channel.ok()) return false;
    info->compression[slot] = compression;
    info->channelData[slot] = channel.at();
    info->channelEnd[slot] = channel.at() + channel.left();
    info->channelLength[slot] = channels[c].length;
  }
  return true;
}

// The layer section: the records, then every layer's channel data in record order.
bool ReadLayer(Cursor layers, uint32_t layerIndex, PsdLayerInfo* info, int32_t* blendCode) {
  ChannelRecord channels[kMaxChannels];
  ChannelRecord selected[kMaxChannels];
  uint32_t selectedCount = 0;
  uint64_t before = 0;  // the channel data of the layers before the selected one
  layers.Skip(2);       // the layer count, read already
  for (uint32_t layer = 0; layer < info->layerCount; ++layer) {
    uint32_t count = 0;
    if (!ReadLayerRecord(layers, layer == layerIndex, info, channels, &count, blendCode)) {
      return false;
    }
    for (uint32_t c = 0; c < count; ++c) {
      if (layer < layerIndex) before += channels[c].length;
      if (layer == layerIndex) selected[c] = channels[c];
    }
    if (layer == layerIndex) selectedCount = count;
  }
  return LocateLayerChannels(layers, before, selected, selectedCount, info);
}

}  // namespace

int ParsePsd(const uint8_t* data, uint32_t size, PsdLayerInfo* info, uint32_t layerIndex,
             int layerMode, int32_t* blendCode) {
  PsdLayerInfo scratch;
  if (!info) info = &scratch;
  std::memset(info, 0, sizeof *info);
  // The check of the colour mode data length reads two bytes past the header.
  if (!data || size < kHeaderSize + 2 || std::memcmp(data, "8BPS", 4) != 0) return 0;
  Cursor header(data, data + kHeaderSize);
  header.Skip(12);
  const uint32_t channels = header.U16();
  info->height = header.U32() & 0xFFFF;  // the low halves of the 32-bit sizes
  info->width = header.U32() & 0xFFFF;
  const uint32_t depth = header.U16();
  const uint32_t mode = header.U16();
  const uint32_t modeDataHigh = data[26] << 8 | data[27];
  // Only 8-bit channels are read: deeper ones would come out as noise.
  if ((mode != kRgb && mode != kDuotone) || (modeDataHigh != 0 && modeDataHigh != 3) ||
      depth != kChannelDepth || channels < 3 || info->width == 0 || info->height == 0) {
    return 0;
  }

  Cursor document(data + kHeaderSize, data + size);
  document.Section();  // colour mode data
  document.Section();  // image resources
  Cursor layerAndMask = document.Section();
  if (!document.ok()) return 0;
  // Layer information that does not fit its section is read as no layers: the merged image
  // stays reachable.
  const Cursor layers = layerAndMask.left() >= 4 ? layerAndMask.Section() : Cursor(data, data);
  if (layers.ok() && layers.left() >= 2) {
    const auto count = static_cast<int16_t>(Cursor(layers).U16());
    info->layerCount = static_cast<uint32_t>(count < 0 ? -count : count);
  }
  if (info->layerCount != 0 && layerIndex >= info->layerCount) return 0;
  if (layerMode && info->layerCount != 0) return ReadLayer(layers, layerIndex, info, blendCode);

  const auto compression = static_cast<uint16_t>(document.U16());
  if (compression == kPsdRunLength) document.Skip(uint64_t{channels} * info->height * 2);
  if (!document.ok()) return 0;
  info->channelCount = 3;
  info->bounds = {0, 0, static_cast<int32_t>(info->width), static_cast<int32_t>(info->height)};
  for (int slot = kPsdRed; slot <= kPsdBlue; ++slot) {
    info->compression[slot] = compression;
    info->channelEnd[slot] = data + size;
  }
  info->channelData[kPsdRed] = document.at();
  info->merged = 1;
  return 1;
}

const uint8_t* DecodePlane(uint8_t* plane, const uint8_t* source, const uint8_t* end,
                           uint16_t compression, uint32_t width, uint32_t height,
                           const PsdBounds& bounds) {
  if (compression != kPsdRaw && compression != kPsdRunLength) return nullptr;
  const int64_t rowLength = int64_t{bounds.right} - bounds.left;
  if (rowLength <= 0 || bounds.bottom <= bounds.top) return source;
  // Stores `count` bytes at column x of a row, keeping only what lies inside the picture.
  auto store = [&](uint8_t* row, int64_t x, int64_t count, const uint8_t* bytes, bool repeat) {
    if (!row) return;
    const int64_t from = std::max<int64_t>(x, 0);
    const int64_t to = std::min<int64_t>(x + count, width);
    if (from >= to) return;
    if (repeat) {
      std::memset(row + from, *bytes, static_cast<size_t>(to - from));
    } else {
      std::memcpy(row + from, bytes + (from - x), static_cast<size_t>(to - from));
    }
  };
  Cursor data(source, end);
  for (int64_t y = bounds.top; y < bounds.bottom; ++y) {
    uint8_t* row = y >= 0 && y < height ? plane + static_cast<size_t>(y) * width : nullptr;
    if (compression == kPsdRaw) {
      const uint8_t* bytes = data.Take(static_cast<uint64_t>(rowLength));
      if (!bytes) return nullptr;
      store(row, bounds.left, rowLength, bytes, false);
      continue;
    }
    // In run-length data a header n below 128 copies n + 1 bytes, one above 128 repeats the next
    // byte 257 - n times, and 128 does nothing, as every writer of the format means it. A run may
    // pass the row's end; what lies beyond is dropped.
    for (int64_t x = bounds.left; x < bounds.right;) {
      const uint32_t header = data.U8();
      if (header == 128) continue;
      const int64_t count = header < 128 ? header + 1 : 257 - header;
      const uint8_t* bytes = data.Take(header < 128 ? count : 1);
      if (!bytes) return nullptr;
      store(row, x, count, bytes, header > 128);
      x += count;
    }
  }
  return data.at();
}
