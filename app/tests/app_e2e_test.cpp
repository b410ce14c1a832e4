// The real vantix and hid on an X server of the test's own, driven with
// xdotool as a user would: the window appears at the origin, starts the
// agent, refuses a second copy, and a click on Apply writes the profiles.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "app/tests/e2e_session.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/profile_store.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::kProgramDir;
using test::ReadBytes;
using test::ScratchDir;
using test::Spawn;
using test::WaitFor;

class AppE2eTest : public test::E2eSession {
 protected:
  AppE2eTest() : bus(endpoints) {}

  SettingsBlock LoadFiles() const { return test::LoadSavedProfiles(data); }

  std::string Pixel(int x_pos, int y_pos) const {
    return Run("import -window root -crop 1x1+" + std::to_string(x_pos) + "+" +
               std::to_string(y_pos) + " -depth 8 txt:- 2>/dev/null | tail -1 | awk '{print $3}'");
  }

  // Whether the disconnected label's red letters are on screen.
  bool RedLabelShown() const {
    const std::string pixels =
        Run("import -window root -crop 113x25+16+162 -depth 8 txt:- 2>/dev/null");
    return pixels.find("#FF0000") != std::string::npos;
  }

  MessageBus bus;
};

TEST_F(AppE2eTest, StartsOnceAppliesByClickAndFollowsTheAgent) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && command -v import >/dev/null && echo ok"), "ok")
      << "xdotool and ImageMagick are needed";

  app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = FindWindow("Corvane II Gaming Mouse");
        return !window.empty();
      },
      10s, "the main window"))
      << ReadBytes(log);
  const std::string geometry = Run("xdotool getwindowgeometry " + window);
  EXPECT_NE(geometry.find("Position: 0,0"), std::string::npos) << geometry;
  EXPECT_NE(geometry.find("Geometry: 1028x712"), std::string::npos) << geometry;
  // The outline cuts the top-left corner: the root shows through there as it
  // does beside the window.
  EXPECT_EQ(Pixel(2, 2), Pixel(1100, 2));
  EXPECT_NE(Pixel(20, 400), Pixel(1100, 2));

  // The agent was started and owns its endpoint; ours is there too.
  EXPECT_TRUE(
      WaitFor([&] { return bus.FindWindow(kAgentWindowTitle); }, 10s, "the agent's endpoint"))
      << ReadBytes(log);
  EXPECT_TRUE(bus.FindWindow(kMainWindowTitle));

  // A second copy ends at once, silently, without a window.
  const pid_t second = Spawn({std::string(kProgramDir) + "/vantix"}, env, scratch / "second.log");
  EXPECT_EQ(WaitFor(second, 5s), std::optional<int>(0));
  EXPECT_EQ(Run("xdotool search --name '^Corvane II Gaming Mouse$' | wc -l"), "1");

  // Profile 2, the performance page, a click low on stage 1's X track, Apply.
  ClickAt(530, 30);
  ClickAt(612, 113);
  ClickAt(264, 420);
  ClickAt(665, 684);
  ASSERT_TRUE(WaitFor(
      [&] {
        for (int i = 0; i < kProfileCount; ++i) {
          if (!test::Exists(ProfilePath(data, i))) return false;
        }
        return true;
      },
      10s, "the five profile files"))
      << ReadBytes(log);
  SettingsBlock saved = LoadFiles();
  EXPECT_EQ(saved.CurrentProfile, 1);
  const std::int32_t first_x = saved.Profiles[1].Stages[0].X;
  EXPECT_NE(first_x, 10) << "the slider click did not reach the stage";

  // The agent answers the apply with kind 15: half a second later the row
  // works again, so a second Apply after another change is saved too. Until
  // then Apply does nothing, so it is pressed until the save shows.
  ClickAt(264, 260);
  EXPECT_TRUE(WaitFor(
      [&] {
        ClickAt(665, 684);
        return LoadFiles().Profiles[1].Stages[0].X != first_x;
      },
      10s, "a second Apply, once the row works again, to save the change"))
      << ReadBytes(log);

  // The agent loses the mouse: the red label shows.
  EXPECT_EQ(Run(std::string(kProgramDir) + "/vantixctl agent disconnect >/dev/null 2>&1; echo $?"),
            "0");
  EXPECT_TRUE(WaitFor([&] { return RedLabelShown(); }, 5s, "the red disconnected label"));

  // The close button ends the program.
  ClickAt(998, 27);
  EXPECT_EQ(WaitFor(app, 5s), std::optional<int>(0));
  app = -1;
  // The agent outlives the window; the fixture ends it.
  EXPECT_GT(AgentPid(), 0);
}

TEST(AppWithoutDisplay, ExplainsInsteadOfAbortingAndAnswersHelpAndVersion) {
  ScratchDir scratch;
  const std::string vantix = std::string(kProgramDir) + "/vantix";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string display;  // "" unset
    std::string platform;  // QT_QPA_PLATFORM, "" unset
    int status;
    std::string output;   // what the output holds
  };
  const std::string refusal =
      "no X display: vantix needs X11 or Xwayland (set DISPLAY, turn on Xwayland in your "
      "Wayland desktop, or run scripts/run.sh)\n";
  const Case cases[] = {
      {"no display at all", {}, "", "", 1, refusal},
      {"a display nobody serves", {}, ":9371", "", 1, refusal},
      // A Wayland desktop's choice for all programs still means X11 here.
      {"Wayland inherited, no X", {}, "", "wayland", 1, refusal},
      {"wayland;xcb inherited, an X display nobody serves", {}, ":9371", "wayland;xcb", 1, refusal},
      {"--help", {"--help"}, "", "", 0, "Usage: vantix [--help | --version]\n"},
      {"--version", {"--version"}, "", "", 0, "vantix 0.1.0\n"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> argv = {"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                     "-u", "QT_QPA_PLATFORM"};
    if (!c.display.empty()) argv.push_back("DISPLAY=" + c.display);
    if (!c.platform.empty()) argv.push_back("QT_QPA_PLATFORM=" + c.platform);
    argv.push_back(vantix);
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const std::string log = scratch / ("out" + std::to_string(n++));
    const pid_t pid = Spawn(argv, {}, log);
    EXPECT_EQ(WaitFor(pid, 10s), std::optional<int>(c.status));
    const std::string output = ReadBytes(log);
    if (c.status != 0) {
      EXPECT_EQ(output, c.output);  // one line, nothing from Qt
    } else {
      EXPECT_EQ(output.rfind(c.output, 0), 0u) << output;
    }
  }
}

}  // namespace
}  // namespace vantix
