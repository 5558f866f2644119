// Pair coding of a 1020 x 1020 spectral plane, each direction beside memcpy of the same
// bytes: the encoder's input picture, the decoder's output picture.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>

#include "codec/pair_decoder.h"
#include "codec/pair_encoder.h"
#include "codec/pair_format.h"

namespace kestrel {
namespace {

constexpr uint16_t kSide = 1020;
constexpr std::string_view kPlaneName = "TM112345.IMI";

// An earth-like plane: smooth relief, a flat sea with a sharp coast, field patterns and a
// little sensor noise, so that flat, whole and quadrant blocks all occur.
const Bytes& Scene() {
  static const Bytes scene = [] {
    Bytes pixels(size_t{kSide} * kSide);
    std::mt19937 noise(1);
    for (size_t y = 0; y < kSide; ++y)
      for (size_t x = 0; x < kSide; ++x) {
        const double fx = static_cast<double>(x), fy = static_cast<double>(y);
        const double coast = 400 + 120 * std::sin(fy / 90.0) + 40 * std::sin(fy / 17.0);
        double v = 0;
        if (fx < coast) {
          v = 38;
        } else {
          v = 110 + 50 * std::sin(fx / 61.0) * std::cos(fy / 47.0);
          if ((x / 24 + y / 32) % 3 == 0) v += 30 * std::sin(fx / 1.5 + fy / 2.0);  // fields
        }
        v += static_cast<double>(noise() % 3) - 1.0;
        pixels[y * kSide + x] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
      }
    return pixels;
  }();
  return scene;
}

PairSize PlaneSize() { return CompressedSizeFor(kPlaneName, kSide, kSide); }

EncodedBlocks Encode() {
  return EncodeBlocks(Scene(), kSide, PlaneSize(), [] {});
}

struct PairFiles {
  Bytes thumbnail;
  Bytes compressed;
};
const PairFiles& Files() {
  static const PairFiles files = [] {
    const EncodedBlocks encoded = Encode();
    const PairSize size = PlaneSize();
    PairFiles f{Bytes(kPairHeaderLength, 0), Bytes(kPairHeaderLength, 0)};
    StoreU16(f.thumbnail.data() + kPairWidthOffset, static_cast<uint16_t>(size.width / 4));
    StoreU16(f.thumbnail.data() + kPairHeightOffset, static_cast<uint16_t>(size.height / 4));
    StoreU16(f.compressed.data() + kPairWidthOffset, size.width);
    StoreU16(f.compressed.data() + kPairHeightOffset, size.height);
    f.thumbnail.insert(f.thumbnail.end(), encoded.thumbnail.begin(), encoded.thumbnail.end());
    f.compressed.insert(f.compressed.end(), encoded.map.begin(), encoded.map.end());
    f.compressed.insert(f.compressed.end(), encoded.records.begin(), encoded.records.end());
    return f;
  }();
  return files;
}

void Memcpy(benchmark::State& state, size_t bytes) {
  Bytes from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The block mix, for reading the timings.
void CountBlocks(benchmark::State& state, const Bytes& map) {
  std::array<double, 4> counts{};
  for (const uint8_t codes : map)
    for (int k = 0; k < 4; ++k) counts[(codes >> (2 * k)) & 3] += 1;
  const double blocks = static_cast<double>(map.size() * 4);
  state.counters["flat"] = counts[kFlatBlock] / blocks;
  state.counters["whole"] = counts[kWholeBlock] / blocks;
  state.counters["quadrant"] = counts[kQuadrantBlock] / blocks;
}

void BM_MemcpyEncoderInput(benchmark::State& state) { Memcpy(state, Scene().size()); }

void BM_Encode(benchmark::State& state) {
  for (auto _ : state) {
    EncodedBlocks encoded = Encode();
    benchmark::DoNotOptimize(encoded.records.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Scene().size()));
  CountBlocks(state, Encode().map);
}

void BM_MemcpyDecoderOutput(benchmark::State& state) {
  Memcpy(state, (Files().thumbnail.size() - kPairHeaderLength) * kPixelsPerBlock);
}

void BM_Decode(benchmark::State& state) {
  const PairFiles& files = Files();
  size_t bytes = 0;
  for (auto _ : state) {
    DecodedPair decoded = DecodePair(files.thumbnail, files.compressed);
    bytes = decoded.picture.size();
    benchmark::DoNotOptimize(decoded.picture.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  CountBlocks(
      state,
      Bytes(files.compressed.begin() + kPairHeaderLength,
            files.compressed.begin() + kPairHeaderLength +
                static_cast<std::ptrdiff_t>((files.thumbnail.size() - kPairHeaderLength) / 4)));
}

BENCHMARK(BM_MemcpyEncoderInput);
BENCHMARK(BM_Encode);
BENCHMARK(BM_MemcpyDecoderOutput);
BENCHMARK(BM_Decode);

}  // namespace
}  // namespace kestrel
