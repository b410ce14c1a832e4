// What a user waits for when the data folder holds five 60 MiB files of
// garbage where the profiles belong, against the same with good profiles,
// on Qt's offscreen platform with the skin of the build tree:
//   BM_OpenWindow/0 vs /1: the main window built, loaded and painted.
//   BM_Apply/0 vs /1: one Apply (the garbage is set aside, good files written).
// The garbage is never read beyond its size, so both pairs should be close.
#include <benchmark/benchmark.h>

#include <QPixmap>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/vantix_dlg.h"
#include "bench/offscreen_main.h"
#include "bench/ratio_report.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "settings/file_io.h"
#include "settings/profile_store.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kGarbageBytes = 60u * 1024 * 1024;

class NoLauncher final : public vantix::ProcessLauncher {
 public:
  bool StartDetached(const std::string&) override { return true; }
};

struct Workspace {
  vantix::bench::TempFolder folder;
  std::string data = folder.Path() + "/data/";
  std::string endpoints = folder.Path() + "/run";
  std::string garbage;
  vantix::MessageBus bus{endpoints};
  NoLauncher launcher;
  vantix::SettingsBlock live;

  Workspace() {
    fs::create_directories(data);
    std::mt19937 random(1);
    garbage.resize(kGarbageBytes);
    for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  }

  // Five good profiles, or five files of garbage; nothing set aside.
  void Prepare(bool damaged) {
    for (const auto& entry : fs::directory_iterator(data)) fs::remove_all(entry.path());
    if (damaged) {
      for (int i = 0; i < vantix::kProfileCount; ++i) {
        std::ofstream(vantix::ProfilePath(data, i), std::ios::binary) << garbage;
      }
    } else {
      vantix::SettingsBlock good;
      vantix::InitSettings(good);
      vantix::ResetAllProfiles(good);
      std::ignore = vantix::ProfileStore(data, good, vantix::SystemFileIo()).SaveProfiles();
    }
  }

  std::unique_ptr<vantix::CVantixDlg> Open() {
    const vantix::DlgContext context{{VANTIX_PROGRAM_DIR "/", data}, live, bus, launcher,
                                     vantix::WindowFileIo()};
    return std::make_unique<vantix::CVantixDlg>(context);
  }
};

Workspace& Files() {
  static Workspace workspace;
  return workspace;
}

void BM_OpenWindow(benchmark::State& state) {
  Workspace& files = Files();
  files.Prepare(state.range(0) != 0);
  for (auto _ : state) {
    const auto dlg = files.Open();
    benchmark::DoNotOptimize(dlg->grab());
  }
}

void BM_Apply(benchmark::State& state) {
  Workspace& files = Files();
  for (auto _ : state) {
    state.PauseTiming();
    files.Prepare(state.range(0) != 0);
    const auto dlg = files.Open();
    state.ResumeTiming();
    dlg->ApplySettings();
  }
  if (fs::file_size(vantix::ProfilePath(files.data, 0)) > vantix::kMaxDataFileBytes) {
    state.SkipWithError("the garbage was not replaced");
  }
}

BENCHMARK(BM_OpenWindow)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Apply)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return vantix::bench::RunOffscreen(argc, argv); }
