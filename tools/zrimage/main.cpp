// zrimage: tells what a picture file holds and converts pictures between the formats the library
// reads and PNG, HG-3, HG-2, BMP or ZRF.
#include "commands.h"

namespace {

constexpr char kUsage[] =
    "usage: zrimage info FILE\n"
    "       zrimage convert IN OUT [--key K | --frame N | --layer N]\n"
    "  info     print the format and, for each frame, its key, size, bytes per pixel, canvas,\n"
    "           offset, base values and alpha state; for a PSD also each layer's name,\n"
    "           rectangle, blend mode and group mark\n"
    "  convert  decode frame K (by key, 0 by default), the N-th frame (from 0) or, of a PSD,\n"
    "           layer N (from 0, on the document's canvas) of IN and\n"
    "           write OUT by its extension: .png as the picture shows on screen (RGB or RGBA),\n"
    "           .hg3 as an HG-3 standard plane, .hg2 as an HG-2 frame trimmed to its opaque part,\n"
    "           .bmp as a bitmap, .zrf as a ZRF picture\n";

}  // namespace

int main(int argc, char** argv) {
  return RunTool("zrimage", kUsage, argc, argv, {{u"info", RunInfo}, {u"convert", RunConvert}});
}
