// The structure of a PSD document of 8-bit RGB: its header, its layer records and where the
// pixel planes of the merged image or of one layer lie. All numbers in the file are big-endian.
#pragma once

#include <cstdint>

// Blend codes of the layer records' blend keys.
constexpr int32_t kPsdBlendNormal = 0;       // "norm"
constexpr int32_t kPsdBlendLinearDodge = 1;  // "lddg"
constexpr int32_t kPsdBlendMultiply = 2;     // "mul "
constexpr int32_t kPsdBlendScreen = 3;       // "scrn"
constexpr int32_t kPsdBlendOverlay = 4;      // "over"
constexpr int32_t kPsdBlendDivide = 5;       // "div "

// Section-divider kinds: a layer that opens or closes a group of layers.
constexpr uint32_t kPsdNoSection = 0;
constexpr uint32_t kPsdGroupStart = 1;
constexpr uint32_t kPsdGroupEnd = 2;

constexpr uint16_t kPsdRaw = 0;
constexpr uint16_t kPsdRunLength = 1;  // PackBits rows after a table of row byte counts

// Channel slots of PsdLayerInfo.
enum PsdChannel { kPsdRed, kPsdGreen, kPsdBlue, kPsdAlpha, kPsdChannelSlots };

struct PsdBounds {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct PsdLayerInfo {
  uint16_t channelCount;  // 3 for the merged image, otherwise the layer's own count
  uint32_t width;         // the picture's
  uint32_t height;
  PsdBounds bounds;  // the area the planes cover: the picture, or the layer's rectangle
  // Red, green, blue and alpha; null when the layer has no such channel. For the merged image
  // only red is set: green and blue follow it, each where the previous plane ends.
  const uint8_t* channelData[kPsdChannelSlots];
  uint16_t compression[kPsdChannelSlots];
  uint32_t channelLength[kPsdChannelSlots];  // layers: the record's length of each channel
  uint32_t merged;                           // 1 when the planes are the merged image's
  uint32_t layerCount;
  char name[256];           // the layer's name in Shift-JIS, its Unicode name when it has one
  uint32_t sectionDivider;  // kPsdNoSection, kPsdGroupStart or kPsdGroupEnd
  // Where each channel's data ends (the document's end for the merged image); decoding never
  // reads past it.
  const uint8_t* channelEnd[kPsdChannelSlots];
};

// Fills `info` (zeroed first) for the merged image, or with `layerMode` set and the document
// holding layers, for layer `layerIndex`, whose blend code goes to `blendCode` when it is not null.
// 0 for anything but an 8-bit RGB document, a layer index past the last layer, a record of more
// than 256 channels, an unknown blend key, or sections that leave the block.
int ParsePsd(const uint8_t* data, uint32_t size, PsdLayerInfo* info, uint32_t layerIndex,
             int layerMode, int32_t* blendCode);

// Decodes the plane that starts at `source` into `plane` (width x height bytes), over `bounds`:
// bytes that fall outside the picture are read and dropped. Returns where the plane's data ends,
// or null when it would run past `end` or the compression is neither raw nor run-length.
const uint8_t* DecodePlane(uint8_t* plane, const uint8_t* source, const uint8_t* end,
                           uint16_t compression, uint32_t width, uint32_t height,
                           const PsdBounds& bounds);
