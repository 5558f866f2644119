// Bitmap file reading and writing, and RLE8 coding, each beside memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>

#include "bitmap/bitmap_file.h"
#include "bitmap/convert.h"
#include "bitmap/dib.h"
#include "bitmap/thumbnail.h"
#include "grey_picture.h"
#include "scratch_folder.h"

namespace kestrel {
namespace {

constexpr int32_t kSide = 1020;

// An earth-like 8-bit grey picture: smooth relief with flat sea, so RLE has runs to find.
Block Scene() {
  return bench::GreyPicture(kSide, [](int32_t x, int32_t y) {
    const int land = (x * 3 + y * 2) % 700 - 300 + ((x * y) >> 9) % 64;
    return land < 0 ? uint8_t{40} : uint8_t(90 + (land >> 2) % 150);
  });
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

// A file manager's thumbnail of the scene, beside reading the same picture from its file.
void BM_Thumbnail256(benchmark::State& state) {
  const Block dib = Scene();
  for (auto _ : state) benchmark::DoNotOptimize(ThumbnailDib(*dib, 256));
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
BENCHMARK(BM_Thumbnail256);
BENCHMARK(BM_EncodeRle8);
BENCHMARK(BM_DecodeRle8);

}  // namespace
}  // namespace kestrel
