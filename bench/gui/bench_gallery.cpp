// The gallery on an archive of 1,000 camera files (the demo files copied under new numbers),
// offscreen at 1280 x 800: how long until the pictures in sight have come and until all have,
// the longest time the window's thread went without turning its event loop meanwhile, and the
// process's peak resident memory.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "scratch_folder.h"
#include "gui/gallery_window.h"
#include "platform/scripted_platform.h"
#include "session/session.h"

namespace kestrel::gui {
namespace {

constexpr int kCopies = 27;  // about 1,000 entries once pairs and sets count once

const std::filesystem::path& Archive() {
  static const std::filesystem::path folder = [] {
    const auto path = bench::Scratch() / "archive";
    const std::string command = std::string(KESTREL_SAMPLES) + " " + path.string() +
                                " --copies " + std::to_string(kCopies) + " >/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "kestrel-samples failed\n");
    return path;
  }();
  return folder;
}

double PeakResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

bool FirstScreenDone(GalleryWindow& gallery) {
  const QRect sight = gallery.view().viewport()->rect();
  GalleryModel& model = gallery.model();
  for (int row = 0; row < model.rowCount(); ++row) {
    const QRect item = gallery.view().visualRect(model.index(row));
    if (item.top() > sight.bottom()) break;
    if (item.intersects(sight) && !model.HasThumbnail(model.EntryAt(row))) return false;
  }
  return model.rowCount() > 0;
}

void BM_GalleryOfAThousandFiles(benchmark::State& state) {
  const std::filesystem::path& archive = Archive();
  ScriptedPlatform platform;
  Session session(platform, archive);
  for (auto _ : state) {
    GalleryWindow gallery(session, nullptr);
    gallery.resize(1280, 800);
    gallery.show();
    QApplication::processEvents();

    double firstScreenMs = 0, allMs = 0, longestGapMs = 0;
    QElapsedTimer clock, sinceTurn;
    QEventLoop loop;
    QTimer turn;  // fires whenever the loop is free: the gaps between firings are the stalls
    QObject::connect(&turn, &QTimer::timeout, [&] {
      longestGapMs = std::max(longestGapMs, static_cast<double>(sinceTurn.nsecsElapsed()) / 1e6);
      sinceTurn.restart();
      if (firstScreenMs == 0 && FirstScreenDone(gallery)) firstScreenMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    });
    QObject::connect(&gallery, &GalleryWindow::thumbnailsFinished, [&] {
      allMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
      loop.quit();
    });
    clock.start();
    sinceTurn.start();
    gallery.ShowFolder(archive);
    turn.start(0);
    loop.exec();
    state.SetIterationTime(allMs / 1e3);
    state.counters["entries"] = static_cast<double>(gallery.model().entries().size());
    state.counters["first_screen_ms"] = firstScreenMs;
    state.counters["all_ms"] = allMs;
    state.counters["longest_stall_ms"] = longestGapMs;
  }
  state.counters["peak_rss_MB"] = PeakResidentMegabytes();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["page_faults"] = static_cast<double>(usage.ru_minflt);
}
BENCHMARK(BM_GalleryOfAThousandFiles)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrel::gui
