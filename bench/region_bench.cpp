// The main window's outline: building its region against the floor of one
// pass over its pixels.
//
//   region_bench [--outline=PATH] [benchmark options]
//
// PATH defaults to the skin of the build's program folder; without it the
// outline is synthesized at the main window's size.
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ui/region_from_bitmap.h"
#include "ui/skin.h"

namespace {

constexpr int kMainWidth = 1028;
constexpr int kMainHeight = 712;

// Rounded corners, two notches in the edges and a few holes: the shape of a
// skinned window.
QImage SynthesizedOutline() {
  QImage image(kMainWidth, kMainHeight, QImage::Format_RGB32);
  image.fill(qRgb(40, 40, 44));
  constexpr int r = 24;
  for (int y = 0; y < kMainHeight; ++y) {
    for (int x = 0; x < kMainWidth; ++x) {
      const int cx = x < r ? r - x : (x >= kMainWidth - r ? x - (kMainWidth - r - 1) : 0);
      const int cy = y < r ? r - y : (y >= kMainHeight - r ? y - (kMainHeight - r - 1) : 0);
      const bool corner = cx * cx + cy * cy > r * r;
      const bool notch = (y < 60 && x > 330 && x < 940) || (x < 12 && y > 200 && y < 500);
      const bool hole = (x % 97 == 50 && y % 89 == 40);
      if (corner || notch || hole) image.setPixel(x, y, qRgb(255, 255, 255));
    }
  }
  return image;
}

QImage g_outline;
std::string g_source;

vantix::BitmapView View() {
  return {reinterpret_cast<const std::uint32_t*>(g_outline.constBits()), g_outline.width(),
          g_outline.height(), static_cast<std::ptrdiff_t>(g_outline.bytesPerLine() / 4)};
}

void BM_RegionFromBitmap(benchmark::State& state) {
  const vantix::BitmapView view = View();
  std::size_t rects = 0;
  for (auto _ : state) {
    auto region = vantix::RegionFromBitmap(view);
    rects = region->RectCount();
    benchmark::DoNotOptimize(region);
  }
  state.counters["rects"] = static_cast<double>(rects);
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(view.width) * view.height, benchmark::Counter::kIsIterationInvariantRate);
  state.SetLabel(g_source);
}
BENCHMARK(BM_RegionFromBitmap)->Unit(benchmark::kMicrosecond);

// What a window does with its outline: the region as Qt takes it for a mask.
void BM_WindowRegion(benchmark::State& state) {
  for (auto _ : state) {
    auto region = vantix::RegionFromBitmap(g_outline);
    benchmark::DoNotOptimize(region);
  }
}
BENCHMARK(BM_WindowRegion)->Unit(benchmark::kMicrosecond);

// The least any algorithm must do: look at every pixel once.
void BM_OnePassOverPixels(benchmark::State& state) {
  const vantix::BitmapView view = View();
  for (auto _ : state) {
    std::size_t opaque = 0;
    for (std::int32_t y = 0; y < view.height; ++y) {
      const std::uint32_t* row = view.pixels + y * view.pitch;
      for (std::int32_t x = 0; x < view.width; ++x) opaque += (row[x] & 0xFFFFFFu) != 0xFFFFFFu;
    }
    benchmark::DoNotOptimize(opaque);
  }
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(view.width) * view.height, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OnePassOverPixels)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  std::string path = std::string(VANTIX_PROGRAM_DIR) + "images/0409/background/cfgMainback.bmp";
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--outline=", 10) == 0) {
      path = argv[i] + 10;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  g_outline = QImage(QString::fromStdString(path));
  g_source = path;
  if (g_outline.isNull()) {
    g_outline = SynthesizedOutline();
    g_source = "synthesized 1028x712";
  }
  g_outline = g_outline.convertToFormat(QImage::Format_RGB32);
  std::fprintf(stderr, "outline: %s (%dx%d)\n", g_source.c_str(), g_outline.width(),
               g_outline.height());

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
