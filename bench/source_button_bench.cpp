// From a press of the served mouse's button to the repaint of its row: the
// agent's report (0x1521) posted over the bus to the window's endpoint, as
// the agent posts it, until the row's button has painted itself lit (and
// unlit for the release). Run it on the display the window would use, e.g.
// Xvfb:
//   DISPLAY=:77 build/app/source_button_bench
// Goal: under 20 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <filesystem>
#include <memory>
#include <string>

#include "app/vantix_dlg.h"
#include "bench/ratio_report.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "ui/bitmap_btn.h"

namespace {

class NoLauncher final : public vantix::ProcessLauncher {
 public:
  bool StartDetached(const std::string&) override { return true; }
};

// Counts the paints of one widget.
class PaintCounter final : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

void BM_PressToRowRepaint(benchmark::State& state) {
  vantix::bench::TempFolder folder;
  const std::string data = folder.Path() + "/data/";
  std::filesystem::create_directories(data);
  vantix::MessageBus bus(folder.Path() + "/run");
  NoLauncher launcher;
  vantix::SettingsBlock live;
  const vantix::DlgContext context{{VANTIX_PROGRAM_DIR "/", data}, live, bus, launcher,
                                   vantix::WindowFileIo()};
  vantix::CVantixDlg dlg(context);
  dlg.show();
  QElapsedTimer settle;
  settle.start();
  while (settle.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  vantix::CBitmapBtn* row = dlg.Controls().assign_buttons[6];
  PaintCounter counter;
  row->installEventFilter(&counter);
  bool pressed = false;
  for (auto _ : state) {
    pressed = !pressed;
    const int before = counter.paints;
    bus.PostMessage(vantix::kMainWindowTitle, vantix::WM_AGENT_SOURCE_BUTTON, 7, pressed ? 1 : 0);
    QElapsedTimer limit;
    limit.start();
    while (counter.paints == before && limit.elapsed() < 1000) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    if (counter.paints == before || row->Highlighted() != pressed) {
      state.SkipWithError("the row did not repaint");
      break;
    }
  }
}

BENCHMARK(BM_PressToRowRepaint)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
