// Macros and fire keys on the fake clock: runs, repeat modes, delays,
// intervals, presses while playing, and sequences cut short.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <string>
#include <vector>

#include "tests/mapper_harness.h"

namespace vantix::agent::test {
namespace {

constexpr int kButton = 5;  // source BTN_FORWARD

// A: down 50 ms; 20 ms later B tapped: one run lasts 70 ms.
MacroUpload TapMacro(std::int32_t loop_type) {
  return Macro(2, loop_type,
               {MacroEvent::Key(0x04, true), MacroEvent::Delay(5), MacroEvent::Key(0x04, false),
                MacroEvent::Delay(2), MacroEvent::Key(0x05, true), MacroEvent::Key(0x05, false)});
}

std::vector<KeyChange> TapRuns(std::initializer_list<Millis> starts) {
  std::vector<KeyChange> keys;
  for (Millis t : starts) {
    keys.push_back({t, KEY_A, 1});
    keys.push_back({t + 50, KEY_A, 0});
    keys.push_back({t + 70, KEY_B, 1});
    keys.push_back({t + 70, KEY_B, 0});
  }
  return keys;
}

TEST(MacroTest, EachLoopTypeRunsAsOftenAsItSays) {
  struct Case {
    std::string name;
    std::int32_t loop_type;
    int loop_number;
    Millis release_at;
    std::vector<KeyChange> expected;
  };
  const std::vector<Case> cases = {
      {"once", kLoopNone, 9, 10, TapRuns({0})},
      {"once though held long", kLoopNone, 9, 500, TapRuns({0})},
      {"three times", kLoopTimes, 3, 10, TapRuns({0, 70, 140})},
      {"a count of 0 plays once", kLoopTimes, 0, 10, TapRuns({0})},
      {"while held, let go in the first run", kLoopSecondMode, 0, 30, TapRuns({0})},
      {"while held, the second run finishes", kLoopSecondMode, 0, 100, TapRuns({0, 70})},
      {"while held, let go as a run ends", kLoopSecondMode, 0, 140, TapRuns({0, 70, 140})},
      {"an unknown loop type plays once", 7, 5, 200, TapRuns({0})},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.macros = {TapMacro(c.loop_type)};
    h.profile.Buttons[kButton] = MacroButton(2, c.loop_number);
    h.Apply();
    h.Press(kButton);
    h.RunUntil(c.release_at);
    h.Release(kButton);
    h.RunUntil(10000);
    EXPECT_EQ(h.Keys(), c.expected) << c.name;
    EXPECT_FALSE(h.mapper.NextDeadline()) << c.name;
  }
}

TEST(MacroTest, PlaysMouseButtonsAndSkipsWhatMapsToNothing) {
  MapperHarness h;
  h.macros = {Macro(0, kLoopNone,
                    {MacroEvent::MouseButton(1, true), MacroEvent::MouseButton(1, false),
                     MacroEvent{0x82, 2, 0}, MacroEvent{0x02, 2, 0},       // type 2 reads as 1
                     MacroEvent{0x83, 4, 0}, MacroEvent{0x03, 4, 0},       // type 3 too
                     MacroEvent::MouseButton(3, true),                      // no such button
                     MacroEvent::Key(0x82, true),                           // no Linux key
                     MacroEvent{0x45, 0x10, 0},                             // unknown type
                     MacroEvent::Delay(1), MacroEvent::Key(0x1E, true)})};  // 1, never released
  h.profile.Buttons[kButton] = MacroButton(0, 1);
  h.Apply();
  h.Click(kButton);
  h.RunUntil(100);
  const std::vector<KeyChange> expected = {
      {0, BTN_LEFT, 1},   {0, BTN_LEFT, 0},   {0, BTN_RIGHT, 1}, {0, BTN_RIGHT, 0},
      {0, BTN_MIDDLE, 1}, {0, BTN_MIDDLE, 0}, {10, KEY_1, 1},    {10, KEY_1, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(MacroTest, APressWhileItPlaysIsIgnored) {
  MapperHarness h;
  h.macros = {TapMacro(kLoopNone)};
  h.profile.Buttons[kButton] = MacroButton(2, 1);
  h.Apply();
  h.Click(kButton);
  h.RunUntil(20);
  h.Click(kButton);  // ignored: the run lasts until 70
  h.RunUntil(100);
  h.Click(kButton);
  h.RunUntil(1000);
  EXPECT_EQ(h.Keys(), TapRuns({0, 100}));
}

TEST(MacroTest, CutShortItReleasesWhatItPressedAndStops) {
  MapperHarness h;
  h.macros = {TapMacro(kLoopSecondMode)};
  h.profile.Buttons[kButton] = MacroButton(2, 1);
  h.Apply();
  h.Press(kButton);
  h.RunUntil(30);  // A is down
  h.ReleaseAll();
  EXPECT_TRUE(h.Down().empty());
  EXPECT_FALSE(h.mapper.NextDeadline());
  h.Release(kButton);  // the button's own release after the cut changes nothing
  h.RunUntil(1000);
  const std::vector<KeyChange> expected = {{0, KEY_A, 1}, {30, KEY_A, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(MacroTest, RunsWithoutDelaysRepeatNoFasterThanTheLeastInterval) {
  MapperHarness h;
  h.macros = {Macro(0, kLoopSecondMode, {MacroEvent::Key(0x04, true), MacroEvent::Key(0x04, false)})};
  h.profile.Buttons[kButton] = MacroButton(0, 1);
  h.Apply();
  h.Press(kButton);
  h.RunUntil(35);
  h.Release(kButton);
  h.RunUntil(1000);
  std::vector<KeyChange> expected;
  for (Millis t : {0, 10, 20, 30}) {
    expected.push_back({t, KEY_A, 1});
    expected.push_back({t, KEY_A, 0});
  }
  EXPECT_EQ(h.Keys(), expected);
}

TEST(MacroTest, ARunningMacroKeepsItsEventsWhenTheMacroChanges) {
  MapperHarness h;
  h.macros = {TapMacro(kLoopNone)};
  h.profile.Buttons[kButton] = MacroButton(2, 1);
  h.Apply();
  h.Click(kButton);
  h.RunUntil(10);
  h.macros = {Macro(2, kLoopNone, {MacroEvent::Key(0x06, true), MacroEvent::Key(0x06, false)})};
  h.Apply();
  h.RunUntil(100);
  h.Click(kButton);  // the next press plays the new events
  std::vector<KeyChange> expected = TapRuns({0});
  expected.push_back({100, KEY_C, 1});
  expected.push_back({100, KEY_C, 0});
  EXPECT_EQ(h.Keys(), expected);
}

TEST(MacroTest, ARepeatWhileHeldEndsWithItsButtonAcrossAProfileChange) {
  MapperHarness h;
  h.macros = {TapMacro(kLoopSecondMode)};
  h.profile.Buttons[kButton] = MacroButton(2, 1);
  h.Apply();
  h.Press(kButton);
  h.RunUntil(20);
  h.profile.Buttons[kButton] = SingleKey(0x06);
  h.Apply();
  h.RunUntil(100);  // still held: the second run is under way
  h.Release(kButton);
  h.RunUntil(1000);
  EXPECT_EQ(h.Keys(), TapRuns({0, 70}));
  h.Clear();
  h.Click(kButton);  // the new function
  const std::vector<KeyChange> expected = {{1000, KEY_C, 1}, {1000, KEY_C, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(MacroTest, TwoButtonsPlayTheirMacrosSideBySide) {
  MapperHarness h;
  h.macros = {TapMacro(kLoopNone)};
  h.profile.Buttons[kButton] = MacroButton(2, 1);
  h.profile.Buttons[kButton + 1] = MacroButton(2, 1);
  h.Apply();
  h.Click(kButton);
  h.RunUntil(60);
  h.Click(kButton + 1);  // A goes down again at 60, after the first macro let it go
  h.RunUntil(1000);
  std::vector<KeyChange> expected = {{0, KEY_A, 1},   {50, KEY_A, 0},   {60, KEY_A, 1},
                                     {70, KEY_B, 1},  {70, KEY_B, 0},   {110, KEY_A, 0},
                                     {130, KEY_B, 1}, {130, KEY_B, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

// Taps at the given times, each down for half the interval.
std::vector<KeyChange> Taps(std::uint16_t code, Millis interval, int count) {
  std::vector<KeyChange> keys;
  for (int i = 0; i < count; ++i) {
    keys.push_back({i * interval, code, 1});
    keys.push_back({i * interval + interval / 2, code, 0});
  }
  return keys;
}

TEST(FireKeyTest, TapsTheTargetTheGivenNumberOfTimesAtTheInterval) {
  struct Case {
    std::string name;
    std::uint8_t target;
    int shots;
    std::u16string interval;
    Millis release_at;
    std::vector<KeyChange> expected;
  };
  const std::vector<Case> cases = {
      {"left button, 3 shots", 0xF0, 3, u"100", 10, Taps(BTN_LEFT, 100, 3)},
      {"right button, once", 0xF1, 1, u"50", 10, Taps(BTN_RIGHT, 50, 1)},
      {"middle button, held past the shots", 0xF2, 2, u"40", 500, Taps(BTN_MIDDLE, 40, 2)},
      {"a key", 0x04, 4, u"30", 10, Taps(KEY_A, 30, 4)},
      {"interval below the least", 0x04, 3, u"5", 10, Taps(KEY_A, 10, 3)},
      {"interval 0", 0x04, 2, u"0", 10, Taps(KEY_A, 10, 2)},
      {"no interval text", 0x04, 2, u"", 10, Taps(KEY_A, 10, 2)},
      {"interval text not a number", 0x04, 2, u"x12", 10, Taps(KEY_A, 10, 2)},
      {"digits then text", 0x04, 2, u"25ms", 10, Taps(KEY_A, 25, 2)},
      {"an interval past a minute", 0x04, 2, u"99999999999999999999", 10, Taps(KEY_A, 60000, 2)},
      {"while held: let go between taps", 0xF0, 0, u"100", 260, Taps(BTN_LEFT, 100, 3)},
      {"while held: let go during a tap", 0xF0, 0, u"100", 220, Taps(BTN_LEFT, 100, 3)},
      {"while held: a quick click taps once", 0xF0, 0, u"100", 0, Taps(BTN_LEFT, 100, 1)},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.Buttons[kButton] = FireKey(c.target, c.shots, c.interval);
    h.Apply();
    h.Press(kButton);
    h.RunUntil(c.release_at);
    h.Release(kButton);
    h.RunUntil(500000);
    EXPECT_EQ(h.Keys(), c.expected) << c.name;
    EXPECT_FALSE(h.mapper.NextDeadline()) << c.name;
  }
}

TEST(FireKeyTest, APressWhileTappingIsIgnoredAndReleaseAllStopsIt) {
  MapperHarness h;
  h.profile.Buttons[kButton] = FireKey(0xF0, 5, u"100");
  h.Apply();
  h.Click(kButton);
  h.RunUntil(120);
  h.Click(kButton);  // ignored
  h.RunUntil(220);   // third tap down
  h.ReleaseAll();
  h.RunUntil(10000);
  std::vector<KeyChange> expected = Taps(BTN_LEFT, 100, 2);
  expected.push_back({200, BTN_LEFT, 1});
  expected.push_back({220, BTN_LEFT, 0});
  EXPECT_EQ(h.Keys(), expected);
}

}  // namespace
}  // namespace vantix::agent::test
