// The map's scene at 1920 x 1080: at a new zoom, which projects the land afresh, and after a
// pan, which only moves over the land already projected.

#include <benchmark/benchmark.h>

#include "geo/world_map.h"
#include "map_content.h"

namespace kestrel {
namespace {

const MapView kZoomedView{.centreLongitude = 179.5,
                          .centreLatitude = -10,
                          .pixelsPerDegree = 30,
                          .width = 1920,
                          .height = 1080};

void BM_SceneAtNewZoom(benchmark::State& state) {
  const MapContent content = bench::PacificPass();
  LandProjectionCache cache;
  MapView view = kZoomedView;
  for (auto _ : state) {
    view.pixelsPerDegree = view.pixelsPerDegree == 30 ? 31 : 30;
    benchmark::DoNotOptimize(BuildMapScene(view, content, cache));
  }
}
BENCHMARK(BM_SceneAtNewZoom)->Unit(benchmark::kMillisecond);

void BM_SceneAfterPan(benchmark::State& state) {
  const MapContent content = bench::PacificPass();
  LandProjectionCache cache;
  MapView view = kZoomedView;
  for (auto _ : state) {
    view = PanByPixels(view, 7, 3);
    benchmark::DoNotOptimize(BuildMapScene(view, content, cache));
  }
}
BENCHMARK(BM_SceneAfterPan)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel
