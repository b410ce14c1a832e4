// The profile follows the program in front, end to end on X11: Xvfb with
// openbox, two small X clients of chosen classes, the real agent (simulated
// mouse) and vantixctl, a test endpoint playing the main window.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <thread>

#include "devicelink/agent_messages.h"
#include "tests/focus_desktop.h"
#include "tests/following_agent.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;

class FocusTest : public FollowingAgent {
 protected:
  FocusTest() : desktop(FOCUS_CLIENT_PATH) {
    env.insert({{"DISPLAY", desktop.display()}, {"WAYLAND_DISPLAY", ""}});
  }
  void SetUp() override {
    if (!desktop.error().empty()) GTEST_SKIP() << desktop.error();
    game = desktop.Open("GameOne");
    editor = desktop.Open("EditorTwo");
    ASSERT_NE(game, XCB_WINDOW_NONE);
    ASSERT_NE(editor, XCB_WINDOW_NONE);
    StartAgent();
  }

  test::FocusDesktop desktop;
  xcb_window_t game = XCB_WINDOW_NONE, editor = XCB_WINDOW_NONE;
};

TEST_F(FocusTest, TheProgramInFrontPicksItsProfileAndRulesTakeEffectAtOnce) {
  desktop.Activate(game);
  ASSERT_TRUE(Hears(3));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 4\nprogram: GameOne\n");
  desktop.Activate(editor);
  ASSERT_TRUE(Hears(0));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");

  // A rule for the program in front, and its removal, count at once.
  EXPECT_EQ(Ctl({"program", "set", "editortwo", "2"}).first, 0);
  EXPECT_TRUE(Hears(1));
  EXPECT_EQ(Ctl({"program", "remove", "EDITORTWO"}).first, 0);
  EXPECT_TRUE(Hears(0));
  EXPECT_EQ(Ctl({"program", "remove", "EditorTwo"}).first, 1);
  // The executable's name (/proc/PID/exe) where the class has no rule.
  EXPECT_EQ(Ctl({"program", "set", "focus_client", "5"}).first, 0);
  EXPECT_TRUE(Hears(4));
  EXPECT_NE(Status().find("program: focus_client\n"), std::string::npos);
  desktop.Activate(game);
  EXPECT_TRUE(Hears(3));

  // The files' current profile stays the user's.
  EXPECT_EQ(Ctl({"--json", "show"}).second.find("\"CurrentProfile\": 3"), std::string::npos);
  const std::string state = ReadBytes(folder + "/Corvane_II_GamingMouse_HID.state");
  EXPECT_NE(state.find("Recent1=GameOne"), std::string::npos) << state;
  EXPECT_NE(state.find("Recent2=EditorTwo"), std::string::npos) << state;
}

TEST_F(FocusTest, RapidFlipsEndOnTheLastAndTheIdleAgentSleeps) {
  desktop.Activate(game);
  ASSERT_TRUE(Hears(3));
  // A hundred in a second, the last to the game.
  for (int i = 0; i < 100; ++i) {
    desktop.Activate(i % 2 == 0 ? editor : game);
    std::this_thread::sleep_for(10ms);
  }
  // The window manager works through the requests at its own pace.
  ExpectTheLastFlipWinsAndTheAgentSleeps([&] { return desktop.Active() == game; });
}

TEST_F(FocusTest, ADamagedOrMissingRulesFileServesTheChosenProfile) {
  desktop.Activate(game);
  ASSERT_TRUE(Hears(3));
  ExpectDamagedThenMissingRulesServeTheChosenProfile();
}

// KDE's KWin script and GNOME's Shell extension call the agent over the
// session bus. Neither desktop runs here: a session bus of the test's own
// and busctl stand in for the caller.
class SessionBusFocusTest : public FollowingAgent {
 protected:
  SessionBusFocusTest() {
    env.insert({{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"DBUS_SESSION_BUS_ADDRESS", address},
                {"XDG_CURRENT_DESKTOP", "GNOME"}});
  }
  ~SessionBusFocusTest() override {
    if (bus_daemon > 0) EndBus();
  }
  void SetUp() override {
    StartBus();
    ASSERT_EQ(Ctl({"program", "set", "sleep", "2"}).first, 0);
    StartAgent();
  }
  void StartBus() {
    bus_daemon = test::Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address}, env,
                             scratch / "bus.out", scratch / "bus.err");
    ASSERT_TRUE(test::WaitFor([&] { return test::Exists(scratch / "bus"); }, 5s, "the session bus"));
  }
  void EndBus() {
    ::kill(bus_daemon, SIGTERM);
    test::Wait(bus_daemon);
    bus_daemon = -1;
    std::filesystem::remove(scratch / "bus");
  }
  // What the extension sends at an activation; KWin's script sends the
  // pid signed ("si").
  int Activated(const std::string& name, pid_t pid, const std::string& signature = "su") {
    return test::Wait(test::Spawn({"/usr/bin/busctl", "--address=" + address, "--", "call", "org.vantix.Agent",
                                   "/org/vantix/Agent", "org.vantix.Agent", "ProgramActivated", signature, name,
                                   std::to_string(pid)},
                                  env, scratch / "busctl.out", scratch / "busctl.err"));
  }

  std::string address = "unix:path=" + scratch / "bus";
  pid_t bus_daemon = -1;
};

TEST_F(SessionBusFocusTest, TheDesktopsCallsAreFollowedAndAMissingExtensionIsTold) {
  // No GNOME Shell to ask: the agent says why nothing reports focus.
  std::string before;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        before = Status();
        return before.find("focus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; gnome: cannot ask GNOME "
                           "Shell") != std::string::npos;
      },
      5s, "the reason in the status"))
      << before;

  // By class, then by the executable of the process named.
  ASSERT_EQ(Activated("GameOne", 0), 0) << ReadBytes(scratch / "busctl.err");
  EXPECT_TRUE(Hears(3));
  const pid_t sleeper = test::Spawn({"/bin/sleep", "30"}, env, "/dev/null", "/dev/null");
  ASSERT_EQ(Activated("org.example.Unknown", sleeper), 0);
  EXPECT_TRUE(Hears(1));
  ASSERT_EQ(Activated("", 0), 0);
  EXPECT_TRUE(Hears(0));
  ASSERT_EQ(Activated("org.example.Unknown", sleeper, "si"), 0) << ReadBytes(scratch / "busctl.err");
  EXPECT_TRUE(Hears(1));
  ::kill(sleeper, SIGTERM);
  test::Wait(sleeper);
  // A negative pid names no process; other signatures are refused.
  ASSERT_EQ(Activated("", -1, "si"), 0);
  EXPECT_TRUE(Hears(0));
  EXPECT_NE(Activated("GameOne", 0, "ss"), 0);
  // A desktop that calls is a source that works: no more complaint.
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");
}

TEST_F(SessionBusFocusTest, ALostBusIsToldAndJoinedAgainWhenItIsBack) {
  ASSERT_EQ(Activated("GameOne", 0), 0) << ReadBytes(scratch / "busctl.err");
  ASSERT_TRUE(Hears(3));
  EndBus();
  std::string down;
  EXPECT_TRUE(test::WaitFor(
      [&] {
        down = Status();
        return down.find("focus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; session bus: the connection "
                         "broke, trying again)") != std::string::npos;
      },
      5s, "the lost bus in the status"))
      << down;
  // What it served stays served; the retries do not spin: a pause that
  // doubles from half a second makes a handful of wake-ups in three seconds.
  EXPECT_NE(down.find("profile: 4\nprogram: GameOne\n"), std::string::npos) << down;
  const long before = test::ContextSwitches(agent);
  std::this_thread::sleep_for(3s);
  EXPECT_LT(test::ContextSwitches(agent) - before, 20);

  // Back at the same address: the agent owns its name there again and
  // follows the desktop's calls.
  StartBus();
  EXPECT_TRUE(test::WaitFor([&] { return Activated("EditorTwo", 0) == 0; }, 40s, "the agent back on the bus"))
      << ReadBytes(scratch / "hid.log");
  EXPECT_TRUE(Hears(0));
  EXPECT_EQ(Status(), "agent: running\ndevice: simulated\nprofile: 1\n");
}

}  // namespace
}  // namespace vantix
