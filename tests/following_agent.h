// The real agent (simulated mouse) following the program in front, with a
// test endpoint playing the main window: shared by the end-to-end tests of
// the focus sources.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <thread>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "devicelink/agent_messages.h"
#include "tests/agent_process.h"
#include "tests/test_support.h"

namespace vantix {

using namespace std::chrono_literals;
using test::ReadBytes;

// The agent (simulated mouse) with a rule for GameOne (profile 4), in a
// home and runtime folder of the test's own; a test endpoint plays the
// main window.
class FollowingAgent : public ::testing::Test {
 protected:
  FollowingAgent() : env{{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}} {
    ::mkdir(runtime.c_str(), 0700);
  }
  ~FollowingAgent() override {
    if (agent > 0) {
      ::kill(agent, SIGTERM);
      test::Wait(agent);
    }
  }
  // env: the desktop the agent runs in.
  void StartAgent() {
    window = std::make_unique<test::MainWindow>(folder);
    ASSERT_EQ(Ctl({"program", "set", "GameOne", "4"}).first, 0);
    agent = test::Spawn({HID_PATH, "--backend=simulated"}, env, scratch / "hid.out", scratch / "hid.log");
    ASSERT_TRUE(test::WaitFor([&] { return MessageBus(folder).FindWindow(kAgentWindowTitle); }, 5s,
                              "the agent's endpoint"))
        << ReadBytes(scratch / "hid.log");
  }
  std::pair<int, std::string> Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), VANTIXCTL_PATH);
    const int status = test::Wait(test::Spawn(args, env, scratch / "ctl.out", scratch / "ctl.err"));
    return {status, ReadBytes(scratch / "ctl.out")};
  }
  // Waits for the window to hear that profile index (kind 9).
  ::testing::AssertionResult Hears(std::int64_t profile) {
    for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
      const std::optional<WindowMessage> m = window->Next(WM_AGENT_EVENT);
      if (m && m->wparam == kEventProfile && m->lparam == profile) return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no kind 9 for profile index " << profile << "\n"
                                         << ReadBytes(scratch / "hid.log");
  }
  std::string Status() { return Ctl({"agent", "status"}).second; }

  // The profile index the window heard last, of the messages since the last
  // call (last stays when none came).
  void TakeLastHeard(std::int64_t& last) {
    for (const WindowMessage& m : window->TakeAll()) {
      if (m.message == WM_AGENT_EVENT && m.wparam == kEventProfile) last = m.lparam;
    }
  }

  // After rapid flips that end on GameOne (game_in_front: the desktop is
  // done with them): the window has last heard its profile, the agent
  // serves it and stays so, and then nothing wakes the agent at all.
  void ExpectTheLastFlipWinsAndTheAgentSleeps(const std::function<bool()>& game_in_front) {
    std::int64_t last = -1;
    const auto settled = [&] {
      TakeLastHeard(last);
      return last == 3 && game_in_front() && Status().find("profile: 4\nprogram: GameOne\n") != std::string::npos;
    };
    EXPECT_TRUE(test::WaitFor(settled, 10s, "the game's profile")) << "last heard " << last;
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(settled()) << "last heard " << last;
    std::this_thread::sleep_for(1s);
    const long before = test::ContextSwitches(agent);
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(test::ContextSwitches(agent), before);
  }

  // With GameOne in front (profile 4): a damaged or huge rules file serves
  // the chosen profile and is put aside by the next rule; a missing one
  // serves the chosen profile too.
  void ExpectDamagedThenMissingRulesServeTheChosenProfile() {
    const std::string rules = scratch / ".config/vantix/programs.ini";
    test::WriteBytes(rules, "[Programs]\nCount=1\nProgram1=GameOne\nProfile1=4\n" + std::string(2 << 20, 'x'));
    ASSERT_EQ(MessageBus(folder).SendMessage(kAgentWindowTitle, kAgentControlProgramRules, 0, 0).state,
              SendOutcome::State::kAnswered);
    EXPECT_TRUE(Hears(0));
    EXPECT_NE(ReadBytes(scratch / "hid.log").find("no rules are used"), std::string::npos);
    // vantixctl says so too, and its next rule puts the damaged file aside.
    EXPECT_EQ(Ctl({"program", "list"}).first, 1);
    EXPECT_EQ(Ctl({"program", "set", "GameOne", "3"}).first, 0);
    EXPECT_TRUE(Hears(2));
    std::filesystem::remove(rules);
    MessageBus(folder).SendMessage(kAgentWindowTitle, kAgentControlProgramRules, 0, 0);
    EXPECT_TRUE(Hears(0));
    EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");
  }

  test::ScratchDir scratch;
  std::string runtime = scratch / "run";
  std::string folder = runtime + "/corvane-gaming-mouse";
  std::map<std::string, std::string> env;
  std::unique_ptr<test::MainWindow> window;
  pid_t agent = -1;
};

}  // namespace vantix
