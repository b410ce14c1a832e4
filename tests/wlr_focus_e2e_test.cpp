// The profile follows the program in front, end to end on a wlroots
// compositor: run inside the headless sway of tests/wayland/sway_session.sh,
// with two small Wayland clients of chosen app ids, focus moved as a user's
// key binding moves it (swaymsg), the real agent (simulated mouse) and
// vantixctl, a test endpoint playing the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "tests/following_agent.h"

namespace vantix {
namespace {

using Clock = std::chrono::steady_clock;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

class WlrootsFocusTest : public FollowingAgent {
 protected:
  void SetUp() override {
    if (Environment("SWAYSOCK").empty() || Environment("WAYLAND_DISPLAY").empty()) {
      GTEST_SKIP() << "not in a sway session (run it through tests/wayland/sway_session.sh)";
    }
    // The agent's runtime folder is the test's own, so it is told the
    // compositor's socket by its path; Xwayland's X11 source runs beside.
    std::string socket = Environment("WAYLAND_DISPLAY");
    if (socket.front() != '/') socket = Environment("XDG_RUNTIME_DIR") + "/" + socket;
    env.insert({{"WAYLAND_DISPLAY", socket}, {"DISPLAY", Environment("DISPLAY")}});
    Open("GameOne");
    Open("EditorTwo");
    StartAgent();
  }
  ~WlrootsFocusTest() override {
    for (const pid_t client : clients) {
      ::kill(client, SIGTERM);
      test::Wait(client);
    }
  }
  void Open(const std::string& app_id) {
    const std::string out = scratch / (app_id + ".out");
    clients.push_back(test::Spawn({WL_FOCUS_CLIENT_PATH, app_id}, {}, out, scratch / "clients.err"));
    ASSERT_TRUE(test::WaitFor([&] { return ReadBytes(out) == "mapped\n"; }, 5s, "the client's window"))
        << ReadBytes(scratch / "clients.err");
  }
  // Moves the focus to the window of that app id, as a key binding would.
  void Focus(const std::string& app_id) {
    ASSERT_EQ(test::Wait(test::Spawn({"/usr/bin/swaymsg", "[app_id=\"" + app_id + "\"] focus"}, {},
                                     scratch / "swaymsg.out", scratch / "swaymsg.err")),
              0)
        << ReadBytes(scratch / "swaymsg.out") << ReadBytes(scratch / "swaymsg.err");
  }

  std::vector<pid_t> clients;
};

TEST_F(WlrootsFocusTest, TheAppInFrontPicksItsProfileAndTheSourceIsNamed) {
  Focus("GameOne");
  ASSERT_TRUE(Hears(3));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 4\nprogram: GameOne\n");
  Focus("EditorTwo");
  ASSERT_TRUE(Hears(0));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");
  EXPECT_NE(ReadBytes(scratch / "hid.log").find("following the program in front through x11, wlroots"),
            std::string::npos)
      << ReadBytes(scratch / "hid.log");
  // A rule for the app in front counts at once.
  EXPECT_EQ(Ctl({"program", "set", "editortwo", "2"}).first, 0);
  EXPECT_TRUE(Hears(1));
  const std::string state = ReadBytes(folder + "/Corvane_II_GamingMouse_HID.state");
  EXPECT_NE(state.find("Recent1=EditorTwo"), std::string::npos) << state;
  EXPECT_NE(state.find("Recent2=GameOne"), std::string::npos) << state;
}

// From the compositor's answer to the focus request to the window's kind 9,
// over 200 switches; the figures go to the test's output.
TEST_F(WlrootsFocusTest, SwitchesArriveWithinATenthOfASecond) {
  ASSERT_EQ(Ctl({"program", "set", "EditorTwo", "2"}).first, 0);
  Focus("EditorTwo");
  ASSERT_TRUE(Hears(1));
  std::vector<double> ms;
  for (int i = 0; i < 200; ++i) {
    const bool game = i % 2 == 0;
    const auto start = Clock::now();
    Focus(game ? "GameOne" : "EditorTwo");
    ASSERT_TRUE(Hears(game ? 3 : 1)) << "switch " << i;
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  const double median = ms[ms.size() / 2], p99 = ms[ms.size() * 99 / 100];
  std::printf("focus change to kind 9 (swaymsg included), 200 switches: median %.1f ms, p99 %.1f ms\n", median,
              p99);
  RecordProperty("median_ms", std::to_string(median));
  RecordProperty("p99_ms", std::to_string(p99));
  EXPECT_LT(median, 100);
}

TEST_F(WlrootsFocusTest, RapidFlipsEndOnTheLastAndTheIdleAgentSleeps) {
  Focus("GameOne");
  ASSERT_TRUE(Hears(3));
  // A hundred in about a second, the last to the game.
  for (int i = 0; i < 100; ++i) {
    Focus(i % 2 == 0 ? "EditorTwo" : "GameOne");
    std::this_thread::sleep_for(5ms);
  }
  // Each swaymsg has its answer: sway is done with the flips.
  ExpectTheLastFlipWinsAndTheAgentSleeps([] { return true; });
}

TEST_F(WlrootsFocusTest, ADamagedOrMissingRulesFileServesTheChosenProfile) {
  Focus("GameOne");
  ASSERT_TRUE(Hears(3));
  ExpectDamagedThenMissingRulesServeTheChosenProfile();
}

// A window closed while in front, and one opened: the compositor's list
// follows, and the new window in front counts.
TEST_F(WlrootsFocusTest, WindowsThatComeAndGoAreFollowed) {
  ASSERT_EQ(Ctl({"program", "set", "LateThree", "5"}).first, 0);
  Focus("GameOne");
  ASSERT_TRUE(Hears(3));
  Open("LateThree");
  Focus("LateThree");
  EXPECT_TRUE(Hears(4));
  ::kill(clients.back(), SIGTERM);
  test::Wait(clients.back());
  clients.pop_back();
  // Sway hands the focus to a window left; whichever it is, its profile.
  std::int64_t last = -1;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        TakeLastHeard(last);
        return last == 3 || last == 0;
      },
      5s, "the profile of the window left in front"))
      << "last heard " << last;
}

// An X program under Xwayland is seen by both sources: the compositor lists
// it by its class, X11 knows its executable too, and a rule for the
// executable holds whichever speaks last.
TEST_F(WlrootsFocusTest, AnXProgramKeepsTheRuleForItsExecutable) {
  ASSERT_EQ(Ctl({"program", "set", "focus_client", "5"}).first, 0);
  const std::string out = scratch / "x.out";
  clients.push_back(test::Spawn({FOCUS_CLIENT_PATH, "XGame"}, {}, out, scratch / "clients.err"));
  const auto focus_x = [&] {
    return test::Wait(test::Spawn({"/usr/bin/swaymsg", "[class=\"XGame\"] focus"}, {}, scratch / "swaymsg.out",
                                  scratch / "swaymsg.err")) == 0;
  };
  // Sway takes the window a moment after the client made it.
  ASSERT_TRUE(test::WaitFor(focus_x, 5s, "sway to manage the X window")) << ReadBytes(scratch / "swaymsg.out");
  ASSERT_TRUE(Hears(4));
  Focus("GameOne");
  ASSERT_TRUE(Hears(3));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(focus_x()) << ReadBytes(scratch / "swaymsg.out");
    EXPECT_TRUE(Hears(4)) << "switch " << i;
    std::this_thread::sleep_for(300ms);
    EXPECT_NE(Status().find("profile: 5\nprogram: focus_client\n"), std::string::npos) << Status();
    Focus("GameOne");
    EXPECT_TRUE(Hears(3));
  }
}

}  // namespace
}  // namespace vantix
