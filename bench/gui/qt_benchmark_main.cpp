// The main of the window's benchmarks: the widgets need a QApplication before any is made.

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "platform/process_memory.h"

int main(int argc, char** argv) {
  // Offscreen unless a display is asked for.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  kestrel::KeepFreedPictureMemory();  // as the program does
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
