// DPI stages and their notices, motion scaled by stage, pointer speed and
// acceleration without drift, and the wheel by its lines per notch.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <limits>
#include <string>
#include <vector>

#include "agent/pointer_motion.h"
#include "devicelink/agent_messages.h"
#include "tests/mapper_harness.h"

namespace vantix::agent::test {
namespace {

constexpr int kUp = 47;
constexpr int kDown = 48;
constexpr int kCycle = 49;
constexpr int kButton = 9;  // source BTN_1

TEST(DpiStageTest, ButtonsStepOverTheEnabledStagesAndTellTheWindow) {
  struct Case {
    std::string name;
    std::vector<int> enabled;
    int start;
    int function;
    std::vector<MapperNotice> notices;  // after three presses
  };
  const auto stages = [](std::initializer_list<int> list) {
    std::vector<MapperNotice> notices;
    for (int stage : list) notices.push_back({kEventDpiStage, stage});
    return notices;
  };
  const std::vector<Case> cases = {
      {"up", {0, 1, 2, 3, 4, 5}, 1, kUp, stages({2, 3, 4})},
      {"up stops at the top", {0, 1, 2, 3, 4, 5}, 4, kUp, stages({5})},
      {"down stops at the bottom", {0, 1, 2, 3, 4, 5}, 1, kDown, stages({0})},
      {"cycle wraps", {0, 1, 2, 3, 4, 5}, 4, kCycle, stages({5, 0, 1})},
      {"up skips disabled stages", {0, 2, 5}, 0, kUp, stages({2, 5})},
      {"down skips disabled stages", {0, 2, 5}, 5, kDown, stages({2, 0})},
      {"cycle over two", {1, 3}, 1, kCycle, stages({3, 1, 3})},
      {"from a disabled stage up", {0, 3}, 1, kUp, stages({3})},
      {"from a disabled stage down", {0, 3}, 1, kDown, stages({0})},
      {"from a disabled stage cycling", {0, 3}, 4, kCycle, stages({0, 3, 0})},
      {"a stored index past the stages counts as the first", {0, 1, 2, 3, 4, 5}, 6, kUp, stages({1, 2, 3})},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    for (DpiStage& stage : h.profile.Stages) stage.Enabled = 0;
    for (int k : c.enabled) h.profile.Stages[static_cast<std::size_t>(k)].Enabled = 1;
    h.profile.DPI = c.start;
    h.profile.Buttons[kButton] = WithFunction(c.function);
    h.Apply();
    for (int i = 0; i < 3; ++i) h.Click(kButton);
    EXPECT_EQ(h.mapper.TakeNotices(), c.notices) << c.name;
    EXPECT_TRUE(h.mapper.TakeNotices().empty()) << c.name;
    EXPECT_TRUE(h.sent.empty()) << c.name;
  }
}

TEST(DpiStageTest, AnApplyThatMovesTheStageTellsTheWindowToo) {
  MapperHarness h;
  h.profile.DPI = 1;
  h.Apply();
  EXPECT_TRUE(h.mapper.TakeNotices().empty());  // the first profile: the window knows it
  h.profile.Buttons[kButton] = WithFunction(kUp);
  h.Apply();
  h.Click(kButton);
  EXPECT_EQ(h.mapper.TakeNotices(), (std::vector<MapperNotice>{{kEventDpiStage, 2}}));
  h.Apply();  // files still say stage 1 (a macro notice before the next Apply)
  EXPECT_EQ(h.mapper.TakeNotices(), (std::vector<MapperNotice>{{kEventDpiStage, 1}}));
}

TEST(DpiStageTest, MotionFollowsTheActiveStageAgainstTheMousesOwnResolution) {
  struct Case {
    std::string name;
    int native;
    int stage_x;
    int stage_y;
    std::int64_t expected_x;  // for 1000 counts, one a report
    std::int64_t expected_y;
  };
  const std::vector<Case> cases = {
      {"1000 DPI stage passes motion unchanged", 0, 10, 10, 1000, 1000},
      {"1.5 without drift", 1000, 15, 15, 1500, 1500},
      {"X and Y each by their own stage", 1000, 10, 20, 1000, 2000},
      {"a third", 3000, 10, 10, 333, 333},
      {"top stage", 1000, 135, 135, 15000, 15000},
      {"own resolution 1600 at 800", 1600, 8, 8, 500, 500},
      {"a damaged stage value moves as the mouse does", 1000, 0, 200, 1000, 1000},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.Stages[1] = {1, c.stage_x, c.stage_y, 0};
    h.profile.DPI = 1;
    h.Apply();
    if (c.native != 0) h.mapper.SetNativeResolution(c.native);
    for (int i = 0; i < 1000; ++i) h.Move(1, -1);
    EXPECT_EQ(h.Total(REL_X), c.expected_x) << c.name;
    EXPECT_EQ(h.Total(REL_Y), -c.expected_y) << c.name;
  }
}

TEST(DpiStageTest, BackAndForthLeavesNoRemainderBehind) {
  MapperHarness h;
  h.profile.Stages[1] = {1, 7, 7, 1};  // 0.7
  h.profile.DPI = 1;
  h.Apply();
  for (int i = 0; i < 999; ++i) h.Move(3, 0);
  for (int i = 0; i < 999; ++i) h.Move(-3, 0);
  EXPECT_EQ(h.Total(REL_X), 0);
  h.Move(10, 0);
  EXPECT_EQ(h.Total(REL_X), 7);
}

TEST(DpiStageTest, TheNewStageScalesTheNextMotion) {
  MapperHarness h;
  h.profile.DPI = 0;  // 1000
  h.profile.Buttons[kButton] = WithFunction(kUp);
  h.Apply();
  h.Move(100, 0);
  h.Click(kButton);  // 2000
  h.Move(100, 0);
  EXPECT_EQ(h.Total(REL_X), 300);
}

TEST(PointerSpeedTest, FollowsTheClassicTable) {
  const std::vector<std::int64_t> per_3200 = {100,  200,  400,  800,  1200, 1600, 2000,
                                              2400, 2800, 3200, 4000, 4800, 5600, 6400,
                                              7200, 8000, 8800, 9600, 10400, 11200};
  for (int speed = 1; speed <= 20; ++speed) {
    MapperHarness h;
    h.profile.DPI = 0;
    h.profile.MouseSensitivity = speed;
    h.Apply();
    for (int i = 0; i < 3200; ++i) h.Move(1, 1);
    EXPECT_EQ(h.Total(REL_X), per_3200[static_cast<std::size_t>(speed - 1)]) << speed;
    EXPECT_EQ(h.Total(REL_Y), per_3200[static_cast<std::size_t>(speed - 1)]) << speed;
  }
  EXPECT_EQ(SpeedIn32nds(0), 32);  // out of range: unchanged
  EXPECT_EQ(SpeedIn32nds(21), 32);
}

TEST(PointerSpeedTest, AccelerationBoostsOnlyTheMotionAboveItsThreshold) {
  struct Case {
    int level;
    std::int32_t step;
    std::int64_t per_report;
  };
  const std::vector<Case> cases = {
      {1, 10, 10}, {1, 40, 40},
      {2, 6, 6},   {2, 10, 12},  // 6 + 4 * 1.5
      {3, 4, 4},   {3, 10, 16},  // 4 + 6 * 2
      {4, 2, 2},   {4, 10, 22},  // 2 + 8 * 2.5
      {4, -10, -22}, {9, 10, 10},  // out of range: none
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.DPI = 0;
    h.profile.Acceleration = c.level;
    h.Apply();
    for (int i = 0; i < 100; ++i) h.Move(c.step, 0);
    EXPECT_EQ(h.Total(REL_X), 100 * c.per_report) << "level " << c.level << " step " << c.step;
  }
}

TEST(WheelLinesTest, EachNotchBecomesLinesOverThreeNotches) {
  struct Case {
    int lines;
    int notches;
    std::int64_t hires;
    std::int64_t low;
  };
  const std::vector<Case> cases = {
      {3, 3, 360, 3}, {4, 3, 480, 4}, {4, 1, 160, 1}, {1, 3, 120, 1},
      {1, 2, 80, 0},  {63, 1, 2520, 21}, {6, -2, -480, -4}, {0, 3, 360, 3},  // 0: unchanged
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.WheelScrollLines = c.lines;
    h.Apply();
    for (int i = 0; i < std::abs(c.notches); ++i) {
      h.Feed(EV_REL, REL_WHEEL, c.notches > 0 ? 1 : -1);
      h.Sync();
    }
    EXPECT_EQ(h.Total(REL_WHEEL_HI_RES), c.hires) << c.lines << " lines " << c.notches;
    EXPECT_EQ(h.Total(REL_WHEEL), c.low) << c.lines << " lines " << c.notches;
  }
}

TEST(WheelLinesTest, AHiResWheelCountsOnceAndTheTiltWheelIsLeftAlone) {
  MapperHarness h;
  h.profile.WheelScrollLines = 6;
  h.Apply();
  for (int i = 0; i < 8; ++i) {  // a hi-res wheel: 30 a report, a notch every fourth
    h.Feed(EV_REL, REL_WHEEL_HI_RES, 30);
    if (i % 4 == 3) h.Feed(EV_REL, REL_WHEEL, 1);
    h.Sync();
  }
  h.Feed(EV_REL, REL_HWHEEL, 1);
  h.Feed(EV_REL, REL_HWHEEL_HI_RES, 120);
  h.Sync();
  EXPECT_EQ(h.Total(REL_WHEEL_HI_RES), 480);
  EXPECT_EQ(h.Total(REL_WHEEL), 4);
  EXPECT_EQ(h.Total(REL_HWHEEL_HI_RES), 120);
  EXPECT_EQ(h.Total(REL_HWHEEL), 1);
}

TEST(WheelLinesTest, TurningBackStartsAFreshNotch) {
  MapperHarness h;
  h.profile.WheelScrollLines = 1;  // 40 a notch
  h.Apply();
  h.Feed(EV_REL, REL_WHEEL, 1);
  h.Sync();
  h.Feed(EV_REL, REL_WHEEL, 1);
  h.Sync();  // 80 up, no whole notch yet
  for (int i = 0; i < 3; ++i) {
    h.Feed(EV_REL, REL_WHEEL, -1);
    h.Sync();
  }
  EXPECT_EQ(h.Total(REL_WHEEL_HI_RES), -40);
  EXPECT_EQ(h.Total(REL_WHEEL), -1);  // three notches down make a whole one down
}

TEST(PointerMotionTest, AReportThatRoundsToNothingSendsNoFrameAndDroppedReportsAreForgotten) {
  MapperHarness h;
  h.profile.MouseSensitivity = 1;  // 1/32
  h.profile.DPI = 0;               // 1000, as the mouse
  h.Apply();
  h.Move(1, 0);
  EXPECT_TRUE(h.sent.empty());
  h.Feed(EV_REL, REL_X, 500);
  h.Feed(EV_SYN, SYN_DROPPED, 0);
  h.Sync();
  EXPECT_TRUE(h.sent.empty());
  h.Feed(EV_REL, REL_X, 31);
  h.Sync();
  EXPECT_EQ(h.Total(REL_X), 1);
}

TEST(PointerMotionTest, HugeReportsAreCutToTheLargestValueNotWrapped) {
  MapperHarness h;
  h.profile.Stages[1] = {1, 135, 135, 1};
  h.profile.MouseSensitivity = 20;
  h.profile.Acceleration = 4;
  h.profile.WheelScrollLines = 63;
  h.Apply();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  for (int i = 0; i < 4; ++i) {
    h.Feed(EV_REL, REL_X, kMax);
    h.Feed(EV_REL, REL_Y, kMin);
    h.Feed(EV_REL, REL_WHEEL_HI_RES, kMax);
  }
  h.Sync();
  EXPECT_EQ(h.Total(REL_X), kMax);
  EXPECT_EQ(h.Total(REL_Y), kMin);
  EXPECT_EQ(h.Total(REL_WHEEL_HI_RES), kMax);
  EXPECT_GT(h.Total(REL_WHEEL), 0);
}

}  // namespace
}  // namespace vantix::agent::test
