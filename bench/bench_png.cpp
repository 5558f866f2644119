// PNG encoding of a grey camera picture, beside ImageMagick writing the same pixels (when its
// `convert` is installed): compare png_bytes and the processor time per picture.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bitmap/bitmap_file.h"
#include "bitmap/dib.h"
#include "bitmap/png_file.h"
#include "grey_picture.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

constexpr int32_t kSide = 1020;  // a TMSAT-1 spectral plane

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

// Value noise in 0..1, smoothly interpolated between lattice points.
double Noise(double x, double y, uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<uint32_t>(static_cast<int32_t>(fx));
  const auto iy = static_cast<uint32_t>(static_cast<int32_t>(fy));
  const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double tx = smooth(x - fx), ty = smooth(y - fy);
  const auto at = [&](uint32_t dx, uint32_t dy) { return (Hash(ix + dx, iy + dy, seed) >> 8) / 16777216.0; };
  const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * tx;
  const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * tx;
  return top + (bottom - top) * ty;
}

// Terrain as the camera sees it: fractal relief, a flat dark sea, and about one grey level of
// sensor noise, which is what limits how far any PNG writer can pack it.
Block Scene() {
  return bench::GreyPicture(kSide, [](int32_t x, int32_t y) {
    double height = 0, amplitude = 0.5;
    for (int octave = 0; octave < 6; ++octave, amplitude /= 2) {
      const double scale = 180.0 / (1 << octave);
      height += amplitude * (Noise(x / scale, y / scale, uint32_t(octave)) - 0.5);
    }
    const double ground = height < -0.05 ? 45 : 110 + height * 260;
    const double noise = Hash(uint32_t(x), uint32_t(y), 99) % 5 - 2.0;
    return uint8_t(std::clamp(ground + noise, 8.0, 250.0));
  });
}

void BM_EncodePng(benchmark::State& state) {
  const Block dib = Scene();
  size_t bytes = 0;
  for (auto _ : state) bytes = EncodePng(*dib)->size();
  state.counters["png_bytes"] = double(bytes);
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// ImageMagick converting the same picture's bitmap file: its processor time, start-up included.
void BM_ImageMagickPng(benchmark::State& state) {
  if (!std::filesystem::exists("/usr/bin/convert")) return state.SkipWithError("no ImageMagick");
  const auto bmp = bench::Scratch() / "scene.bmp", png = bench::Scratch() / "scene.png";
  WriteBitmapFile(bmp, *Scene());
  const std::string command = "/usr/bin/convert '" + bmp.string() + "' '" + png.string() + "'";
  for (auto _ : state) {
    const double before = ChildrenCpuSeconds();
    if (std::system(command.c_str()) != 0) return state.SkipWithError("convert failed");
    state.SetIterationTime(ChildrenCpuSeconds() - before);
  }
  state.counters["png_bytes"] = double(std::filesystem::file_size(png));
}

BENCHMARK(BM_EncodePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagickPng)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
}  // namespace kestrel
