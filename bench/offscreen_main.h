// The main of a benchmark of widgets: Qt's offscreen platform, then the
// benchmarks given on the command line.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

namespace vantix::bench {

inline int RunOffscreen(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace vantix::bench
