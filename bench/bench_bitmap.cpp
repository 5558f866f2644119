// Bitmap file reading and writing, and RLE8 coding, each beside memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "bitmap/dib.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

constexpr int32_t kSide = 1020;

// An earth-like 8-bit grey picture: smooth relief with flat sea, so RLE has runs to find.
Block Scene() {
  Block dib = NewPackedDib(kSide, kSide, 8);
  FillGreyColourTable(*dib);
  uint8_t* pixels = dib->data() + PixelOffset(*LoadInfoHeader(*dib));
  const uint32_t stride = RowLength(8, kSide);
  for (int32_t y = 0; y < kSide; ++y)
    for (int32_t x = 0; x < kSide; ++x) {
      const int land = (x * 3 + y * 2) % 700 - 300 + ((x * y) >> 9) % 64;
      pixels[size_t(y) * stride + size_t(x)] = land < 0 ? 40 : uint8_t(90 + (land >> 2) % 150);
    }
  return dib;
}

const std::filesystem::path& BenchFile() {
  static const std::filesystem::path path = bench::Scratch() / "kestrel-bench.bmp";
  return path;
}

void Memcpy(benchmark::State& state, size_t bytes) {
  std::vector<uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_MemcpyPicture(benchmark::State& state) { Memcpy(state, Scene()->size()); }

void BM_WriteBitmapFile(benchmark::State& state) {
  const Block dib = Scene();
  for (auto _ : state) benchmark::DoNotOptimize(WriteBitmapFile(BenchFile(), *dib));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(dib->size()));
}

void BM_ReadBitmapFile(benchmark::State& state) {
  const Block dib = Scene();
  WriteBitmapFile(BenchFile(), *dib);
  for (auto _ : state) benchmark::DoNotOptimize(ReadBitmapFile(BenchFile()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(dib->size()));
}

void BM_EncodeRle8(benchmark::State& state) {
  const Block dib = Scene();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeRle(*dib));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(dib->size()));
}

void BM_DecodeRle8(benchmark::State& state) {
  const Block dib = Scene();
  const Block rle = EncodeRle(*dib);
  state.counters["rle_bytes"] = double(rle->size());
  for (auto _ : state) benchmark::DoNotOptimize(DecodeRle(*rle));
  // Measured against the decoded picture, the bytes it produces.
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(dib->size()));
}

BENCHMARK(BM_MemcpyPicture);
BENCHMARK(BM_WriteBitmapFile);
BENCHMARK(BM_ReadBitmapFile);
BENCHMARK(BM_EncodeRle8);
BENCHMARK(BM_DecodeRle8);

}  // namespace
}  // namespace kestrel
