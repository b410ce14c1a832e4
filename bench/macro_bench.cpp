// The macro editor writes the macro file at every edit and reads it at every
// click on a name, so both are measured against the least any
// implementation must spend on the same bytes:
//   BM_SaveMacro vs BM_SaveMacroFloor: MacroFiles::SaveMacro of a full macro
//     (63 events), durable, against writing the same bytes with
//     open/write/fsync/close/rename and one fsync of the folder.
//   BM_LoadMacro vs BM_LoadMacroFloor: MacroFiles::LoadMacro against reading
//     the same file with open/read/close.
//   BM_RecordFullMacro: a recording from the first key report to a full
//     macro (31 strokes with measured delays), for reference.
// The files go to a fresh folder under TMPDIR (or /tmp), which must be on a
// real disk for the fsync figures to mean anything.
#include <benchmark/benchmark.h>

#include "bench/ratio_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "macro/macro_files.h"
#include "macro/macro_recorder.h"
#include "settings/file_io.h"
#include "settings/macro_model.h"

namespace {

constexpr double kSaveGoal = 1.5;
constexpr double kLoadGoal = 5.0;

// A full macro: delays between key strokes; the two variants differ in
// every delay so that alternating them rewrites the file.
vantix::MacroData FullMacro(int variant) {
  vantix::MacroData macro;
  macro.name = "Bench macro 20 units";
  macro.LoopTime = 3 + variant;
  macro.LoopType = 0;
  macro.DelayType = 0;
  for (int i = 0; i < vantix::kMacroEventCapacity; ++i) {
    const auto usage = static_cast<std::uint8_t>(4 + (i / 3) % 26);
    switch (i % 3) {
      case 0: macro.events[i] = vantix::MacroEvent::Delay(static_cast<std::uint16_t>(12 + i + variant)); break;
      case 1: macro.events[i] = vantix::MacroEvent::Key(usage, true); break;
      default: macro.events[i] = vantix::MacroEvent::Key(usage, false); break;
    }
  }
  macro.count = vantix::kMacroEventCapacity;
  return macro;
}

std::string ReadWhole(const std::string& path) {
  vantix::FileRead read = vantix::SystemFileIo().Read(path, 1 << 20);
  if (read.state != vantix::FileRead::State::kOk) throw std::runtime_error("cannot read " + path);
  return std::move(read.bytes);
}

struct Workspace {
  std::optional<vantix::bench::TempFolder> folder;
  std::string root;
  std::string save_dir, floor_dir, load_dir;  // each ends with '/'
  std::array<vantix::MacroData, 2> macros;
  std::array<std::string, 2> images;  // the file bytes of each variant
  std::string problem;

  Workspace() {
    try {
      Make();
    } catch (const std::exception& e) {
      problem = e.what();
    }
  }

 private:
  void Make() {
    folder.emplace();
    root = folder->Path();
    save_dir = root + "/save/";
    floor_dir = root + "/floor/";
    load_dir = root + "/load/";
    for (const std::string& dir : {save_dir, floor_dir, load_dir}) {
      std::filesystem::create_directories(dir + "MacroDB");
    }
    macros = {FullMacro(0), FullMacro(1)};
    vantix::MacroFiles files(load_dir, vantix::SystemFileIo());
    for (int v = 0; v < 2; ++v) {
      if (!files.SaveMacro(macros[v]).ok()) throw std::runtime_error("cannot save the macro");
      images[v] = ReadWhole(*files.MacroFilePath(macros[v].name));
    }
    if (images[0] == images[1]) problem = "the two variants write the same file";
    if (!files.SaveMacro(macros[0]).ok()) throw std::runtime_error("cannot save the macro");
    vantix::MacroData loaded;
    files.LoadMacro(macros[0].name, loaded);
    if (!(loaded == macros[0])) problem = "the loaded macro differs from the saved one";
  }
};

Workspace& Files() {
  static Workspace workspace;
  return workspace;
}

bool UsableOrSkip(benchmark::State& state) {
  if (Files().problem.empty()) return true;
  state.SkipWithError(Files().problem.c_str());
  return false;
}

void BM_SaveMacro(benchmark::State& state) {
  Workspace& ws = Files();
  if (!UsableOrSkip(state)) return;
  vantix::MacroFiles files(ws.save_dir, vantix::SystemFileIo());
  int variant = 1;
  for (auto _ : state) {
    if (!files.SaveMacro(ws.macros[variant]).ok()) {
      state.SkipWithError("cannot save the macro");
      break;
    }
    variant ^= 1;
  }
}

bool WriteDurably(const std::string& path, std::string_view bytes, const std::string& folder) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  ok = ::fsync(dir) == 0 && ok;
  return ::close(dir) == 0 && ok;
}

void BM_SaveMacroFloor(benchmark::State& state) {
  Workspace& ws = Files();
  if (!UsableOrSkip(state)) return;
  const std::string folder = ws.floor_dir + "MacroDB/";
  const std::string path = folder + ws.macros[0].name + ".MSMACRO";
  int variant = 1;
  for (auto _ : state) {
    if (!WriteDurably(path, ws.images[variant], folder)) {
      state.SkipWithError("cannot write the floor file");
      break;
    }
    variant ^= 1;
  }
}

void BM_LoadMacro(benchmark::State& state) {
  Workspace& ws = Files();
  if (!UsableOrSkip(state)) return;
  const vantix::MacroFiles files(ws.load_dir, vantix::SystemFileIo());
  vantix::MacroData macro;
  for (auto _ : state) {
    files.LoadMacro(ws.macros[0].name, macro);
    benchmark::DoNotOptimize(macro);
    benchmark::ClobberMemory();
  }
}

void BM_LoadMacroFloor(benchmark::State& state) {
  Workspace& ws = Files();
  if (!UsableOrSkip(state)) return;
  const std::string path = ws.load_dir + "MacroDB/" + ws.macros[0].name + ".MSMACRO";
  std::string buffer(ws.images[0].size() + 4096, '\0');
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      state.SkipWithError("cannot open the macro file");
      return;
    }
    benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
    ::close(fd);
    benchmark::ClobberMemory();
  }
}

void BM_RecordFullMacro(benchmark::State& state) {
  std::uint32_t tick = 1000;
  vantix::MacroRecorder recorder([&tick] { return tick; });
  vantix::MacroData macro;
  macro.DelayType = 0;
  std::int64_t strokes = 0;
  for (auto _ : state) {
    recorder.ForgetLastTick();
    recorder.Start(macro, false);
    for (int key = 0; macro.count < vantix::kRecordingRoom; key = (key + 1) % 26) {
      const std::int64_t code = 16 + key;  // Q.. row and beyond: named keys
      tick += 37;
      recorder.OnHookKey(macro, code, 0, -1, "");
      tick += 55;
      recorder.OnHookKey(macro, code, 0x80, -1, "");
      ++strokes;
    }
    recorder.Stop();
    benchmark::DoNotOptimize(macro);
  }
  state.counters["strokes"] = benchmark::Counter(static_cast<double>(strokes), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SaveMacro)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_SaveMacroFloor)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LoadMacro)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadMacroFloor)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordFullMacro)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  vantix::bench::CapturingReporter* reporter = nullptr;
  if (!vantix::bench::RunBenchmarks(argc, argv, reporter)) return 1;
  vantix::bench::PrintRatio(*reporter, "SaveMacro", "BM_SaveMacro", "BM_SaveMacroFloor", kSaveGoal, "us");
  vantix::bench::PrintRatio(*reporter, "LoadMacro", "BM_LoadMacro", "BM_LoadMacroFloor", kLoadGoal, "us");
  benchmark::Shutdown();
  return 0;
}
