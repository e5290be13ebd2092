// The dispatch tables of the rectangle converters, by [source format][destination format].
#include "image/pixel_blit.h"
#include "image/pixel_members.h"

namespace {

constexpr int32_t k1 = kPixel4444;
constexpr int32_t k2 = kPixelBgr;
constexpr int32_t k3 = kPixelBgra;

}  // namespace

const BlitFunction kConvertTable[kPixelFormatSlots][kPixelFormatSlots] = {
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, CopyRows<k1>, ConvertPixels<k1, k2>, ConvertPixels<k1, k3>},
    {nullptr, ConvertPixels<k2, k1>, CopyRows<k2>, ConvertPixels<k2, k3>},
    {nullptr, ConvertBgraTo4444, ConvertPixels<k3, k2>, CopyRows<k3>},
};

// 3-byte sources are opaque, so their row is the plain conversions'.
const BlitFunction kOpacityBlendTable[kPixelFormatSlots][kPixelFormatSlots] = {
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, CompositeOnto<k1, k1>, BlendOntoBgr<k1>, CompositeOnto<k1, k3>},
    {nullptr, ConvertPixels<k2, k1>, CopyRows<k2>, ConvertPixels<k2, k3>},
    {nullptr, CompositeOnto<k3, k1>, BlendOntoBgr<k3>, CompositeOnto<k3, k3>},
};

const BlitFunction kModeBlendTable[kPixelFormatSlots][kPixelFormatSlots] = {
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
    {nullptr, nullptr, BlendModeOntoBgr, BlendModeOntoBgra},
};

const AlphaFillTable kAlphaFillTable = {
    ChannelToAlpha,
    MaskToAlpha,
    {nullptr, Fill4444, FillBgr, FillBgra},
};
