// Narrowing 4-byte pixels to 16 bits through the conversion table, with the vector path (taken
// when the processor probe reports MMX) against the scalar loop, in the same run.
//
//   pixel_bench [--rounds N]
//
// Converts a 1920x1080 picture of random pixels N times (default 30) each way, alternating which
// goes first, checks that both give the same bytes, and prints the median times and, last,
// `vector_vs_scalar_ratio=<vector time / scalar time>`. The dithered conversion, which has no
// vector path, is timed too, for scale.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "image/pixel_blit.h"
#include "system/zrCaps.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Milliseconds of one conversion of the whole picture.
double Convert(const std::vector<uint8_t>& source, std::vector<uint8_t>& target, bool dither) {
  BlitParams params{};
  params.dst = {2, target.data(), kWidth, kHeight, 0, 0, 0, 0, kWidth * 2, 0};
  params.src = {4, source.data(), kWidth, kHeight, 0, 0, kWidth, kHeight, kWidth * 4, 256};
  params.dither = dither ? 1 : 0;
  const auto start = std::chrono::steady_clock::now();
  kConvertTable[kPixelBgra][kPixel4444](&params);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 30;
  if (argc == 3 && std::string(argv[1]) == "--rounds") rounds = std::max(1, std::atoi(argv[2]));
  std::vector<uint8_t> source(size_t{kWidth} * kHeight * 4);
  std::mt19937 random(7);
  for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
  std::vector<uint8_t> scalarOut(size_t{kWidth} * kHeight * 2);
  std::vector<uint8_t> vectorOut(scalarOut.size());

  auto* caps = new zrCaps(kProbeCpu, kDdeNone);
  const bool hasMmx = caps->GetCpuInfo()->hasMmx != 0;
  std::vector<double> scalar, vector, dithered;
  for (int round = 0; round < rounds; ++round) {
    const bool vectorFirst = round % 2 == 0;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == vectorFirst) {
        if (!zrCaps::Current()) caps = new zrCaps(kProbeCpu, kDdeNone);
        vector.push_back(Convert(source, vectorOut, false));
      } else {
        delete caps;  // without a probe the scalar loop runs
        caps = nullptr;
        scalar.push_back(Convert(source, scalarOut, false));
      }
    }
    dithered.push_back(Convert(source, scalarOut, true));
  }
  delete caps;
  Convert(source, scalarOut, false);
  if (scalarOut != vectorOut) {
    std::fprintf(stderr, "pixel_bench: the two paths disagree\n");
    return 1;
  }
  std::printf("picture=%dx%d rounds=%d mmx=%s\n", kWidth, kHeight, rounds, hasMmx ? "yes" : "no");
  std::printf("scalar_ms=%.2f vector_ms=%.2f dithered_ms=%.2f\n", Median(scalar), Median(vector),
              Median(dithered));
  std::printf("vector_vs_scalar_ratio=%.3f\n", Median(vector) / Median(scalar));
  return 0;
}
