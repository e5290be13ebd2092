// The converters behind the dispatch tables of pixel_blit.h, for the tables and the tests.
#pragma once

#include <cstdint>

#include "image/pixel_blit.h"

// Plain conversions (pixel_convert.cpp).
template <int32_t Format>
int32_t CopyRows(const BlitParams* params);
template <int32_t Src, int32_t Dst>
int32_t ConvertPixels(const BlitParams* params);
int32_t ConvertBgraTo4444(const BlitParams* params);  // dithers when asked

// Blends (pixel_blend.cpp).
void BuildOpacityTable(uint16_t opacity, uint8_t table[256]);
template <int32_t Src>
int32_t BlendOntoBgr(const BlitParams* params);
template <int32_t Src, int32_t Dst>
int32_t CompositeOnto(const BlitParams* params);
int32_t BlendModeOntoBgr(const BlitParams* params);
int32_t BlendModeOntoBgra(const BlitParams* params);

// Alpha members and fills (pixel_alpha_fill.cpp).
int32_t ChannelToAlpha(const BlitParams* params);
int32_t MaskToAlpha(const BlitParams* params);
int32_t Fill4444(const FillParams* params);
int32_t FillBgr(const FillParams* params);
int32_t FillBgra(const FillParams* params);
