// The real agent (simulated mouse) following the program in front, with a
// rule for GameOne, in a home and runtime folder of the test's own; a test
// endpoint plays the main window. Shared by the focus tests of each desktop.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "devicelink/agent_messages.h"
#include "tests/agent_process.h"
#include "tests/test_support.h"

namespace vantix::test {

class FollowingAgent : public ::testing::Test {
 protected:
  FollowingAgent() : env{{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}} {
    ::mkdir(runtime.c_str(), 0700);
  }
  ~FollowingAgent() override {
    if (agent > 0) {
      ::kill(agent, SIGTERM);
      Wait(agent);
    }
  }
  // env: the desktop the agent runs in.
  void StartAgent() {
    window = std::make_unique<MainWindow>(folder);
    ASSERT_EQ(Ctl({"program", "set", "GameOne", "4"}).first, 0);
    agent = Spawn({HID_PATH, "--backend=simulated"}, env, scratch / "hid.out", scratch / "hid.log");
    ASSERT_TRUE(WaitFor([&] { return MessageBus(folder).FindWindow(kAgentWindowTitle); },
                        std::chrono::seconds(5), "the agent's endpoint"))
        << ReadBytes(scratch / "hid.log");
  }
  std::pair<int, std::string> Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), VANTIXCTL_PATH);
    const int status = Wait(Spawn(args, env, scratch / "ctl.out", scratch / "ctl.err"));
    return {status, ReadBytes(scratch / "ctl.out")};
  }
  // Waits for the window to hear that profile index (kind 9).
  ::testing::AssertionResult Hears(std::int64_t profile) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      const std::optional<WindowMessage> m = window->Next(WM_AGENT_EVENT);
      if (m && m->wparam == kEventProfile && m->lparam == profile) return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no kind 9 for profile index " << profile << "\n"
                                         << ReadBytes(scratch / "hid.log");
  }
  std::string Status() { return Ctl({"agent", "status"}).second; }

  ScratchDir scratch;
  std::string runtime = scratch / "run";
  std::string folder = runtime + "/corvane-gaming-mouse";
  std::map<std::string, std::string> env;
  std::unique_ptr<MainWindow> window;
  pid_t agent = -1;
};

}  // namespace vantix::test
