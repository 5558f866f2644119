// NearestBuiltInPlace beside measuring every built-in place one by one (NearestPlace over the
// same list written as a places file), both over the same points spread evenly over the globe.
// The goal is well under a millisecond a call.

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "base/block.h"
#include "location/builtin_places.h"

namespace {

std::vector<std::pair<double, double>> EvenlySpreadPoints() {
  std::vector<std::pair<double, double>> points;
  uint32_t seed = 1;
  const auto uniform = [&seed] { return (seed = seed * 1664525u + 1013904223u) / 4294967296.0; };
  for (int i = 0; i < 4096; ++i) {
    const double latitude = std::asin(2 * uniform() - 1) * 180 / std::numbers::pi;
    points.emplace_back(latitude, 360 * uniform() - 180);
  }
  return points;
}

template <typename Search>
void EachPoint(benchmark::State& state, Search search) {
  const auto points = EvenlySpreadPoints();
  size_t next = 0;
  for (auto _ : state) {
    const auto& [latitude, longitude] = points[next++ % points.size()];
    benchmark::DoNotOptimize(search(latitude, longitude));
  }
}

void NearestBuiltInPlace(benchmark::State& state) {
  kestrel::BuiltInPlaceCount();  // decoded and indexed before the clock starts
  EachPoint(state, kestrel::NearestBuiltInPlace);
}

void MeasureEveryPlace(benchmark::State& state) {
  kestrel::Bytes file;
  for (const kestrel::BuiltInPlace& place : kestrel::BuiltInPlaces()) {
    const auto record = kestrel::EncodePlace(place.name, place.latitude, place.longitude);
    file.insert(file.end(), record.begin(), record.end());
  }
  EachPoint(state, [&file](double latitude, double longitude) {
    return kestrel::NearestPlace(file, latitude, longitude);
  });
}

BENCHMARK(NearestBuiltInPlace)->Unit(benchmark::kMicrosecond);
BENCHMARK(MeasureEveryPlace)->Unit(benchmark::kMicrosecond);

}  // namespace
