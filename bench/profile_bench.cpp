// Saving and loading the five profile files, each against the least any
// implementation must spend on the same bytes:
//   BM_SaveProfiles vs BM_SaveFloor: ProfileStore::SaveProfiles of five full
//     profiles, durable, against writing the same five files' bytes with
//     open/write/fsync/close/rename.
//   BM_LoadProfiles vs BM_LoadFloor: InitSettings + ProfileStore::LoadProfiles
//     against reading the same five files with open/read/close.
// The ratios of the medians are printed after the run. The files go to a
// fresh folder under TMPDIR (or /tmp), which must be on a real disk for the
// fsync figures to mean anything.
#include <benchmark/benchmark.h>

#include "bench/ratio_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/profile_store.h"
#include "settings/settings_block.h"

namespace {

using vantix::kButtonCount;
using vantix::kProfileCount;

constexpr double kSaveGoal = 1.5;
constexpr double kLoadGoal = 5.0;
constexpr std::size_t kMacroNameLength = 20;

// Every field set, every button a macro with a 20-character name and 189
// non-zero event bytes: the largest files the program writes. The two
// variants differ in every file, so alternating them rewrites all five.
vantix::SettingsBlock FullBlock(int variant) {
  vantix::SettingsBlock block;
  vantix::InitSettings(block);
  vantix::ResetAllProfiles(block);
  block.CurrentProfile = variant;
  for (int p = 0; p < kProfileCount; ++p) {
    vantix::ProfileRecord& profile = block.Profiles[p];
    profile.Group = p == 0 ? 1 : 0;
    profile.MouseSensitivity = 10 + variant;
    profile.LedColor1 = 0x40 + p;
    for (int s = 0; s < vantix::kStageCount; ++s) {
      profile.Stages[s] = {1, vantix::kDefaultStageValue[s] + variant,
                           vantix::kDefaultStageValue[s] + variant, 1};
    }
    for (int b = 0; b < kButtonCount; ++b) {
      vantix::ButtonRecord& button = profile.Buttons[b];
      button.ButtonFunc = static_cast<std::uint8_t>(20 + b);
      button.LoopNumber = static_cast<std::uint8_t>(1 + variant);
      button.KeyNumber = static_cast<std::uint8_t>(vantix::kKeyEventBytes / 3);
      for (std::size_t i = 0; i < button.KeyEvents.size(); ++i) {
        button.KeyEvents[i] =
            static_cast<std::uint8_t>(1 + (i * 7 + b * 13 + p * 31 + variant * 17) % 255);
      }
      char name[kMacroNameLength + 8];
      std::snprintf(name, sizeof name, "Combo P%d B%02d set %c....", p + 1, b + 1, 'A' + variant);
      button.MacroName.fill(u'\0');
      for (std::size_t i = 0; i < kMacroNameLength; ++i) button.MacroName[i] = name[i];
    }
  }
  return block;
}

std::string ReadWhole(const std::string& path) {
  vantix::FileRead read = vantix::SystemFileIo().Read(path, vantix::kMaxIniFileBytes);
  if (read.state != vantix::FileRead::State::kOk) throw std::runtime_error("cannot read " + path);
  return std::move(read.bytes);
}

// The folders and file images shared by the benchmarks, made once.
struct Workspace {
  std::optional<vantix::bench::TempFolder> folder;
  std::string root;
  std::string save_dir;   // SaveProfiles writes here
  std::string floor_dir;  // the floor writes here
  std::string load_dir;   // the files both loads read
  std::array<vantix::SettingsBlock, 2> blocks;
  std::array<std::array<std::string, kProfileCount>, 2> images;  // [variant][file]
  std::string problem;    // set when the files are not what the benchmarks need

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
      std::filesystem::create_directory(dir);
    }

    blocks = {FullBlock(0), FullBlock(1)};
    // Capture what SaveProfiles writes for each variant, the second written
    // over the first as in the benchmark loop.
    for (int v = 0; v < 2; ++v) {
      const vantix::Status status =
          vantix::ProfileStore(load_dir, blocks[v], vantix::SystemFileIo()).SaveProfiles();
      if (!status.ok()) throw std::runtime_error(status.reason());
      for (int i = 0; i < kProfileCount; ++i) {
        images[v][i] = ReadWhole(vantix::ProfilePath(load_dir, i));
      }
    }
    const vantix::Status status =
        vantix::ProfileStore(load_dir, blocks[0], vantix::SystemFileIo()).SaveProfiles();
    if (!status.ok()) throw std::runtime_error(status.reason());
    for (int i = 0; i < kProfileCount; ++i) {
      if (ReadWhole(vantix::ProfilePath(load_dir, i)) != images[0][i]) {
        problem = "saving over a file gives other bytes than saving a new one";
      }
      if (images[0][i] == images[1][i]) problem = "the two variants write the same file";
    }
    // The load benchmark must do the whole job: a full round trip.
    vantix::SettingsBlock loaded;
    vantix::SettingsBlock live;
    vantix::InitSettings(loaded);
    vantix::ProfileStore(load_dir, live, vantix::SystemFileIo()).LoadProfiles(loaded);
    if (!(loaded == blocks[0])) problem = "the loaded profiles differ from the saved ones";
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

void BM_SaveProfiles(benchmark::State& state) {
  Workspace& files = Files();
  if (!UsableOrSkip(state)) return;
  const std::array<vantix::ProfileStore, 2> stores = {
      vantix::ProfileStore(files.save_dir, files.blocks[0], vantix::SystemFileIo()),
      vantix::ProfileStore(files.save_dir, files.blocks[1], vantix::SystemFileIo())};
  // Start from the other variant so that the first save rewrites every file.
  if (!stores[1].SaveProfiles().ok()) {
    state.SkipWithError("cannot write the profile files");
    return;
  }
  int variant = 0;
  for (auto _ : state) {
    const vantix::Status status = stores[variant].SaveProfiles();
    if (!status.ok()) {
      state.SkipWithError(status.reason().c_str());
      break;
    }
    variant ^= 1;
  }
}

bool WriteFile(const std::string& path, std::string_view bytes) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok && ::rename(temp.c_str(), path.c_str()) == 0;
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

// with_folder_sync: also flush the folder once after the five renames, as a
// durable save must; shown for reference, the goal is against the plain floor.
void SaveFloor(benchmark::State& state, bool with_folder_sync) {
  Workspace& files = Files();
  if (!UsableOrSkip(state)) return;
  std::array<std::string, kProfileCount> paths;
  for (int i = 0; i < kProfileCount; ++i) paths[i] = vantix::ProfilePath(files.floor_dir, i);
  int variant = 0;
  for (auto _ : state) {
    bool ok = true;
    for (int i = 0; i < kProfileCount; ++i) ok = WriteFile(paths[i], files.images[variant][i]) && ok;
    if (with_folder_sync) ok = SyncFolder(files.floor_dir) && ok;
    if (!ok) {
      state.SkipWithError("cannot write the floor files");
      break;
    }
    variant ^= 1;
  }
}

void BM_SaveFloor(benchmark::State& state) { SaveFloor(state, false); }
void BM_SaveFloorWithFolderSync(benchmark::State& state) { SaveFloor(state, true); }

void BM_LoadProfiles(benchmark::State& state) {
  Workspace& files = Files();
  if (!UsableOrSkip(state)) return;
  vantix::SettingsBlock live;
  const vantix::ProfileStore store(files.load_dir, live, vantix::SystemFileIo());
  vantix::SettingsBlock block;
  for (auto _ : state) {
    vantix::InitSettings(block);
    store.LoadProfiles(block);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
  }
}

void BM_LoadFloor(benchmark::State& state) {
  Workspace& files = Files();
  if (!UsableOrSkip(state)) return;
  std::array<std::string, kProfileCount> paths;
  std::array<std::string, kProfileCount> buffers;
  for (int i = 0; i < kProfileCount; ++i) {
    paths[i] = vantix::ProfilePath(files.load_dir, i);
    buffers[i].resize(files.images[0][i].size() + 4096);
  }
  for (auto _ : state) {
    for (int i = 0; i < kProfileCount; ++i) {
      const int fd = ::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) {
        state.SkipWithError("cannot open the profile files");
        return;
      }
      std::size_t got = 0;
      for (ssize_t n; (n = ::read(fd, buffers[i].data() + got, buffers[i].size() - got)) > 0;) {
        got += static_cast<std::size_t>(n);
      }
      ::close(fd);
      benchmark::DoNotOptimize(buffers[i].data());
      benchmark::DoNotOptimize(got);
    }
    benchmark::ClobberMemory();
  }
}

// Real time throughout: the saves wait on the disk, not on the processor.
BENCHMARK(BM_SaveProfiles)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveFloor)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveFloorWithFolderSync)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadProfiles)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadFloor)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  vantix::bench::CapturingReporter* reporter_ptr = nullptr;
  if (!vantix::bench::RunBenchmarks(argc, argv, reporter_ptr)) return 1;
  const vantix::bench::CapturingReporter& reporter = *reporter_ptr;

  std::printf("\nprofile files of %zu bytes\n", Files().images[0][0].size());
  vantix::bench::PrintRatio(reporter, "save", "BM_SaveProfiles", "BM_SaveFloor", kSaveGoal, "us");
  vantix::bench::PrintRatio(reporter, "load", "BM_LoadProfiles", "BM_LoadFloor", kLoadGoal, "us");
  const auto* synced = reporter.Get("BM_SaveFloorWithFolderSync");
  const auto* saved = reporter.Get("BM_SaveProfiles");
  if (synced != nullptr && saved != nullptr && synced->real_time > 0) {
    std::printf("(for reference: against the floor with one folder flush, save ratio %.2f)\n",
                saved->real_time / synced->real_time);
  }
  benchmark::Shutdown();
  return 0;
}
