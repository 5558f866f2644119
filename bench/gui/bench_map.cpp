// The map window's paint, offscreen at 1920 x 1080: the whole world, a zoomed view of a
// footprint and its track, and a zoom step with its paint, beside a plain fill of the same
// picture. Goal: a paint within a 60 Hz frame (16 ms) on one core.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <cstdlib>

#include "gui/map_view.h"
#include "map_content.h"

namespace kestrel {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void PaintWidget(benchmark::State& state, bool zoomed) {
  gui::MapWidget widget;
  widget.resize(kWidth, kHeight);
  // Home: the whole world without a footprint, the footprint when there is one.
  widget.setContent(zoomed ? bench::PacificPass() : MapContent{});
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    widget.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["land points"] = static_cast<double>(widget.scene().land->points.size());
}

void BM_PaintWorldMap(benchmark::State& state) { PaintWidget(state, false); }
BENCHMARK(BM_PaintWorldMap)->Unit(benchmark::kMillisecond);

void BM_PaintZoomedMap(benchmark::State& state) { PaintWidget(state, true); }
BENCHMARK(BM_PaintZoomedMap)->Unit(benchmark::kMillisecond);

// A zoom step as the +/- keys make it: the land projected and made into paths afresh, then
// painted.
void BM_ZoomStepAndPaint(benchmark::State& state) {
  gui::MapWidget widget;
  widget.resize(kWidth, kHeight);
  widget.setContent(bench::PacificPass());
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QKeyEvent zoomIn(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, "+");
  QKeyEvent zoomOut(QEvent::KeyPress, Qt::Key_Minus, Qt::NoModifier, "-");
  bool in = true;
  for (auto _ : state) {
    QCoreApplication::sendEvent(&widget, in ? &zoomIn : &zoomOut);
    in = !in;
    widget.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ZoomStepAndPaint)->Unit(benchmark::kMillisecond);

void BM_FillOfSamePicture(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  uint32_t colour = 0;
  for (auto _ : state) {
    image.fill(colour++);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_FillOfSamePicture)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel
