// The macro editor end to end: the real vantix, hid and KBHook.so on an X
// server of the test's own, driven with xdotool as a user would. A macro is
// created, recorded from keys the X server types, given a middle click and
// an edited delay, assigned to a button through the assignment menu, and
// applied; the files and the agent's log show what arrived.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/tests/e2e_session.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "macro/macro_files.h"
#include "settings/profile_store.h"
#include "settings/text_codec.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::kProgramDir;
using test::ReadBytes;
using test::Spawn;
using test::WaitFor;

// Places on the screen: the main window sits at (0, 0); the editor's places
// are in its own window, which opens centred over the main window.
constexpr int kMacroTabX = 940, kMacroTabY = 113;
constexpr int kNewX = 80, kNewY = 487;
constexpr int kRecordDelaysX = 593, kRecordDelaysY = 133;
constexpr int kRecordX = 374, kRecordY = 491;
constexpr int kStopX = 467, kStopY = 491;
constexpr int kInsertClickX = 655, kInsertClickY = 480;
constexpr int kLoopBoxX = 624, kLoopBoxY = 223;
constexpr int kOkX = 562, kOkY = 528;
constexpr int kApplyX = 665, kApplyY = 684;
// The menu rows are 20 pixels high and open below the bottom-left corner of
// their button.
constexpr int kMenuRow = 20;
int EventRowY(int row) { return 143 + 23 * row + 11; }
constexpr int kEventRowX = 400;
// The assignment button of the second mouse button, and its menu.
constexpr int kAssignX = 594, kAssignY = 238, kAssignBottom = 248, kAssignLeft = 520;
constexpr int kMacroItem = 10;

struct ScreenPoint {
  int x;
  int y;
};

class MacroE2eTest : public test::E2eSession {
 protected:
  MacroE2eTest() : bus(endpoints), files(data, SystemFileIo()) {
    // The editor saves and announces every edit: give each click longer to land.
    click_settle = 300ms;
  }

  // The editor's top-left corner on the screen, from the X server.
  ScreenPoint EditorOrigin() const {
    const std::string geometry = Run("xdotool getwindowgeometry " + FindWindow("Macro Editor"));
    ScreenPoint at{-1, -1};
    const std::size_t p = geometry.find("Position: ");
    if (p != std::string::npos) std::sscanf(geometry.c_str() + p, "Position: %d,%d", &at.x, &at.y);
    return at;
  }

  MacroData Stored(const std::string& name) const {
    MacroData macro;
    files.LoadMacro(name, macro);
    return macro;
  }
  // Lines of the agent's log about one message.
  int Logged(const std::string& message) const {
    const std::string text = ReadBytes(log);
    int n = 0;
    for (std::size_t at = text.find("hid: " + message + " sent"); at != std::string::npos;
         at = text.find("hid: " + message + " sent", at + 1)) {
      ++n;
    }
    return n;
  }

  MessageBus bus;
  MacroFiles files;
};

TEST_F(MacroE2eTest, CreateRecordEditAssignAndApplyAMacro) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && echo ok"), "ok") << "xdotool is needed";

  app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
  ASSERT_TRUE(
      WaitFor([&] { return WindowShown("Corvane II Gaming Mouse"); }, 10s, "the main window"))
      << ReadBytes(log);
  ASSERT_TRUE(
      WaitFor([&] { return bus.FindWindow(kAgentWindowTitle); }, 10s, "the agent's endpoint"))
      << ReadBytes(log);

  // The macro tab opens the editor; New asks for the name.
  ClickAt(kMacroTabX, kMacroTabY);
  ASSERT_TRUE(WaitFor([&] { return WindowShown("Macro Editor"); }, 10s, "the macro editor"))
      << ReadBytes(log);
  // Centred over the 1028 x 712 main window: 757 x 582 at (135, 65).
  const ScreenPoint origin = EditorOrigin();
  EXPECT_EQ(origin.x, 135);
  EXPECT_EQ(origin.y, 65);
  const auto in_editor = [&](int x, int y, int clicks = 1) {
    ClickAt(origin.x + x, origin.y + y, clicks);
  };
  in_editor(kNewX, kNewY);
  ASSERT_TRUE(WaitFor([&] { return WindowShown("New Macro"); }, 10s, "the New Macro dialog"))
      << ReadBytes(log);
  std::this_thread::sleep_for(300ms);  // the name field takes the focus after 50 ms
  Run("xdotool type --delay 60 E2E; xdotool key Return");
  ASSERT_TRUE(WaitFor([&] { return files.ReadMacroList() == std::vector<std::string>{"E2E"}; }, 10s,
                      "the new macro in the list"))
      << ReadBytes(log);

  // Record A, held for a moment, with measured delays.
  in_editor(kRecordDelaysX, kRecordDelaysY);
  EXPECT_TRUE(WaitFor([&] { return Stored("E2E").DelayType == kDelayMeasured; }, 10s,
                      "measured delays stored"));
  in_editor(kRecordX, kRecordY);
  Run("xdotool keydown a; sleep 0.4; xdotool keyup a");
  std::this_thread::sleep_for(300ms);
  in_editor(kStopX, kStopY);
  ASSERT_TRUE(WaitFor([&] { return Stored("E2E").count == 3; }, 10s, "the three recorded events"))
      << ReadBytes(log);
  MacroData macro = Stored("E2E");
  EXPECT_EQ(macro.events[0], MacroEvent::Key(0x04, true));
  EXPECT_TRUE(macro.events[1].IsDelay());
  EXPECT_GE(macro.events[1].DelayMs(), 300);
  EXPECT_EQ(macro.events[2], MacroEvent::Key(0x04, false));

  // A middle click after the press.
  in_editor(kEventRowX, EventRowY(0));
  in_editor(kInsertClickX, kInsertClickY);
  in_editor(kInsertClickX, kInsertClickY + 10 + 2 * kMenuRow);
  ASSERT_TRUE(WaitFor([&] { return Stored("E2E").count == 5; }, 10s, "the five recorded events"))
      << ReadBytes(log);
  macro = Stored("E2E");
  EXPECT_EQ(macro.events[1], MacroEvent::MouseButton(kMacroMiddleButton, true));
  EXPECT_EQ(macro.events[2], MacroEvent::MouseButton(kMacroMiddleButton, false));
  EXPECT_TRUE(macro.events[3].IsDelay());

  // The delay, edited in place: 1234 ms is stored as 123 units.
  in_editor(kEventRowX, EventRowY(3), 2);
  Run("xdotool type --delay 60 1234; xdotool key Return");
  EXPECT_TRUE(WaitFor([&] { return Stored("E2E").events[3] == MacroEvent::Delay(123); }, 10s,
                      "the edited delay stored"))
      << ReadBytes(log);
  in_editor(kOkX, kOkY);
  ASSERT_TRUE(
      WaitFor([&] { return !WindowShown("Macro Editor"); }, 10s, "the macro editor to close"));

  // The macro goes to the second mouse button through its menu.
  ClickAt(kAssignX, kAssignY);
  MoveTo(kAssignLeft + 90, kAssignBottom + kMacroItem * kMenuRow + 10);
  ClickAt(kAssignLeft + 180 + 80, kAssignBottom + kMacroItem * kMenuRow + kMenuRow + 10);

  // Back in the editor, a repeat count tells the agent about that button.
  ClickAt(kMacroTabX, kMacroTabY);
  ASSERT_TRUE(WaitFor([&] { return WindowShown("Macro Editor"); }, 10s, "the macro editor"));
  in_editor(kLoopBoxX, kLoopBoxY);
  Run("xdotool key BackSpace BackSpace BackSpace; xdotool type 3");
  EXPECT_TRUE(WaitFor([&] { return Stored("E2E").LoopTime == 3; }, 10s, "the repeat count stored"))
      << ReadBytes(log);
  in_editor(kOkX, kOkY);
  ASSERT_TRUE(
      WaitFor([&] { return !WindowShown("Macro Editor"); }, 10s, "the macro editor to close"));

  ClickAt(kApplyX, kApplyY);
  SettingsBlock saved;
  ASSERT_TRUE(WaitFor(
      [&] {
        if (!test::Exists(ProfilePath(data, 0))) return false;
        saved = test::LoadSavedProfiles(data);
        return saved.Profiles[0].Buttons[1].ButtonFunc == 11;
      },
      10s, "the macro on the second button"))
      << ReadBytes(log);
  const ButtonRecord& button = saved.Profiles[0].Buttons[1];
  EXPECT_EQ(button.KeyNumber, 0);
  EXPECT_EQ(Utf16ToUtf8(MacroNameView(button)), "E2E");

  // What the agent heard: every change of the macro, the button that uses
  // it, and the apply.
  EXPECT_TRUE(WaitFor([&] { return Logged("0x4DE") == 1; }, 10s, "the agent's 0x4DE notice"))
      << ReadBytes(log);
  EXPECT_GE(Logged("0x1514"), 4) << ReadBytes(log);
  EXPECT_GE(Logged("0x1516"), 1) << ReadBytes(log);
  EXPECT_NE(ReadBytes(log).find("0x1516 sent w=0 l=1"), std::string::npos) << ReadBytes(log);

  // The index and the macro file as the agent reads them.
  EXPECT_EQ(files.ReadMacroList(), std::vector<std::string>{"E2E"});
  macro = Stored("E2E");
  EXPECT_EQ(macro.count, 5);
  EXPECT_EQ(macro.LoopTime, 3);
  EXPECT_EQ(macro.LoopType, kLoopNone);
  EXPECT_EQ(macro.DelayType, kDelayMeasured);
  // Neither program reported a fault of its own (sanitizer builds write them here).
  EXPECT_EQ(ReadBytes(log).find("Sanitizer"), std::string::npos) << ReadBytes(log);
  EXPECT_EQ(ReadBytes(log).find("runtime error"), std::string::npos) << ReadBytes(log);
}

}  // namespace
}  // namespace vantix
