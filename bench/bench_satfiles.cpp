// LoadSingleImage of a field picture and of a spectral plane, and RemoveRepeatedBlocks of a
// megabyte raw file, each beside memcpy of the same number of bytes. The field picture's load
// also stands beside its floor: reading the file, and one memcpy of the picture it makes.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/scripted_platform.h"
#include "satfiles/brightness.h"
#include "satfiles/identification.h"
#include "satfiles/repeated_blocks.h"
#include "satfiles/single_image.h"
#include "scratch_folder.h"
#include "session/session.h"

namespace {

namespace fs = std::filesystem;

// A smooth scene with noise and the odd spike, like a camera picture.
kestrel::Bytes Scene(size_t size) {
  kestrel::Bytes bytes(size);
  uint32_t seed = 1;
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(80 + (i / 611) % 90 + (seed >> 30) + ((seed >> 20) % 997 == 0 ? 100 : 0));
  }
  return bytes;
}

fs::path WriteSample(const std::string& name, size_t size) {
  const fs::path path = kestrel::bench::Scratch() / name;
  const kestrel::Bytes bytes = Scene(size);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

void Load(benchmark::State& state, const std::string& name, size_t fileSize) {
  WriteSample(name, fileSize);
  kestrel::ScriptedPlatform platform;
  kestrel::Session session(platform, kestrel::bench::Scratch());
  for (auto _ : state) {
    session.state.currentFilePath = name;
    kestrel::IdentifyImageFile(session);
    benchmark::DoNotOptimize(kestrel::LoadSingleImage(session));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fileSize));
}

// The file's bytes as the loader reads them, into a buffer of their own each time.
void ReadFile(benchmark::State& state, const std::string& name, size_t fileSize) {
  const fs::path path = WriteSample(name, fileSize);
  for (auto _ : state) benchmark::DoNotOptimize(kestrel::ReadFilePrefix(path, 2 * fileSize));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fileSize));
}

void Copy(benchmark::State& state, size_t size) {
  const kestrel::Bytes source = Scene(size);
  kestrel::Bytes target(size);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), size);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

// Plain transcriptions of the spike filter and the brightness repair, one position and one pass
// at a time, which the fast kernels must match byte for byte.
void ReferenceSpikeFilter(kestrel::Bytes& b) {
  for (size_t i = 1; i + 1 < b.size(); ++i) {
    const int l = b[i - 1], c = b[i], r = b[i + 1];
    if (std::abs(c - l) > 4 && std::abs(c - r) > 4 && std::abs(r - l) <= std::abs(c - l))
      b[i] = static_cast<uint8_t>((l + r) / 2);
  }
}

void ReferenceSmoothSeam(kestrel::Bytes& b, size_t p, size_t w) {
  constexpr int kLimits[4] = {254, 254, 252, 251};
  for (int pass = 0; pass < 10; ++pass)
    for (size_t x = 0; x < w; ++x) {
      const int a = b[(p - 1) * w + x], c = b[(p + 4) * w + x], m = (a + c) / 2;
      for (int k = 0; k < 4; ++k) {
        uint8_t& v = b[(p + size_t(k)) * w + x];
        const int j = k + 1;
        if (a - c >= 5) v = static_cast<uint8_t>(a - j * ((a - c) / 5) > j ? a - j * ((a - c) / 5) : 0);
        else if (c - a >= 5) v = static_cast<uint8_t>(a + j * ((c - a) / 5) < kLimits[k] ? a + j * ((c - a) / 5) : 255);
        else v = static_cast<uint8_t>((v + m) / 2);
      }
    }
}

// Returns the split row, or 0 without one; `rows` x `w` bytes, file name without KA or KB.
size_t ReferenceBrightness(kestrel::Bytes& b, size_t w, size_t rows) {
  int64_t before = 0, after = 0, previous = 0;
  size_t split = 0;
  for (size_t m = 0; m < rows; ++m) {
    int64_t sum = 0;
    for (size_t x = 0; x < w; ++x) sum += b[m * w + x];
    if (!split && m > 20 && m + 20 < rows && std::abs(sum - previous) > 24576) split = m;
    (split ? after : before) += sum;
    previous = sum;
  }
  if (!split) return 0;
  const int64_t mean = (before + after) / int64_t(w * rows), a = after / int64_t(w * (rows - split));
  if (std::abs(a - mean) < 24) {
    const int64_t adj = ((std::abs(a - mean) * int64_t(split)) % 65536) / int64_t(rows);
    for (size_t i = split * w; i < w * rows; ++i)
      b[i] = static_cast<uint8_t>(a > mean ? (b[i] - adj > 0 ? b[i] - adj : 0) : (b[i] + adj < 255 ? b[i] + adj : 255));
  }
  ReferenceSmoothSeam(b, split, w);
  ReferenceSmoothSeam(b, split - 5, w);
  return split;
}

constexpr size_t kPictureStride = 612;
constexpr size_t kPictureRows = 576;

// Scenes with and without a brightness jump, through both kernels and their references.
void CheckKernelsAgainstReferences() {
  for (const size_t jumpRow : {size_t{0}, size_t{300}}) {
    kestrel::Bytes picture = Scene(kPictureStride * kPictureRows);
    for (size_t i = jumpRow * kPictureStride; jumpRow && i < picture.size(); ++i)
      picture[i] = static_cast<uint8_t>(picture[i] / 2 + 20);
    kestrel::Bytes reference = picture;
    kestrel::SpikeFilter(picture);
    ReferenceSpikeFilter(reference);
    if (picture != reference) std::abort();
    kestrel::Bytes table(1024);
    const auto outcome = kestrel::AnalyseAndCorrectBrightness(picture, table, kPictureStride,
                                                              kPictureRows, "U5IW0001", false);
    if (ReferenceBrightness(reference, kPictureStride, kPictureRows) != outcome.splitRow.value_or(0) ||
        picture != reference)
      std::abort();
  }
}

void BM_SpikeFilterFieldPicture(benchmark::State& state) {
  CheckKernelsAgainstReferences();
  const kestrel::Bytes scene = Scene(kPictureStride * kPictureRows);
  kestrel::Bytes picture = scene;
  for (auto _ : state) {
    state.PauseTiming();
    picture = scene;
    state.ResumeTiming();
    kestrel::SpikeFilter(picture);
    benchmark::DoNotOptimize(picture.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(scene.size()));
}

void BM_BrightnessFieldPicture(benchmark::State& state) {
  const kestrel::Bytes scene = Scene(kPictureStride * kPictureRows);
  kestrel::Bytes picture = scene;
  kestrel::Bytes table(1024);
  for (auto _ : state) {
    state.PauseTiming();
    picture = scene;
    state.ResumeTiming();
    benchmark::DoNotOptimize(kestrel::AnalyseAndCorrectBrightness(picture, table, kPictureStride,
                                                                  kPictureRows, "U5IW0001", true));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(scene.size()));
}

constexpr size_t kFieldFileSize = 611 * 576 + 256;
constexpr size_t kPlaneFileSize = 1020 * 1020;
constexpr size_t kRawFileSize = 1 << 20;

void BM_LoadFieldImage_U5IW(benchmark::State& state) { Load(state, "U5IW0001", kFieldFileSize); }
void BM_LoadFieldImage_KAIW(benchmark::State& state) { Load(state, "KAIW0001", kFieldFileSize); }
void BM_MemcpyFieldImage(benchmark::State& state) { Copy(state, kFieldFileSize); }
void BM_ReadFieldFile(benchmark::State& state) { ReadFile(state, "U5IW0003", kFieldFileSize); }
// The picture the load makes: 612-byte rows.
void BM_MemcpyFieldPicture(benchmark::State& state) { Copy(state, 612 * 576); }
void BM_LoadSpectralPlane(benchmark::State& state) { Load(state, "TM100001.IMI", kPlaneFileSize); }
void BM_MemcpySpectralPlane(benchmark::State& state) { Copy(state, kPlaneFileSize); }

void BM_RemoveRepeatedBlocks(benchmark::State& state) {
  const kestrel::Bytes raw = Scene(kRawFileSize);
  for (auto _ : state) benchmark::DoNotOptimize(kestrel::DropRepeatedBlocks(raw));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kRawFileSize));
}
void BM_RemoveRepeatedBlocksFile(benchmark::State& state) {
  const fs::path source = WriteSample("U5IW0002", kRawFileSize);
  for (auto _ : state) kestrel::RemoveRepeatedBlocks(source, kestrel::bench::Scratch() / "U5IW0002.CCD");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kRawFileSize));
}
void BM_MemcpyRawFile(benchmark::State& state) { Copy(state, kRawFileSize); }

BENCHMARK(BM_LoadFieldImage_U5IW);
BENCHMARK(BM_SpikeFilterFieldPicture);
BENCHMARK(BM_BrightnessFieldPicture);
BENCHMARK(BM_LoadFieldImage_KAIW);
BENCHMARK(BM_MemcpyFieldImage);
BENCHMARK(BM_ReadFieldFile);
BENCHMARK(BM_MemcpyFieldPicture);
BENCHMARK(BM_LoadSpectralPlane);
BENCHMARK(BM_MemcpySpectralPlane);
BENCHMARK(BM_RemoveRepeatedBlocks);
BENCHMARK(BM_RemoveRepeatedBlocksFile);
BENCHMARK(BM_MemcpyRawFile);

}  // namespace
