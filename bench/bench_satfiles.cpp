// LoadSingleImage of a field picture and of a spectral plane, and RemoveRepeatedBlocks of a
// megabyte raw file, each beside memcpy of the same number of bytes. The field picture's load
// also stands beside its floor: reading the file, and one memcpy of the picture it makes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/scripted_platform.h"
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
