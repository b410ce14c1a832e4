// Which desktop setting takes the double-click speed, the milliseconds it
// gets, and the edit of KDE's file.
#include <gtest/gtest.h>

#include <string>

#include "app/rules/desktop_rules.h"

namespace vantix {
namespace {

TEST(DoubleClickTest, TheSliderMapsOntoTheDocumentedTableClampedAtBothEnds) {
  const int expected[] = {900, 900, 800, 700, 600, 500, 440, 380, 320, 260, 200, 200};
  for (int speed = 0; speed <= 11; ++speed) {
    EXPECT_EQ(DoubleClickMilliseconds(speed), expected[speed]) << speed;
  }
  EXPECT_EQ(DoubleClickMilliseconds(-5), 900);
  // Faster never means a longer time.
  for (int speed = 2; speed <= 10; ++speed) {
    EXPECT_LT(DoubleClickMilliseconds(speed), DoubleClickMilliseconds(speed - 1));
  }
}

struct DesktopCase {
  const char* current_desktop;
  DesktopTools tools;
  DoubleClickDesktop expected;
};

class FindDesktopTest : public ::testing::TestWithParam<DesktopCase> {};

TEST_P(FindDesktopTest, TheFirstKnownDesktopWithItsToolsDecides) {
  const DesktopCase& c = GetParam();
  EXPECT_EQ(FindDoubleClickDesktop(c.current_desktop, c.tools), c.expected) << c.current_desktop;
}

constexpr DesktopTools kAll{true, true};
constexpr DesktopTools kNoTools{false, false};

INSTANTIATE_TEST_SUITE_P(
    Desktops, FindDesktopTest,
    ::testing::Values(DesktopCase{"GNOME", kAll, DoubleClickDesktop::kGnome},
                      DesktopCase{"ubuntu:GNOME", kAll, DoubleClickDesktop::kGnome},
                      DesktopCase{"GNOME-Flashback:GNOME", kAll, DoubleClickDesktop::kGnome},
                      DesktopCase{"gnome", kAll, DoubleClickDesktop::kGnome},
                      DesktopCase{"Budgie:GNOME", kAll, DoubleClickDesktop::kGnome},
                      DesktopCase{"GNOME", kNoTools, DoubleClickDesktop::kNone},
                      DesktopCase{"KDE", kNoTools, DoubleClickDesktop::kKde},
                      DesktopCase{"XFCE", kAll, DoubleClickDesktop::kXfce},
                      DesktopCase{"XFCE", {true, false}, DoubleClickDesktop::kNone},
                      DesktopCase{"", kAll, DoubleClickDesktop::kNone},
                      DesktopCase{"MATE", kAll, DoubleClickDesktop::kNone},
                      DesktopCase{"GNOMEish", kAll, DoubleClickDesktop::kNone},
                      DesktopCase{"::X-Cinnamon:KDE", kAll, DoubleClickDesktop::kKde}));

struct KdeCase {
  const char* before;
  const char* after;
};

class KdeFileTest : public ::testing::TestWithParam<KdeCase> {};

TEST_P(KdeFileTest, SetsTheEntryInItsGroupAndKeepsEverythingElse) {
  EXPECT_EQ(WithKdeDoubleClick(GetParam().before, 380), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Files, KdeFileTest,
    ::testing::Values(
        KdeCase{"", "[KDE]\nDoubleClickInterval=380\n"},
        KdeCase{"[Mouse]\ncursorTheme=breeze\n",
                "[Mouse]\ncursorTheme=breeze\n\n[KDE]\nDoubleClickInterval=380\n"},
        KdeCase{"[KDE]\nDoubleClickInterval=400\nStartDragDist=4\n",
                "[KDE]\nDoubleClickInterval=380\nStartDragDist=4\n"},
        KdeCase{"[KDE][$i]\nDoubleClickInterval[$i]=400\n[Mouse]\nX=1\n",
                "[KDE][$i]\nDoubleClickInterval=380\n[Mouse]\nX=1\n"},
        KdeCase{"[KDE]\nStartDragDist=4\n\n[Mouse]\nDoubleClickInterval=1\n",
                "[KDE]\nStartDragDist=4\n\nDoubleClickInterval=380\n[Mouse]\n"
                "DoubleClickInterval=1\n"},
        KdeCase{"[KDE]\r\nDoubleClickIntervalX=1\r\n",
                "[KDE]\r\nDoubleClickIntervalX=1\r\nDoubleClickInterval=380\n"}));

}  // namespace
}  // namespace vantix
