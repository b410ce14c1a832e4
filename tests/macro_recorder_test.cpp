// Recording key reports into a macro with a clock the test turns, and the
// editor's event operations by list position.
#include "macro/macro_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantix {
namespace {

constexpr KeyCode kA = 30;  // usage 0x04
constexpr KeyCode kB = 48;  // usage 0x05
constexpr std::int64_t kPress = 0;
constexpr std::int64_t kRelease = 0x80;

MacroEvent Press(std::uint8_t usage) { return MacroEvent::Key(usage, true); }
MacroEvent Release(std::uint8_t usage) { return MacroEvent::Key(usage, false); }

std::vector<MacroEvent> Events(const MacroData& macro) {
  return {macro.events.begin(), macro.events.begin() + macro.count};
}

class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() {
    // Every test starts from a report no test sends, so that the repeat
    // filter that lives for the whole process forgets the last test.
    recorder.Start(macro, false);
    recorder.OnHookKey(macro, 0xFF, 0x81, -1, "");
    recorder.Stop();
    macro = MacroData{};
    macro.name = "m";
  }
  std::vector<MacroRecorder::Step> Key(KeyCode code, std::int64_t flags, int selected = -1) {
    return recorder.OnHookKey(macro, code, flags, selected, delay_box);
  }
  // The clock after `ms` more milliseconds.
  void Wait(std::uint32_t ms) { now += ms; }

  std::uint32_t now = 1000;
  std::string delay_box = "10";
  MacroData macro;
  MacroRecorder recorder{[this] { return now; }};
};

TEST_F(RecorderTest, WithoutDelaysAKeyTapIsTwoEvents) {
  macro.DelayType = kDelayNone;
  recorder.Start(macro, false);
  Key(kA, kPress);
  Wait(500);
  const auto steps = Key(kA, kRelease);
  EXPECT_EQ(Events(macro), (std::vector{Press(4), Release(4)}));
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].row, 1);
  EXPECT_EQ(steps[0].key_code, std::optional<KeyCode>(kA));
}

TEST_F(RecorderTest, DelaysFollowTheDelayType) {
  struct Case {
    const char* what;
    std::int32_t delay_type;
    const char* box;
    std::uint32_t gap_ms;
    std::optional<std::uint16_t> units;  // the delay before the second key, if any
  };
  const std::vector<Case> cases = {
      {"measured 1234 ms", kDelayMeasured, "", 1234, 123},
      {"measured under 10 ms", kDelayMeasured, "", 9, std::nullopt},
      {"measured exactly 10 ms", kDelayMeasured, "", 10, 1},
      {"measured over 65535 ms", kDelayMeasured, "", 70000, 6553},
      {"fixed 5 is raised to 10", kDelayFixed, "5", 3, 1},
      {"fixed 1234", kDelayFixed, "1234", 70000, 123},
      {"fixed, box not a number", kDelayFixed, "x", 500, 1},
      {"fixed 99999 is capped", kDelayFixed, "99999", 0, 6553},
      {"no delays", kDelayNone, "1234", 5000, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    macro = MacroData{};
    macro.DelayType = c.delay_type;
    delay_box = c.box;
    recorder.Start(macro, false);
    Wait(777);  // time before the first report never counts
    Key(kA, kPress);
    Wait(c.gap_ms);
    Key(kA, kRelease);
    std::vector<MacroEvent> expected{Press(4)};
    if (c.units) expected.push_back(MacroEvent::Delay(*c.units));
    expected.push_back(Release(4));
    EXPECT_EQ(Events(macro), expected);
  }
}

TEST_F(RecorderTest, MeasuredDelaySurvivesTheTickWrapping) {
  macro.DelayType = kDelayMeasured;
  recorder.Start(macro, false);
  now = 0xFFFFFF00u;
  Key(kA, kPress);
  now = 0x00000100u;  // 512 ms later
  Key(kA, kRelease);
  EXPECT_EQ(Events(macro), (std::vector{Press(4), MacroEvent::Delay(51), Release(4)}));
}

TEST_F(RecorderTest, RepeatedReportsAreDroppedAcrossRecordings) {
  macro.DelayType = kDelayNone;
  recorder.Start(macro, false);
  Key(kA, kPress);
  EXPECT_TRUE(Key(kA, kPress).empty()) << "a held key is one press";
  Key(kA, kRelease);
  EXPECT_EQ(macro.count, 2);

  // The release that ended the last recording is the first report of the next.
  recorder.Start(macro, false);
  EXPECT_TRUE(Key(kA, kRelease).empty());
  EXPECT_EQ(macro.count, 0);
  EXPECT_FALSE(Key(kB, kPress).empty());
}

TEST_F(RecorderTest, ReportsOutsideARecordingAreIgnored) {
  macro.DelayType = kDelayNone;
  EXPECT_TRUE(Key(kA, kPress).empty());
  recorder.Start(macro, false);
  Key(kA, kPress);
  recorder.Stop();
  EXPECT_TRUE(Key(kA, kRelease).empty());
  EXPECT_EQ(macro.count, 1);
  recorder.Start(macro, true);
  EXPECT_TRUE(recorder.OnHookKey(macro, 300, kPress, 0, "").empty()) << "not a key code";
}

TEST_F(RecorderTest, ReportsNeedRoomForADelayAndAKey) {
  macro.DelayType = kDelayFixed;
  delay_box = "20";
  for (const int filled : {61, 62}) {
    SCOPED_TRACE(filled);
    recorder.Start(macro, false);
    Key(kA, kPress);  // the first report: no delay
    while (macro.count < filled) InsertEvent(macro, macro.count, MacroEvent::Delay(1));
    const auto steps = Key(kB, kPress);
    if (filled == 61) {
      ASSERT_EQ(steps.size(), 2u);
      EXPECT_EQ(macro.count, 63);
      EXPECT_EQ(macro.events[61], MacroEvent::Delay(2));
      EXPECT_EQ(macro.events[62], Press(5));
    } else {
      EXPECT_TRUE(steps.empty());
      EXPECT_EQ(macro.count, 62);
    }
  }
}

TEST_F(RecorderTest, ReplaceModeEmptiesTheMacro) {
  macro.DelayType = kDelayNone;
  InsertEvent(macro, 0, Press(9));
  recorder.Start(macro, false);
  EXPECT_EQ(macro.count, 0);
  EXPECT_EQ(macro.events, MacroEventBlock{});
}

TEST_F(RecorderTest, InsertModePutsNewEventsAfterTheSelectedRow) {
  macro.DelayType = kDelayMeasured;
  const std::vector<MacroEvent> old = {Press(10), Release(10), Press(11), Release(11), Press(12)};
  for (const MacroEvent& e : old) InsertEvent(macro, macro.count, e);
  recorder.Start(macro, true);
  std::vector<int> rows;
  for (const auto& step : Key(kA, kPress, 2)) rows.push_back(step.row);
  Wait(1500);
  for (const auto& step : Key(kA, kRelease, 3)) rows.push_back(step.row);
  EXPECT_EQ(rows, (std::vector{3, 4, 5}));
  EXPECT_EQ(Events(macro), (std::vector{Press(10), Release(10), Press(11), Press(4),
                                        MacroEvent::Delay(150), Release(4), Release(11),
                                        Press(12)}));
}

TEST_F(RecorderTest, InsertModeWithoutSelectionStartsAtTheTop) {
  macro.DelayType = kDelayNone;
  InsertEvent(macro, 0, Press(10));
  recorder.Start(macro, true);
  const auto steps = Key(kA, kPress, -1);
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].row, 0);
  EXPECT_EQ(Events(macro), (std::vector{Press(4), Press(10)}));
}

TEST(PressReleaseCheck, PairsByCodeWhateverTheOrder) {
  struct Case {
    const char* what;
    std::vector<MacroEvent> events;
    bool passes;
  };
  const std::uint8_t shift = 0xE1;
  const std::vector<Case> cases = {
      {"empty", {}, true},
      {"shift A", {Press(shift), Press(4), Release(4), Release(shift)}, true},
      {"A held", {Press(4)}, false},
      {"release first", {Release(4), Press(4)}, true},
      {"two presses, one release", {Press(4), Press(4), Release(4)}, false},
      {"mouse button against a key of the same code",
       {MacroEvent::MouseButton(4, true), Release(4)}, true},
      {"delays are not checked", {MacroEvent::Delay(4)}, true},
      {"other release", {Press(4), Release(5)}, false},
  };
  for (const Case& c : cases) {
    MacroData macro;
    for (const MacroEvent& e : c.events) InsertEvent(macro, macro.count, e);
    EXPECT_EQ(CheckPressRelease(macro), c.passes) << c.what;
  }
}

TEST(EventOperations, KeepTheBlockPackedAndRefuseOutOfRange) {
  MacroData macro;
  for (int i = 0; i < kMacroEventCapacity; ++i) {
    ASSERT_TRUE(InsertEvent(macro, macro.count, MacroEvent::Delay(static_cast<std::uint16_t>(i + 1))));
  }
  EXPECT_FALSE(InsertEvent(macro, 0, Press(4))) << "a 64th event";
  EXPECT_TRUE(EraseEvent(macro, 62));
  EXPECT_EQ(macro.events[62], MacroEvent{});
  EXPECT_TRUE(EraseEvent(macro, 0));
  EXPECT_EQ(macro.events[0], MacroEvent::Delay(2));
  EXPECT_EQ(macro.count, 61);
  EXPECT_FALSE(EraseEvent(macro, 61));
  EXPECT_FALSE(EraseEvent(macro, -1));
  EXPECT_FALSE(SwapEvents(macro, -1, 0));
  EXPECT_FALSE(SwapEvents(macro, 60, 61));
  EXPECT_TRUE(SwapEvents(macro, 0, 60));
  EXPECT_EQ(macro.events[0], MacroEvent::Delay(62));
  EXPECT_FALSE(InsertEvent(macro, 63, Press(4)));
  EXPECT_FALSE(InsertEvent(macro, -1, Press(4)));
}

TEST(EventOperations, PackingPutsListedEventsFirstAndKeepsTheRest) {
  MacroEventBlock block{};
  block[1] = Press(4);
  block[2] = MacroEvent{0x05, 7, 7};  // a type no list shows
  block[4] = Release(4);
  PackListedEvents(block);
  EXPECT_EQ(block[0], Press(4));
  EXPECT_EQ(block[1], Release(4));
  EXPECT_EQ(block[2], (MacroEvent{0x05, 7, 7}));
  EXPECT_EQ(block[3], MacroEvent{});
}

TEST(EventOperations, DelayTotalsAndEditedDelays) {
  MacroEventBlock block{};
  block[0] = MacroEvent::Delay(123);
  block[1] = Press(4);
  block[2] = MacroEvent::Delay(6553);
  EXPECT_EQ(TotalDelayMs(block), 1230 + 65530);
  EXPECT_EQ(EditedDelayUnits(1234), 123);
  EXPECT_EQ(EditedDelayUnits(99999), 9999);
  EXPECT_EQ(EditedDelayUnits(100000), 9999);
  EXPECT_EQ(EditedDelayUnits(-5), 0);
}

TEST(LeadingDecimalTest, ReadsAsTheEditBoxesDo) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"10", 10},   {"", 0},      {"abc", 0},         {"  42x", 42},
      {"-7", -7},   {"+5", 5},    {"00300", 300},     {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(LeadingDecimal(text), value) << text;
}

}  // namespace
}  // namespace vantix
