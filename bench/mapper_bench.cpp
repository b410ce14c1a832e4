// The agent's mapping costs time on every event of the mouse, between the
// kernel handing it over and the virtual device sending it on. Each
// iteration below is one event of a report (the report's end included):
//   BM_MotionEvent: REL_X, REL_Y, SYN_REPORT scaled by a 1500 DPI stage,
//     pointer speed 12 and acceleration 2.
//   BM_WheelEvent: REL_WHEEL, REL_WHEEL_HI_RES, SYN_REPORT at 4 lines.
//   BM_ButtonEvent: a button holding Ctrl+Shift+A, pressed and released.
//   BM_MacroTick: one Tick of a macro repeating while held (a key tapped).
//   BM_PassThroughFloor: the least any mapping does, copying the event out.
// The goal is under 1 us an event.
#include <benchmark/benchmark.h>
#include <linux/input-event-codes.h>

#include <array>
#include <cstdio>
#include <vector>

#include "agent/input_mapper.h"
#include "bench/ratio_report.h"
#include "settings/macro_model.h"
#include "settings/settings_block.h"

namespace {

using vantix::agent::InputEvent;
using vantix::agent::InputMapper;
using vantix::agent::MacroUpload;

constexpr double kGoalNs = 1000.0;

vantix::ProfileRecord BenchProfile() {
  vantix::SettingsBlock block;
  vantix::InitSettings(block);
  vantix::SettingsBlock live;
  vantix::ValidateSettings(block, live);
  vantix::ResetAllProfiles(live);
  vantix::ProfileRecord profile = live.Profiles[0];
  profile.Stages[1] = {1, 15, 15, 1};
  profile.DPI = 1;
  profile.MouseSensitivity = 12;
  profile.Acceleration = 2;
  profile.WheelScrollLines = 4;
  vantix::ButtonRecord& combination = profile.Buttons[3];
  combination.ButtonFunc = 7;
  combination.KeyNumber = 6;
  const std::array<std::uint8_t, 18> events = {0xE0, 5, 0x80, 0xE1, 5, 0x80, 0x04, 5, 0x80,
                                               0x04, 5, 0,    0xE1, 5, 0,    0xE0, 5, 0};
  std::copy(events.begin(), events.end(), combination.KeyEvents.begin());
  vantix::ButtonRecord& macro = profile.Buttons[4];
  macro.ButtonFunc = 11;
  macro.KeyNumber = 0;
  return profile;
}

std::vector<MacroUpload> BenchMacros() {
  MacroUpload upload;
  upload.slot = 0;
  upload.loop_type = vantix::kLoopSecondMode;
  const std::array<std::uint8_t, 6> events = {0x84, 0x04, 0, 0x04, 0x04, 0};
  std::copy(events.begin(), events.end(), upload.events.begin());
  return {upload};
}

// Feeds the events in turn, one an iteration.
void FeedCycle(benchmark::State& state, const std::vector<InputEvent>& cycle) {
  InputMapper mapper;
  const std::vector<MacroUpload> macros = BenchMacros();
  mapper.SetProfile(BenchProfile(), macros);
  std::vector<InputEvent> out;
  out.reserve(64);
  std::size_t next = 0;
  vantix::agent::Millis now = 0;
  for (auto _ : state) {
    out.clear();
    mapper.Feed(cycle[next], ++now, out);
    next = next + 1 == cycle.size() ? 0 : next + 1;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_MotionEvent(benchmark::State& state) {
  FeedCycle(state, {{EV_REL, REL_X, 7}, {EV_REL, REL_Y, -3}, {EV_SYN, SYN_REPORT, 0}});
}

void BM_WheelEvent(benchmark::State& state) {
  FeedCycle(state, {{EV_REL, REL_WHEEL, 1}, {EV_REL, REL_WHEEL_HI_RES, 120}, {EV_SYN, SYN_REPORT, 0}});
}

void BM_ButtonEvent(benchmark::State& state) {
  FeedCycle(state, {{EV_KEY, BTN_SIDE, 1}, {EV_SYN, SYN_REPORT, 0}, {EV_KEY, BTN_SIDE, 0},
                    {EV_SYN, SYN_REPORT, 0}});
}

void BM_MacroTick(benchmark::State& state) {
  InputMapper mapper;
  const std::vector<MacroUpload> macros = BenchMacros();
  mapper.SetProfile(BenchProfile(), macros);
  std::vector<InputEvent> out;
  out.reserve(64);
  vantix::agent::Millis now = 0;
  mapper.Feed({EV_KEY, BTN_EXTRA, 1}, now, out);
  for (auto _ : state) {
    out.clear();
    now = mapper.NextDeadline().value_or(now + 10);
    mapper.Tick(now, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_PassThroughFloor(benchmark::State& state) {
  const std::array<InputEvent, 3> cycle = {
      {{EV_REL, REL_X, 7}, {EV_REL, REL_Y, -3}, {EV_SYN, SYN_REPORT, 0}}};
  std::vector<InputEvent> out;
  out.reserve(64);
  std::size_t next = 0;
  for (auto _ : state) {
    out.clear();
    out.push_back(cycle[next]);
    next = next + 1 == cycle.size() ? 0 : next + 1;
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_MotionEvent)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_WheelEvent)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ButtonEvent)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_MacroTick)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PassThroughFloor)->Unit(benchmark::kNanosecond);

void PrintGoal(const vantix::bench::CapturingReporter& reporter, const char* name, const char* per) {
  const vantix::bench::Figures* figures = reporter.Get(name);
  if (figures == nullptr) return;
  std::printf("%s: %.1f ns %s (goal < %.0f ns)%s\n", name, figures->real_time, per, kGoalNs,
              figures->real_time < kGoalNs ? "" : " MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  vantix::bench::CapturingReporter* reporter = nullptr;
  if (!vantix::bench::RunBenchmarks(argc, argv, reporter)) return 1;
  for (const char* name : {"BM_MotionEvent", "BM_WheelEvent", "BM_ButtonEvent"}) {
    PrintGoal(*reporter, name, "an event");
  }
  PrintGoal(*reporter, "BM_MacroTick", "a tick");
  vantix::bench::PrintRatio(*reporter, "MotionEvent", "BM_MotionEvent", "BM_PassThroughFloor", 50.0, "ns");
  benchmark::Shutdown();
  return 0;
}
