// What a user waits for in the macro editor, on Qt's offscreen platform with
// the skin of the build tree and fifteen full macros on disk:
//   BM_OpenEditor: from the click to a painted editor (the window, every
//     control, the name list, the first macro loaded and listed).
//   BM_SelectMacro: a click on another name: its file read, its 63 events
//     listed, the list painted.
#include <benchmark/benchmark.h>

#include <QPixmap>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "bench/offscreen_main.h"
#include "bench/ratio_report.h"
#include "devicelink/agent_channel.h"
#include "macro/editor/list_box_ex.h"
#include "macro/editor/macro_dlg.h"
#include "macro/macro_files.h"
#include "settings/settings_block.h"
#include "ui/skin.h"

namespace {

using vantix::MacroEvent;

class NoAgent final : public vantix::AgentChannel {
 public:
  bool FindAgent() override { return false; }
  vantix::SendOutcome SendToAgent(std::uint32_t, std::int64_t, std::int64_t) override {
    return {};  // absent
  }
};

struct Workspace {
  vantix::bench::TempFolder folder;
  std::string data;  // ends with '/'
  vantix::SettingsBlock settings;

  Workspace() {
    data = folder.Path() + "/";
    std::filesystem::create_directories(data + "MacroDB");
    vantix::InitSettings(settings);
    vantix::ResetAllProfiles(settings);
    vantix::MacroFiles files(data, vantix::SystemFileIo());
    for (int m = 0; m < vantix::kMacroSlotCount; ++m) {
      vantix::MacroData macro;
      if (!files.CreateMacro("Macro " + std::to_string(m + 1), macro).ok()) {
        throw std::runtime_error("cannot create the macros");
      }
      for (int i = 0; i < vantix::kMacroEventCapacity; ++i) {
        const auto usage = static_cast<std::uint8_t>(4 + (i / 3 + m) % 26);
        macro.events[i] = i % 3 == 0 ? MacroEvent::Delay(static_cast<std::uint16_t>(5 + i))
                                     : MacroEvent::Key(usage, i % 3 == 1);
      }
      macro.count = vantix::kMacroEventCapacity;
      macro.DelayType = 0;
      if (!files.SaveMacro(macro).ok()) throw std::runtime_error("cannot save the macros");
    }
  }
};

Workspace& Files() {
  static Workspace workspace;
  return workspace;
}

const vantix::Skin& SkinFiles() {
  static const vantix::Skin skin(VANTIX_PROGRAM_DIR "/");
  return skin;
}

void BM_OpenEditor(benchmark::State& state) {
  NoAgent agent;
  const vantix::MacroEditorContext context{SkinFiles(), Files().data, agent, Files().settings,
                                           vantix::SystemFileIo(), nullptr, {}};
  for (auto _ : state) {
    vantix::CMacroDlg dlg(nullptr, context);
    benchmark::DoNotOptimize(dlg.grab());
  }
}

void BM_SelectMacro(benchmark::State& state) {
  NoAgent agent;
  const vantix::MacroEditorContext context{SkinFiles(), Files().data, agent, Files().settings,
                                           vantix::SystemFileIo(), nullptr, {}};
  vantix::CMacroDlg dlg(nullptr, context);
  vantix::CListBoxEx& names = *dlg.Controls().names;
  vantix::CListBoxEx& events = *dlg.Controls().events;
  int row = 0;
  for (auto _ : state) {
    row = (row + 1) % names.GetCount();
    names.SetCurSel(row);
    dlg.LoadSelected();
    benchmark::DoNotOptimize(events.grab());
  }
  if (dlg.Macro().count != vantix::kMacroEventCapacity) state.SkipWithError("macro not loaded");
}

BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectMacro)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return vantix::bench::RunOffscreen(argc, argv); }
