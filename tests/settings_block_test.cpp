#include "settings/settings_block.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_schema.h"

namespace vantix {
namespace {

SettingsBlock Validated(const SettingsBlock& loaded, bool* repaired = nullptr) {
  SettingsBlock live;
  const bool r = ValidateSettings(loaded, live);
  if (repaired != nullptr) *repaired = r;
  return live;
}

SettingsBlock FactoryBlock() {
  SettingsBlock block;
  InitSettings(block);
  SettingsBlock live = Validated(block);
  ResetAllProfiles(live);
  return live;
}

TEST(SettingsBlockTest, InitThenValidateGivesFactoryValuesExceptTheUnvalidated) {
  SettingsBlock block;
  InitSettings(block);
  EXPECT_EQ(block.CurrentProfile, -1);
  EXPECT_EQ(block.Profiles[2].Buttons[4].ButtonID, 5);
  EXPECT_EQ(block.Profiles[2].Buttons[4].ButtonFunc, 0xFF);
  EXPECT_EQ(block.Profiles[2].Buttons[4].LoopNumber, 1);

  bool repaired = false;
  const SettingsBlock live = Validated(block, &repaired);
  EXPECT_TRUE(repaired);
  EXPECT_EQ(live.CurrentProfile, 0);
  for (int i = 0; i < kProfileCount; ++i) {
    SCOPED_TRACE("profile " + std::to_string(i));
    const ProfileRecord& p = live.Profiles[i];
    EXPECT_EQ(p.Group, i == 0 ? 1 : 0);
    for (const ProfileField& field : kProfileFields) {
      if (field.rule != RepairRule::kRange) continue;
      EXPECT_EQ(p.*field.member, field.factory_value) << field.key;
    }
    EXPECT_EQ(p.LedColor1, 0xFF);
    EXPECT_EQ(p.LedMode1, 0);  // InitSettings leaves it 0 and nothing repairs it
    EXPECT_EQ(p.LedDirect1, 0);
    for (int k = 0; k < kStageCount; ++k) {
      EXPECT_EQ(p.Stages[k], (DpiStage{1, kDefaultStageValue[k], kDefaultStageValue[k], 0}));
    }
    for (int b = 0; b < kButtonCount; ++b) {
      EXPECT_EQ(p.Buttons[b].ButtonFunc, kFallbackFunction[b]);
      EXPECT_EQ(p.Buttons[b].ButtonID, b + 1);
    }
  }
}

struct RepairCase {
  const char* field;
  std::int32_t value;
  std::int32_t expected;
};

class FieldRepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(FieldRepairTest, RepairsOnlyWhatIsOutOfRange) {
  const RepairCase& c = GetParam();
  SettingsBlock loaded = FactoryBlock();
  const ProfileField* field = nullptr;
  for (const ProfileField& f : kProfileFields) {
    if (f.key == c.field) field = &f;
  }
  ASSERT_NE(field, nullptr);
  loaded.Profiles[3].*field->member = c.value;
  bool repaired = false;
  const SettingsBlock live = Validated(loaded, &repaired);
  EXPECT_EQ(live.Profiles[3].*field->member, c.expected);
  EXPECT_EQ(repaired, c.value != c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldRepairTest,
    ::testing::Values(
        RepairCase{"PollingRate", 3, 3}, RepairCase{"PollingRate", 8, 8},
        RepairCase{"PollingRate", 9, 2}, RepairCase{"PollingRate", -1, 2},
        RepairCase{"DPI", 6, 6}, RepairCase{"DPI", 7, 1}, RepairCase{"DPI", -1, 1},
        RepairCase{"MouseSensitivity", 0, 10}, RepairCase{"MouseSensitivity", 20, 20},
        RepairCase{"MouseSensitivity", 21, 10}, RepairCase{"WheelScrollLines", 63, 63},
        RepairCase{"WheelScrollLines", 64, 3}, RepairCase{"DoubleClickSpeed", 0, 0},
        RepairCase{"DoubleClickSpeed", 11, 5}, RepairCase{"Acceleration", 5, 1},
        RepairCase{"OFASensitivity", -1, 10}, RepairCase{"MouseSpeedY", 11, 10},
        RepairCase{"LedState1", 44, 44}, RepairCase{"LedState1", 45, 2},
        RepairCase{"BreathState1", 0, 5}, RepairCase{"FlashState1", 11, 5},
        RepairCase{"ANGLE", 2, 0}, RepairCase{"LIFT", 6, 3},
        RepairCase{"DPICurrentX", 136, 14}, RepairCase{"DPICurrentY", 0, 14},
        RepairCase{"DPIStageNum", 5, 6}, RepairCase{"UniversalScrollEnabled", 2, 0},
        RepairCase{"XYSensitivityEnabled", -1, 0},
        // Only the unset marker is repaired in these; other values are kept.
        RepairCase{"LedColor1", -1, 0xFF}, RepairCase{"LedColor1", -2, -2},
        RepairCase{"Group", -1, 0}, RepairCase{"Group", 7, 7},
        // Never repaired: the agent may report other modes.
        RepairCase{"LedMode1", -1, -1}, RepairCase{"LedMode1", 9, 9},
        RepairCase{"LedDirect1", 5, 5}));

TEST(SettingsBlockTest, CurrentProfileIsComparedUnsigned) {
  for (const auto& [value, expected] : {std::pair{4, 4}, {5, 0}, {-1, 0}, {0, 0}}) {
    SettingsBlock loaded = FactoryBlock();
    loaded.CurrentProfile = value;
    EXPECT_EQ(Validated(loaded).CurrentProfile, expected) << value;
  }
}

TEST(SettingsBlockTest, OnlyAStageWithZeroXIsRepairedAndKeepsItsLink) {
  SettingsBlock loaded = FactoryBlock();
  loaded.Profiles[0].Stages[1] = DpiStage{0, 0, 70, 1};
  loaded.Profiles[0].Stages[2] = DpiStage{0, 200, -5, 7};  // kept: only X == 0 counts
  const SettingsBlock live = Validated(loaded);
  EXPECT_EQ(live.Profiles[0].Stages[1], (DpiStage{1, 20, 20, 1}));
  EXPECT_EQ(live.Profiles[0].Stages[2], (DpiStage{0, 200, -5, 7}));
}

TEST(SettingsBlockTest, AValidBlockNeedsNoRepair) {
  bool repaired = true;
  const SettingsBlock factory = FactoryBlock();
  EXPECT_EQ(Validated(factory, &repaired), factory);
  EXPECT_FALSE(repaired);
}

TEST(SettingsBlockTest, ResetKeepsGroupButtonIdAndLoopNumber) {
  SettingsBlock block = FactoryBlock();
  ProfileRecord& p = block.Profiles[2];
  p.Group = 1;
  p.PollingRate = 8;
  p.LedColor1 = 0x123456;
  p.Stages[0] = DpiStage{0, 77, 78, 0};
  for (int b = 0; b < kButtonCount; ++b) {
    p.Buttons[b].ButtonID = static_cast<std::uint8_t>(40 + b);
    p.Buttons[b].LoopNumber = static_cast<std::uint8_t>(200 + b);
    p.Buttons[b].ButtonFunc = 11;
    p.Buttons[b].KeyNumber = 9;
    p.Buttons[b].KeyEvents.fill(0xAB);
    p.Buttons[b].MacroName.fill(u'x');
  }
  const ProfileRecord before = p;
  ResetProfile(block, 2);

  EXPECT_EQ(p.Group, 1);
  EXPECT_EQ(p.PollingRate, 2);
  EXPECT_EQ(p.LedMode1, 3);
  EXPECT_EQ(p.LedColor1, 0xFF);
  for (int k = 0; k < kStageCount; ++k) {
    EXPECT_EQ(p.Stages[k], (DpiStage{1, kDefaultStageValue[k], kDefaultStageValue[k], 1}));
  }
  for (int b = 0; b < kButtonCount; ++b) {
    SCOPED_TRACE("button " + std::to_string(b + 1));
    const ButtonRecord& button = p.Buttons[b];
    EXPECT_EQ(button.ButtonID, before.Buttons[b].ButtonID);
    EXPECT_EQ(button.LoopNumber, before.Buttons[b].LoopNumber);
    EXPECT_EQ(button.ButtonFunc, kFallbackFunction[b]);
    EXPECT_EQ(button.KeyNumber, 0);
    // Buttons 4 to 9 send the keys 1 to 6 (usages 30..35); all else is cleared.
    const int first = (b >= 3 && b <= 8) ? 30 + (b - 3) : 0;
    EXPECT_EQ(button.KeyEvents[0], first);
    for (std::size_t i = 1; i < kKeyEventBytes; ++i) ASSERT_EQ(button.KeyEvents[i], 0);
    for (const char16_t unit : button.MacroName) ASSERT_EQ(unit, 0);
  }
  EXPECT_EQ(block.Profiles[1], FactoryBlock().Profiles[1]);  // others untouched
}

TEST(SettingsBlockTest, ResetAllMakesTheFirstProfileCurrent) {
  SettingsBlock block = FactoryBlock();
  block.CurrentProfile = 3;
  block.Profiles[4].DPI = 5;
  block.Profiles[4].Group = 1;
  ResetAllProfiles(block);
  EXPECT_EQ(block.CurrentProfile, 0);
  EXPECT_EQ(block.Profiles[4].DPI, 1);
  EXPECT_EQ(block.Profiles[4].Group, 1);
}

TEST(SettingsBlockTest, StageToDpi) {
  for (const auto& [stage, dpi] :
       {std::pair{1, 100}, {10, 1000}, {120, 12000}, {121, 12200}, {130, 14000}, {135, 15000}}) {
    EXPECT_EQ(StageToDpi(stage), dpi) << stage;
  }
}

TEST(SettingsBlockTest, StagesPackAsTwentyFourLittleEndianIntegers) {
  std::array<DpiStage, kStageCount> stages{};
  stages[0] = DpiStage{1, 0x0A0B0C0D, -1, 0};
  stages[5] = DpiStage{0, 0, 0, 0x7F};
  const auto bytes = PackStages(stages);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[4], 0x0D);
  EXPECT_EQ(bytes[7], 0x0A);
  EXPECT_EQ(bytes[8], 0xFF);
  EXPECT_EQ(bytes[11], 0xFF);
  EXPECT_EQ(bytes[92], 0x7F);
  std::array<DpiStage, kStageCount> back{};
  UnpackStages(bytes, back);
  EXPECT_EQ(back, stages);
}

TEST(SettingsBlockTest, CurrentRecordFollowsCurrentProfile) {
  SettingsBlock block = FactoryBlock();
  block.CurrentProfile = 3;
  EXPECT_EQ(&CurrentRecord(block), &block.Profiles[3]);
  block.CurrentProfile = -1;  // only before validation; must not index out of range
  EXPECT_EQ(&CurrentRecord(block), &block.Profiles[0]);
}

}  // namespace
}  // namespace vantix
