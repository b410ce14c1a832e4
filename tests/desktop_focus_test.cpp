// The profile follows the program in front on the desktops that report
// focus over the session bus, each in its real compositor: KWin runs the
// agent's script, GNOME Shell the extension. tests/desktop/desktop_session.sh
// starts the session; two X clients of chosen classes under its Xwayland
// are brought to the front the way a task bar asks for it, and the
// compositor, their window manager, activates them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "tests/focus_desktop.h"
#include "tests/following_agent.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

class DesktopFocusTest : public FollowingAgent {
 protected:
  DesktopFocusTest() : desktop(FOCUS_CLIENT_PATH, Variable("DISPLAY")) {
    // Only the desktop's own report counts: no X11 or Wayland source of
    // the agent's.
    env.insert({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
  }
  void SetUp() override {
    if (Variable("VANTIX_DESKTOP_DIR").empty()) {
      GTEST_SKIP() << "runs inside tests/desktop/desktop_session.sh kde|gnome";
    }
    ASSERT_EQ(desktop.error(), "");
    game = desktop.Open("GameOne");
    editor = desktop.Open("EditorTwo");
    ASSERT_NE(game, XCB_WINDOW_NONE);
    ASSERT_NE(editor, XCB_WINDOW_NONE);
    // The game is in front before the agent starts: the agent learns it
    // from the desktop at once, not at the next change. (The editor first,
    // so that its own focus on mapping cannot come after the game's.)
    for (const xcb_window_t front : {editor, game}) {
      desktop.Activate(front);
      ASSERT_TRUE(test::WaitFor([&] { return desktop.Active() == front; }, 5s, "the window in front"));
    }
    StartAgent();
    ASSERT_TRUE(Hears(3));
  }
  // The last profile index the window heard (kind 9), once the agent
  // serves want and the compositor has the window in front.
  bool Settles(xcb_window_t front, std::int64_t want, std::int64_t& last) {
    for (const WindowMessage& m : window->TakeAll()) {
      if (m.message == WM_AGENT_EVENT && m.wparam == kEventProfile) last = m.lparam;
    }
    return last == want && desktop.Active() == front &&
           Status().find("profile: " + std::to_string(want + 1) + "\n") != std::string::npos;
  }

  test::FocusDesktop desktop;
  xcb_window_t game = XCB_WINDOW_NONE, editor = XCB_WINDOW_NONE;
};

TEST_F(DesktopFocusTest, TheProgramInFrontPicksItsProfile) {
  // The desktop's reporter runs: the agent names no problem.
  std::string status;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        status = Status();
        return status.find("focus: none") == std::string::npos;
      },
      5s, "a working focus source"))
      << status << ReadBytes(scratch / "hid.log");

  status = Status();
  EXPECT_NE(status.find("profile: 4\nprogram: "), std::string::npos) << status;
  desktop.Activate(editor);
  ASSERT_TRUE(Hears(0));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");
  // A rule for the program in front counts at once.
  EXPECT_EQ(Ctl({"program", "set", "EditorTwo", "2"}).first, 0);
  EXPECT_TRUE(Hears(1));
  // The executable's name, from the process the desktop names.
  EXPECT_EQ(Ctl({"program", "remove", "EditorTwo"}).first, 0);
  EXPECT_TRUE(Hears(0));
  EXPECT_EQ(Ctl({"program", "set", "focus_client", "5"}).first, 0);
  EXPECT_TRUE(Hears(4));
  desktop.Activate(game);
  EXPECT_TRUE(Hears(3));
}

TEST_F(DesktopFocusTest, RapidFlipsEndOnTheLastAndTheIdleAgentSleeps) {
  // A hundred in a second, the last to the game.
  for (int i = 0; i < 100; ++i) {
    desktop.Activate(i % 2 == 0 ? editor : game);
    std::this_thread::sleep_for(10ms);
  }
  // The compositor works through the requests at its own pace (GNOME
  // Shell, drawing in software, for seconds): settled is the game's
  // profile heard and served, still so half a second later.
  std::int64_t last = -1;
  bool held = false;
  const auto settled = [&] {
    const bool now = Settles(game, 3, last);
    const bool stays = held && now;
    held = now;
    if (!stays) std::this_thread::sleep_for(500ms);
    return stays;
  };
  EXPECT_TRUE(test::WaitFor(settled, 20s, "the game's profile")) << "last heard " << last;

  // With no focus change the agent is not woken at all.
  std::this_thread::sleep_for(1s);
  const long before = test::ContextSwitches(agent);
  std::this_thread::sleep_for(3s);
  EXPECT_EQ(test::ContextSwitches(agent), before);
}

// From the request to bring a window to the front until the window hears
// its profile: through the compositor, its script or extension, the bus
// and the agent. Printed for the record; the goal is under 100 ms.
TEST_F(DesktopFocusTest, SwitchesTakeEffectWithinATenthOfASecond) {
  std::vector<double> took;
  for (int i = 0; i < 200; ++i) {
    const bool to_game = i % 2 == 1;
    const auto start = std::chrono::steady_clock::now();
    desktop.Activate(to_game ? game : editor);
    ASSERT_TRUE(Hears(to_game ? 3 : 0)) << "switch " << i;
    took.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(took.begin(), took.end());
  const double median = took[took.size() / 2], p99 = took[took.size() * 99 / 100];
  std::printf("focus change to profile (ms, 200 switches): median %.1f, 99th percentile %.1f, worst %.1f\n",
              median, p99, took.back());
  EXPECT_LT(median, 100.0);
}

}  // namespace
}  // namespace vantix
