// What fitting costs per paint: a caption that fits at once, one that
// shrinks a few sizes, one that is cut at the smallest size, and a label
// painted whole.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include "ui/skin.h"
#include "ui/static_trans.h"
#include "ui/text_fit.h"

namespace vantix {
namespace {

void FitCase(benchmark::State& state, const QString& text, int width) {
  const QFont font = SkinFont(15, 700);
  for (auto _ : state) benchmark::DoNotOptimize(FitLine(font, text, width));
}

void BM_FitLineFits(benchmark::State& state) { FitCase(state, QStringLiteral("Apply"), 102); }
void BM_FitLineShrinks(benchmark::State& state) {
  FitCase(state, QStringLiteral("Profil zur\u00fccksetzen"), 102);
}
void BM_FitLineCuts(benchmark::State& state) {
  FitCase(state, QStringLiteral("LUmschalt + LStrg + LWin + LAlt + Bild nach unten"), 150);
}

void BM_PaintShrunkLabel(benchmark::State& state) {
  QWidget window;
  auto* label = new CStaticTrans(&window, QStringLiteral("15000"), kLabelStyle | SS_SIMPLE,
                                 QRect(0, 0, 33, 13));
  label->SetFontHeight(13);
  QImage canvas(33, 13, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    label->render(&canvas);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_FitLineFits)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FitLineShrinks)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FitLineCuts)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintShrunkLabel)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantix

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
