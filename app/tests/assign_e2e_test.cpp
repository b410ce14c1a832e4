// The assignment of a key combination, end to end: the real vantix, hid and
// KBHook.so on an X server of the test's own; the menu is clicked and the
// keys are pressed on the server's keyboard with xdotool, as a user would.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/tests/e2e_session.h"
#include "settings/profile_store.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::kProgramDir;
using test::ReadBytes;
using test::Spawn;
using test::WaitFor;

// Assignment button k of the main window, and the menu's rows below it.
constexpr int kButton = 3;
constexpr int kButtonLeft = 520;
constexpr int kButtonBottom = 220 + 28 * kButton;
constexpr int kMenuRowWidth = 160 + 20;
constexpr int kMenuRowHeight = 20;
constexpr int kCombinationRow = 6;  // code 7
// OK in the small dialogs, from their top-left corner.
constexpr int kOkX = 181;
constexpr int kOkY = 232;

class AssignE2eTest : public test::E2eSession {
 protected:
  // A digest of what the screen (or a picture of it taken earlier) shows in
  // a rectangle.
  std::string Crop(int left, int top, int width, int height,
                   const std::string& picture = {}) const {
    const std::string source =
        picture.empty() ? "import -window root" : "convert '" + picture + "'";
    return Run(source + " -crop " + std::to_string(width) + "x" + std::to_string(height) + "+" +
               std::to_string(left) + "+" + std::to_string(top) + " rgb:- 2>/dev/null | md5sum");
  }

  // What the button shows.
  std::string Face() const { return Crop(kButtonLeft, kButtonBottom - 20, 148, 20); }

  // Starts vantix and waits until its window shows the button's face.
  void StartWindow() {
    app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
    ASSERT_TRUE(WaitFor([&] { return !FindWindow("Corvane II Gaming Mouse").empty(); }, 10s,
                        "the main window"))
        << ReadBytes(log);
    // Beside the window the bare screen shows.
    const std::string bare = Crop(1100, 0, 148, 20);
    ASSERT_TRUE(WaitFor([&] { return Face() != bare; }, 10s, "the button's face"));
  }
};

TEST_F(AssignE2eTest, AKeyCombinationPressedOnTheKeyboardReachesTheProfileFile) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && command -v import >/dev/null && echo ok"), "ok")
      << "xdotool and ImageMagick are needed";

  ASSERT_NO_FATAL_FAILURE(StartWindow());
  const std::string face_before = Face();
  const std::string before_dialog = scratch / "before-dialog.png";
  Run("import -window root '" + before_dialog + "'");

  // The button's menu opens below it; its seventh row is the combination.
  ClickAt(kButtonLeft + 74, kButtonBottom - 10);
  ClickAt(kButtonLeft + kMenuRowWidth / 2,
          kButtonBottom + kCombinationRow * kMenuRowHeight + kMenuRowHeight / 2);
  std::string dialog;
  ASSERT_TRUE(WaitFor(
      [&] {
        dialog = FindWindow("Key Combination");
        return !dialog.empty();
      },
      10s, "the Key Combination dialog"))
      << ReadBytes(log);
  std::istringstream where(Run("xdotool getwindowgeometry --shell " + dialog));
  int left = -1, top = -1;
  for (std::string line; std::getline(where, line);) {
    if (line.rfind("X=", 0) == 0) left = std::stoi(line.substr(2));
    if (line.rfind("Y=", 0) == 0) top = std::stoi(line.substr(2));
  }
  ASSERT_GE(left, 0);
  const auto key_display = [&] { return Crop(left + 81, top + 145, 301, 26); };
  ASSERT_TRUE(
      WaitFor([&] { return key_display() != Crop(left + 81, top + 145, 301, 26, before_dialog); },
              10s, "the dialog's key display"));
  const std::string display_before = key_display();

  // Left Ctrl, left Shift and A held together, then let go.
  Run("xdotool keydown Control_L; sleep 0.1; xdotool keydown Shift_L; sleep 0.1; "
      "xdotool keydown a; sleep 0.1; xdotool keyup a; sleep 0.1; xdotool keyup Shift_L; "
      "sleep 0.1; xdotool keyup Control_L");
  // The hook's reports arrive on their own way: wait until they are shown.
  ASSERT_TRUE(WaitFor([&] { return key_display() != display_before; }, 10s,
                      "the keys on the dialog's display"))
      << ReadBytes(log);
  // The last release is shown when two looks in a row agree.
  std::string last_look;
  ASSERT_TRUE(WaitFor(
      [&] {
        std::string look = key_display();
        const bool settled = look == last_look;
        last_look = std::move(look);
        return settled;
      },
      10s, "the dialog's display to settle"));
  ASSERT_FALSE(FindWindow("Key Combination").empty()) << "keys must not answer the dialog";

  ClickAt(left + kOkX, top + kOkY);
  ASSERT_TRUE(
      WaitFor([&] { return FindWindow("Key Combination").empty(); }, 10s, "the dialog to close"));
  EXPECT_TRUE(WaitFor([&] { return Face() != face_before; }, 5s, "the button's new label"));

  // Apply writes the six events: presses in the order Shift, Ctrl, A, then
  // the releases in reverse.
  ClickAt(665, 684);
  ASSERT_TRUE(WaitFor([&] { return test::Exists(ProfilePath(data, 0)); }, 10s, "the profile file"))
      << ReadBytes(log);
  const SettingsBlock saved = test::LoadSavedProfiles(data);
  const ButtonRecord& record = saved.Profiles[0].Buttons[kButton];
  EXPECT_EQ(record.ButtonFunc, 7);
  EXPECT_EQ(record.ButtonID, 1);
  EXPECT_EQ(record.KeyNumber, 6);
  const std::vector<std::uint8_t> events(record.KeyEvents.begin(), record.KeyEvents.begin() + 21);
  EXPECT_EQ(events, (std::vector<std::uint8_t>{0xE1, 5, 0x80, 0xE0, 5, 0x80, 0x04, 5, 0x80,
                                               0x04, 5, 0x00, 0xE0, 5, 0x00, 0xE1, 5, 0x00,
                                               0, 0, 0}));

  // The label the button shows, computed from the saved file as the window
  // computes it.
  std::istringstream labels(
      Run("'" + std::string(kProgramDir) + "/vantixctl' labels 1 --program-dir '" +
          kProgramDir + "/'"));
  std::string label;
  for (int k = 0; k <= kButton; ++k) std::getline(labels, label);
  EXPECT_EQ(label, "LShift + LCtrl + A");
}

TEST_F(AssignE2eTest, AClickOutsideTheProgramClosesTheMenuWithoutAWindowManager) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_NO_FATAL_FAILURE(StartWindow());
  // Where the menu opens: the window's face below the button.
  const auto below = [&] { return Crop(kButtonLeft, kButtonBottom, kMenuRowWidth, 60); };
  const std::string closed = below();

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ClickAt(kButtonLeft + 74, kButtonBottom - 10);
    ASSERT_TRUE(WaitFor([&] { return below() != closed; }, 10s, "the menu"));
    // The bare screen beside the window: no window takes it, no activation
    // moves.
    ClickAt(1150, 600);
    ASSERT_TRUE(WaitFor([&] { return below() == closed; }, 10s, "the menu to close"))
        << ReadBytes(log);
  }
  // The program still takes its clicks: the menu opens again.
  ClickAt(kButtonLeft + 74, kButtonBottom - 10);
  ASSERT_TRUE(WaitFor([&] { return below() != closed; }, 10s, "the menu once more"));
}

}  // namespace
}  // namespace vantix
