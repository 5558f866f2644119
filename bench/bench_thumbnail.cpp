// A thumbnail of a 1020 x 1020 picture, as `kestrel-cli thumbnail` makes it (the open flow,
// the scaling and the PNG), beside the open flow alone for the same file: a TMSAT-1 plane with
// its two siblings (opened as their colour set), the same plane alone, and a SPECIAL picture.
// Compare the times of each pair.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bitmap/png_file.h"
#include "platform/files.h"
#include "platform/scripted_platform.h"
#include "scratch_folder.h"
#include "session/session.h"
#include "shell/file_thumbnail.h"
#include "shell/open_file.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr size_t kSide = 1020;

// A smooth scene with a grey level of noise, like a camera picture; `seed` varies the planes.
Bytes Scene(uint32_t seed) {
  Bytes bytes(kSide * kSide);
  for (size_t i = 0; i < bytes.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(60 + (i / kSide + i % kSide) / 16 + (seed >> 30));
  }
  return bytes;
}

// The folder of one case, written once: "set" holds the three planes, "plane" one of them
// alone, "special" a SPECIAL picture.
fs::path Folder(const std::string& kind) {
  const fs::path folder = bench::Scratch() / kind;
  if (fs::exists(folder)) return folder;
  fs::create_directories(folder);
  if (kind == "special") {
    WriteFileReplacing(folder / "SPECIAL1", Scene(7));
    return folder;
  }
  for (uint32_t plane = 1; plane <= (kind == "set" ? 3u : 1u); ++plane)
    WriteFileReplacing(folder / ("TM" + std::to_string(plane) + "00200.IMI"), Scene(plane));
  return folder;
}

std::string FileOf(const std::string& kind) { return kind == "special" ? "SPECIAL1" : "TM100200.IMI"; }

void Open(benchmark::State& state, const std::string& kind) {
  const fs::path file = Folder(kind) / FileOf(kind);
  ScriptedPlatform platform;
  for (auto _ : state) {
    Session session(platform, file.parent_path());
    benchmark::DoNotOptimize(OpenFromOutside(session, file, true));
  }
}

void Thumbnail(benchmark::State& state, const std::string& kind) {
  const fs::path file = Folder(kind) / FileOf(kind);
  ScriptedPlatform platform;
  for (auto _ : state) {
    Session session(platform, file.parent_path());
    const std::optional<Bytes> thumbnail = ThumbnailOfFile(session, file, 256);
    benchmark::DoNotOptimize(EncodePng(*thumbnail, PngPacking::Fastest));
  }
}

BENCHMARK_CAPTURE(Open, colour_set, std::string("set"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Thumbnail, colour_set, std::string("set"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, plane_alone, std::string("plane"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Thumbnail, plane_alone, std::string("plane"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, special, std::string("special"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Thumbnail, special, std::string("special"))->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
