// HG-3 decoding against PNG decoding of the same picture, both from memory, in the same run.
//
//   hg3_bench [--picture FILE] [--rounds N] [--slice-rows R]
//
// Without --picture, ImageMagick makes a 1920x1080 picture with photograph-like detail (a plasma
// fractal of fixed seed, fully opaque alpha). The picture is encoded once as an HG-3 standard
// plane (our writer, slices of R rows) and once as PNG (libpng's default compression, through the
// PNG adapter); then each is decoded N times (default 20), alternating which goes first. Prints
// the sizes and the median times and, last, `hg3_vs_png_ratio=<HG-3 time / PNG time>`.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/hg3_writer.h"
#include "image/zrImageHg3.h"
#include "image/zrImagePng.h"
#include "system/heap.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Options {
  std::string picture;
  int rounds = 20;
  uint32_t sliceRows = kHg3SliceRows;
};

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "hg3_bench: %s\n", what.c_str());
  std::exit(1);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    if (name == "--picture") {
      options.picture = argv[i + 1];
    } else if (name == "--rounds") {
      options.rounds = std::max(1, std::atoi(argv[i + 1]));
    } else if (name == "--slice-rows") {
      options.sliceRows = static_cast<uint32_t>(std::max(1, std::atoi(argv[i + 1])));
    } else {
      Fail("unknown option " + name);
    }
  }
  return options;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) Fail("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

// A plasma fractal as a 32-bit PNG, made by ImageMagick in a temporary file.
Bytes MakePicture() {
  char path[] = "/tmp/hg3_bench_XXXXXX.png";
  const int fd = mkstemps(path, 4);
  if (fd < 0) Fail("cannot make a temporary file");
  close(fd);
  const std::string command =
      "convert -size 1920x1080 -seed 7 plasma:fractal -alpha set "
      "-channel A -evaluate set 100% +channel -depth 8 PNG32:" +
      std::string(path);
  if (std::system(command.c_str()) != 0) Fail("ImageMagick's convert failed: " + command);
  Bytes bytes = ReadFile(path);
  unlink(path);
  return bytes;
}

template <typename Image>
double TimeDecode(const Bytes& bytes) {
  const MemoryBlock block = BorrowedBlock(bytes.data(), static_cast<uint32_t>(bytes.size()));
  const auto start = std::chrono::steady_clock::now();
  Image image;
  if (!image.Load(&block, 0)) Fail("a decode failed");
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  zrHeapCreate(kLibraryHeapSize);
  const Bytes source = options.picture.empty() ? MakePicture() : ReadFile(options.picture);

  zrImagePng picture;
  const MemoryBlock sourceBlock =
      BorrowedBlock(source.data(), static_cast<uint32_t>(source.size()));
  if (!picture.Load(&sourceBlock, 0)) Fail("the picture is not a PNG the adapter reads");
  MemoryBlock encoded{};
  if (!picture.Save(&encoded, 0, 0, 0, 0)) Fail("PNG encoding failed");
  const Bytes png(encoded.data, encoded.data + encoded.size);
  ReleaseMemoryBlock(&encoded);
  hg3::Writer writer;
  if (!AddHg3StandardFrame(writer, 0, picture, options.sliceRows)) Fail("HG-3 encoding failed");
  const Bytes hg3 = writer.Finish();

  uint32_t width = 0;
  uint32_t height = 0;
  picture.GetSize(&width, &height);
  std::printf("picture: %ux%u, %d bytes per pixel\n", width, height, picture.GetBytesPerPixel());
  std::printf("png_bytes=%zu hg3_bytes=%zu (slices of %u rows)\n", png.size(), hg3.size(),
              options.sliceRows);

  std::vector<double> pngTimes;
  std::vector<double> hg3Times;
  for (int round = 0; round < options.rounds; ++round) {
    if (round % 2 == 0) {
      pngTimes.push_back(TimeDecode<zrImagePng>(png));
      hg3Times.push_back(TimeDecode<zrImageHg3>(hg3));
    } else {
      hg3Times.push_back(TimeDecode<zrImageHg3>(hg3));
      pngTimes.push_back(TimeDecode<zrImagePng>(png));
    }
  }
  const double pngMs = Median(pngTimes);
  const double hg3Ms = Median(hg3Times);
  std::printf("png_decode_ms=%.2f hg3_decode_ms=%.2f (medians of %d)\n", pngMs, hg3Ms,
              options.rounds);
  std::printf("hg3_vs_png_ratio=%.3f\n", hg3Ms / pngMs);
  return 0;
}
