// PropagateSgp4 at one time a minute over a day, for a set with the full drag terms and for
// one with a perigee low enough for the simplified ones, beside a plain loop over the same
// times (the floor). The goal: more than two million positions a second on one core.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "location/sgp4.h"
#include "location/two_line_elements.h"

namespace {

constexpr int kTimes = 1440;

// From the verification set: Delta 1 debris with a 377 km perigee, SL-12 debris with 212 km.
constexpr const char* kSets =
    "1 06251U 62025E   06176.82412014  .00008885  00000-0  12808-3 0  3985\n"
    "2 06251  58.0579  54.0425 0030035 139.1568 221.1854 15.56387291  6774\n"
    "1 29238U 06022G   06177.28732010  .00766286  10823-4  13334-2 0   101\n"
    "2 29238  51.5595 213.7903 0202579  95.2503 267.9010 15.73823839  1061\n";

kestrel::Sgp4Model Model(size_t index) {
  const auto text = kestrel::ParseTwoLineElements(kSets);
  const kestrel::Sgp4Start start = kestrel::InitialiseSgp4(text.sets.at(index));
  if (start.error != kestrel::Sgp4Error::None) std::abort();
  return start.model;
}

void BM_PropagateSgp4(benchmark::State& state) {
  const kestrel::Sgp4Model model = Model(static_cast<size_t>(state.range(0)));
  for (auto _ : state)
    for (int minute = 0; minute < kTimes; ++minute) {
      kestrel::TemeState position = kestrel::PropagateSgp4(model, minute);
      benchmark::DoNotOptimize(position);
    }
  state.SetItemsProcessed(state.iterations() * kTimes);
  state.SetLabel(model.simplifiedDrag ? "simplified drag" : "full drag");
}

void BM_PlainLoopOfTheSameTimes(benchmark::State& state) {
  for (auto _ : state)
    for (int minute = 0; minute < kTimes; ++minute) {
      double time = minute;
      benchmark::DoNotOptimize(time);
    }
  state.SetItemsProcessed(state.iterations() * kTimes);
}

}  // namespace

BENCHMARK(BM_PropagateSgp4)->Arg(0)->Arg(1);
BENCHMARK(BM_PlainLoopOfTheSameTimes);
