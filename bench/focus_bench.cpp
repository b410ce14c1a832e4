// The profile that follows the program in front: the time from a focus
// change (the window manager's answer to an activation, as a task bar asks
// for it) to the agent's kind 9 for the new profile, over 200 switches on
// an X desktop of its own (Xvfb, openbox); and the idle agent's wake-ups.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "devicelink/program_rules.h"
#include "tests/agent_process.h"
#include "tests/focus_desktop.h"
#include "tests/test_support.h"

namespace {

using namespace vantix;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;


// The desktop, two programs with rules for profiles 4 and 2, and the agent.
struct Session {
  test::ScratchDir scratch;
  test::FocusDesktop desktop{FOCUS_CLIENT_PATH};
  std::string folder = scratch / "run/corvane-gaming-mouse";
  std::unique_ptr<test::MainWindow> window;
  xcb_window_t windows[2] = {};
  pid_t agent = -1;

  bool Start(benchmark::State& state) {
    if (!desktop.error().empty()) {
      state.SkipWithError(desktop.error().c_str());
      return false;
    }
    ::mkdir((scratch / "run").c_str(), 0700);
    window = std::make_unique<test::MainWindow>(folder);
    windows[0] = desktop.Open("GameOne");
    windows[1] = desktop.Open("EditorTwo");
    const std::string rules = scratch / ".config/vantix/programs.ini";
    if (!SetProgramRule(rules, "GameOne", 4, SystemFileIo()).ok() ||
        !SetProgramRule(rules, "EditorTwo", 2, SystemFileIo()).ok()) {
      state.SkipWithError("cannot write the rules");
      return false;
    }
    agent = test::Spawn({HID_PATH, "--backend=simulated"},
                        {{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", scratch / "run"},
                         {"DISPLAY", desktop.display()}, {"WAYLAND_DISPLAY", ""}},
                        scratch / "hid.out", "/dev/null");
    if (!test::WaitFor([&] { return MessageBus(folder).FindWindow(kAgentWindowTitle); }, 5s, "the agent")) {
      state.SkipWithError("the agent did not start");
      return false;
    }
    return true;
  }
  // Brings window i to the front; whether the window heard profile index
  // expected within a second.
  bool SwitchTo(int i, std::int64_t expected) {
    desktop.Activate(windows[i]);
    for (auto deadline = Clock::now() + 1s; Clock::now() < deadline;) {
      const auto m = window->Next(WM_AGENT_EVENT);
      if (m && m->wparam == kEventProfile && m->lparam == expected) return true;
    }
    return false;
  }
  ~Session() {
    if (agent > 0) {
      ::kill(agent, SIGTERM);
      test::Wait(agent);
    }
  }
};

void BM_FocusToProfile(benchmark::State& state) {
  Session session;
  if (!session.Start(state)) return;
  session.SwitchTo(1, 1);
  std::vector<double> ms;
  int next = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (!session.SwitchTo(next, next == 0 ? 3 : 1)) {
      const std::string what = "switch " + std::to_string(ms.size()) + " was not heard within a second";
      state.SkipWithError(what.c_str());
      return;
    }
    const std::chrono::duration<double> took = Clock::now() - start;
    state.SetIterationTime(took.count());
    ms.push_back(took.count() * 1000);
    next = 1 - next;
  }
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
  state.counters["max_ms"] = ms.back();
}
BENCHMARK(BM_FocusToProfile)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// Wake-ups of the agent per minute while nothing changes, sampled over ten
// seconds after a switch settled.
void BM_IdleWakeups(benchmark::State& state) {
  Session session;
  if (!session.Start(state)) return;
  session.SwitchTo(0, 3);
  std::this_thread::sleep_for(500ms);
  long woken = 0;
  for (auto _ : state) {
    const long before = test::ContextSwitches(session.agent);
    std::this_thread::sleep_for(10s);
    woken = test::ContextSwitches(session.agent) - before;
  }
  state.counters["wakeups_per_minute"] = static_cast<double>(woken) * 6;
}
BENCHMARK(BM_IdleWakeups)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
