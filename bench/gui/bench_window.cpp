// The window at work, offscreen: from nothing to the first painted picture of a camera file, an
// exposure change repainted from the colour table alone, each beside memcpy of the picture, and
// the whole picture area repainted at a zoom.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPaintEvent>
#include <cstdlib>
#include <cstring>

#include "scratch_folder.h"
#include "gui/main_window.h"
#include "gui/picture_view.h"
#include "platform/files.h"
#include "processing/image_dialogs.h"
#include "session/view_zoom.h"

namespace kestrel {
namespace {

constexpr size_t kPictureBytes = 612 * 576;

// A KITSAT-1 wide-angle field file with a smooth scene and no capture time (no report box).
const std::filesystem::path& CameraFile() {
  static bench::ScratchFolder folder;
  static const std::filesystem::path file = [] {
    Bytes bytes(256 + 611 * 576);
    for (size_t i = 256; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(60 + i / 611 % 120 + i % 611 / 9);
    const auto path = folder.path() / "KAIW0002";
    WriteFileReplacing(path, bytes);
    return path;
  }();
  return file;
}

// Counts the paints of the picture area.
class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// The window from nothing until the camera file's picture is first painted.
struct WindowOnScreen {
  gui::MainWindow window{CameraFile().parent_path()};
  PaintCounter counter;
  WindowOnScreen() {
    window.view().viewport()->installEventFilter(&counter);
    window.show();
    window.OpenFile(CameraFile());
    while (counter.paints == 0) QCoreApplication::processEvents();
  }
};

void BM_WindowToFirstPaint(benchmark::State& state) {
  for (auto _ : state) WindowOnScreen shown;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_WindowToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ExposureRepaint(benchmark::State& state) {
  WindowOnScreen shown;
  auto& [window, counter] = shown;
  OpenExposureDialog(window.session(), window.session().state.exposureLevel);
  const uint8_t* pixels = window.view().Image().constBits();
  int thumb = 0;
  for (auto _ : state) {
    ScrollExposureDialog(window.session(), ExposureScroll::Thumb, 64 + (thumb++ & 127));
    window.view().viewport()->repaint();
  }
  // Every change was painted, from the very pixels first wrapped: nothing was copied.
  if (counter.paints <= static_cast<int>(state.iterations())) state.SkipWithError("not every change was painted");
  if (window.view().Image().constBits() != pixels) state.SkipWithError("the pixels were copied");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_ExposureRepaint)->Unit(benchmark::kMicrosecond);

// The argument is the zoom in percent: smoothed below 100%, blocks above.
void BM_ZoomedRepaint(benchmark::State& state) {
  WindowOnScreen shown;
  auto& [window, counter] = shown;
  SetZoom(window.session(), static_cast<int>(state.range(0)));
  QCoreApplication::processEvents();
  const int before = counter.paints;
  for (auto _ : state) window.view().viewport()->repaint();
  if (counter.paints - before < static_cast<int>(state.iterations())) state.SkipWithError("not every repaint was painted");
  const QSize area = window.view().viewport()->size();
  state.counters["pixels"] = static_cast<double>(area.width() * area.height());
}
BENCHMARK(BM_ZoomedRepaint)->Arg(50)->Arg(100)->Arg(300)->Unit(benchmark::kMicrosecond);

void BM_MemcpyOfPicture(benchmark::State& state) {
  Bytes from(kPictureBytes, 7), to(kPictureBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}
BENCHMARK(BM_MemcpyOfPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrel
