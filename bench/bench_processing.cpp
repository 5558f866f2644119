// Colour-set work on the 1220 x 1220 canvas of a standard set: sharpening beside the direct
// window sum it must equal, a quarter turn beside a plain loop, and composing,
// mixing and compensating a set beside memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "processing/colour_mixing.h"
#include "processing/exposure.h"
#include "processing/rotation.h"
#include "processing/sharpen.h"
#include "satfiles/spectral_set.h"

namespace kestrel {
namespace {

constexpr uint16_t kSide = 1020;
const CanvasGeometry kCanvas = CanvasFor(kSide, kSide, false);

// Three planes with smooth relief and noise, so every sharpening flag occurs.
const std::array<Bytes, 3>& Planes() {
  static const std::array<Bytes, 3> planes = [] {
    std::array<Bytes, 3> made;
    std::mt19937 noise(3);
    for (size_t k = 0; k < 3; ++k) {
      made[k].resize(size_t{kSide} * kSide + 16384);
      for (size_t i = 0; i < made[k].size(); ++i)
        made[k][i] = static_cast<uint8_t>(90 + 40 * k + (i / 37 % 50) + noise() % 9);
    }
    return made;
  }();
  return planes;
}

Bytes ComposedPixels() {
  const auto& p = Planes();
  auto set = ComposeSpectralSet({p[0], p[1], p[2]}, kCanvas, p[0].size());
  return Bytes(set->dib->begin() + 40, set->dib->end());
}

SharpenGeometry HiDef() {
  const auto side = static_cast<uint16_t>(kCanvas.side);
  return SharpenGeometryFor(side, side, true, 7);
}

// The direct n x n window sum: the definition the sliding sums must match.
void SharpenDirect(Bytes& pixels, const SharpenGeometry& g, uint8_t amount) {
  const size_t n = g.window, s = g.rowStep, half = (n - 1) / 2;
  Bytes mask(pixels.size(), 0);
  for (size_t r = 0; r < g.rows; ++r)
    for (size_t x = 0; x < s; x += 3)
      for (size_t c = 0; c < 3; ++c) {
        unsigned sum = 0;
        for (size_t j = 0; j < n; ++j)
          for (size_t i = 0; i < n; ++i) sum += pixels[r * s + x + j * s + 3 * i + c];
        const unsigned centre = pixels[(r + half) * s + 3 * half + x + c], mean = sum / unsigned(n * n);
        mask[(r + half) * s + 3 * half + x + c] =
            centre > mean && centre != 255 ? 16 : centre < mean && centre != 0 ? 32 : 0;
      }
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (mask[i] == 16) pixels[i] = static_cast<uint8_t>(std::min(255, pixels[i] + amount));
    if (mask[i] == 32) pixels[i] = static_cast<uint8_t>(std::max(0, pixels[i] - amount));
  }
}

void BM_SharpenHiDef(benchmark::State& state) {
  const Bytes source = ComposedPixels();
  Bytes pixels = source;
  SharpenPixels(pixels, HiDef(), 7);
  Bytes direct = source;
  SharpenDirect(direct, HiDef(), 7);
  if (pixels != direct) state.SkipWithError("sliding sums differ from the direct window sum");
  for (auto _ : state) {
    pixels = source;
    SharpenPixels(pixels, HiDef(), 7);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_SharpenHiDef)->Unit(benchmark::kMillisecond);

void BM_SharpenHiDefDirect(benchmark::State& state) {
  const Bytes source = ComposedPixels();
  for (auto _ : state) {
    Bytes pixels = source;
    SharpenDirect(pixels, HiDef(), 7);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_SharpenHiDefDirect)->Unit(benchmark::kMillisecond)->Iterations(2);

// Compose the three planes, mix them, and lighten the result as the automatic compensation does.
void BM_ComposeMixCompensate(benchmark::State& state) {
  const auto& p = Planes();
  Bytes mixed;
  for (auto _ : state) {
    auto set = ComposeSpectralSet({p[0], p[1], p[2]}, kCanvas, p[0].size());
    const DerivedCompensation derived = DeriveCompensation(set->statistics);
    mixed.resize(set->dib->size());
    MixColourPixels(std::span<const uint8_t>(*set->dib).subspan(40), std::span<uint8_t>(mixed).subspan(40),
                    MixCoefficients{});
    LightenColourBytes(std::span<uint8_t>(mixed).subspan(40),
                       {CompensationMode::Averaged, static_cast<uint8_t>(derived.exposureLevel), {}});
    benchmark::DoNotOptimize(mixed.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(mixed.size()));
}
BENCHMARK(BM_ComposeMixCompensate)->Unit(benchmark::kMillisecond);

// A quarter turn of the whole canvas, as turning a colour set does.
void BM_RotateCanvas(benchmark::State& state) {
  const Bytes source = ComposedPixels();
  Bytes target(source.size());
  for (auto _ : state) {
    RotatePixels(source, target, kCanvas.side, kCanvas.side, {3, 0, 3}, Turn::Clockwise);
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_RotateCanvas)->Unit(benchmark::kMillisecond);

// The same turn as a plain loop: each pixel copied by its own address.
void BM_RotateCanvasByColumns(benchmark::State& state) {
  const Bytes source = ComposedPixels();
  Bytes target(source.size());
  const size_t side = kCanvas.side;
  for (auto _ : state) {
    uint8_t* out = target.data();
    for (size_t step = 0; step < side; ++step)
      for (size_t row = 0; row < side; ++row, out += 3)
        std::memcpy(out, source.data() + (row * side + side - 1 - step) * 3, 3);
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_RotateCanvasByColumns)->Unit(benchmark::kMillisecond);

// memcpy of the composed block, once.
void BM_MemcpyCanvas(benchmark::State& state) {
  const Bytes source = ComposedPixels();
  Bytes target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_MemcpyCanvas)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
