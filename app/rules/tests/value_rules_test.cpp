// The main window's value rules without a window: (record, edit) in,
// (record, effects) out.
#include "app/rules/value_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vantix {
namespace {

// Stages 1..6 enabled as given, X 40 and Y 90 each, not linked.
ProfileRecord WithStages(std::array<int, kStageCount> enabled) {
  ProfileRecord p;
  for (int k = 0; k < kStageCount; ++k) p.Stages[k] = {enabled[k], 40, 90, 0};
  p.LedColor1 = 0x00332211;
  return p;
}

struct EditCase {
  std::string name;
  ProfileRecord before;
  Rgb colour;  // the colour being edited
  ValueEdit edit;
  std::function<void(ProfileRecord&)> change;  // what the edit does to before
  ValueEffects effects;
};

std::ostream& operator<<(std::ostream& out, const EditCase& c) { return out << c.name; }

class EditValueTest : public testing::TestWithParam<EditCase> {};

TEST_P(EditValueTest, ChangesTheRecordAndSaysWhatShows) {
  const EditCase& c = GetParam();
  ProfileRecord expected = c.before;
  c.change(expected);
  const ValueResult result = EditValue(c.before, c.colour, c.edit);
  EXPECT_EQ(result.record, expected);
  EXPECT_EQ(result.effects, c.effects);
}

const ProfileRecord kSome = WithStages({1, 1, 1, 1, 1, 1});
const ProfileRecord kThreeEnabled = WithStages({0, 1, 0, 1, 0, 1});
const ProfileRecord kTwoEnabled = WithStages({0, 1, 0, 0, 0, 1});
const Rgb kEdited = {0x11, 0x22, 0x33};

std::vector<EditCase> EditCases() {
  const auto none = [](ProfileRecord&) {};
  return {
      {"ReportRateFourthIsOne",
       kSome,
       kEdited,
       ReportRateClicked{3},
       [](ProfileRecord& p) { p.PollingRate = 1; },
       {.report_rate = 3}},
      {"ReportRateFirstIsEight",
       kSome,
       kEdited,
       ReportRateClicked{0},
       [](ProfileRecord& p) { p.PollingRate = 8; },
       {.report_rate = 0}},
      {"LightingModeIsStoredAndShown",
       kSome,
       kEdited,
       LightingModeClicked{4},
       [](ProfileRecord& p) { p.LedMode1 = 4; },
       {.lighting_mode = 4}},
      {"EffectGroupStoresOneToThree",
       kSome,
       kEdited,
       LightingGroupClicked{0, 2},
       [](ProfileRecord& p) { p.LedState1 = 3; },
       {.lighting_group = GroupChoice{0, 2}}},
      {"BreathingGroupStoresEightFiveOne",
       kSome,
       kEdited,
       LightingGroupClicked{1, 1},
       [](ProfileRecord& p) { p.BreathState1 = 5; },
       {.lighting_group = GroupChoice{1, 1}}},
      {"FlashingGroupStoresEightFiveOne",
       kSome,
       kEdited,
       LightingGroupClicked{2, 2},
       [](ProfileRecord& p) { p.FlashState1 = 1; },
       {.lighting_group = GroupChoice{2, 2}}},
      // Stages 2, 4 and 6 enabled: one may go, the last two stay.
      {"ThirdOfThreeStagesMayBeDisabled",
       kThreeEnabled,
       kEdited,
       StageEnableClicked{3, false},
       [](ProfileRecord& p) { p.Stages[3].Enabled = 0; },
       {}},
      {"LastTwoStagesStayEnabled",
       kTwoEnabled,
       kEdited,
       StageEnableClicked{5, false},
       [](ProfileRecord& p) { p.Stages[5].Enabled = 1; },
       {.stage_enable_refused = 5}},
      {"EnablingIsAlwaysTaken",
       kTwoEnabled,
       kEdited,
       StageEnableClicked{0, true},
       [](ProfileRecord& p) { p.Stages[0].Enabled = 1; },
       {}},
      {"LinkingCopiesXToY",
       kSome,
       kEdited,
       StageLinkClicked{2, true},
       [](ProfileRecord& p) { p.Stages[2].Linked = 1, p.Stages[2].Y = 40; },
       {.show_stage = 2}},
      {"UnlinkingKeepsXInY",
       kSome,
       kEdited,
       StageLinkClicked{2, false},
       [](ProfileRecord& p) { p.Stages[2].Y = 40; },
       {.show_stage = 2}},
      // Pointer sliders store their position and show it in their title.
      {"AccelerationSlider",
       kSome,
       kEdited,
       SliderMoved{kSliderAcceleration, 3},
       [](ProfileRecord& p) { p.Acceleration = 3; },
       {.pointer_slider = PointerShown{0, 3}}},
      {"DoubleClickSlider",
       kSome,
       kEdited,
       SliderMoved{kSliderDoubleClick, 10},
       [](ProfileRecord& p) { p.DoubleClickSpeed = 10; },
       {.pointer_slider = PointerShown{3, 10}}},
      // Stage sliders stand upright: the stored value is 136 - position.
      {"StageXSlider",
       kSome,
       kEdited,
       SliderMoved{kSliderStageX + 1, 16},
       [](ProfileRecord& p) { p.Stages[1].X = 120; },
       {.stage_labels = StageLabels{1, 12000, std::nullopt}}},
      {"StageYSlider",
       kSome,
       kEdited,
       SliderMoved{kSliderStageY + 5, 135},
       [](ProfileRecord& p) { p.Stages[5].Y = 1; },
       {.stage_labels = StageLabels{5, std::nullopt, StageToDpi(1)}}},
      {"StageXYSliderSetsBoth",
       kSome,
       kEdited,
       SliderMoved{kSliderStageXY, 15},
       [](ProfileRecord& p) { p.Stages[0].X = p.Stages[0].Y = 121; },
       {.stage_labels = StageLabels{0, 12200, 12200}}},
      {"SliderPastTheBlueOneChangesNothing",
       kSome,
       kEdited,
       SliderMoved{kSliderRed + 3, 5},
       none,
       {}},
      // Colour sliders: component = position - 1, in the colour being edited.
      {"ColourSliderReplacesOneComponent",
       kSome,
       kEdited,
       SliderMoved{kSliderRed + 1, 256},
       [](ProfileRecord& p) { p.LedColor1 = 0x33FF11; },
       {.colour = Rgb{0x11, 0xFF, 0x33}, .colour_edit = 1, .swatch = true}},
      {"ColourSliderBelowItsRangeWrapsToAByte",
       kSome,
       kEdited,
       SliderMoved{kSliderRed, 0},
       [](ProfileRecord& p) { p.LedColor1 = 0x3322FF; },
       {.colour = Rgb{0xFF, 0x22, 0x33}, .colour_edit = 0, .swatch = true}},
      // Typed values: the colour is built from all three edits.
      {"TypedPastAByteIsCutTo255",
       kSome,
       kEdited,
       ColourTyped{kEditRed, {300, 16, 0}},
       [](ProfileRecord& p) { p.LedColor1 = 0x0010FF; },
       {.colour = Rgb{255, 16, 0}, .colour_edit_cut = 0, .colour_slider = 0, .swatch = true}},
      {"TypedNoNumberOrNegativeReadsZero",
       kSome,
       kEdited,
       ColourTyped{kEditRed + 2, {std::nullopt, 7, -4}},
       [](ProfileRecord& p) { p.LedColor1 = 0x000700; },
       {.colour = Rgb{0, 7, 0}, .colour_slider = 2, .swatch = true}},
      {"AnotherEditsTagIsIgnored", kSome, kEdited, ColourTyped{kEditRed + 3, {1, 2, 3}}, none, {}},
      {"PickedColourIsStoredAndShownEverywhere",
       kSome,
       kEdited,
       ColourPicked{{0, 255, 0}},
       [](ProfileRecord& p) { p.LedColor1 = 0x00FF00; },
       {.colour = Rgb{0, 255, 0}, .colour_controls = true}},
  };
}

INSTANTIATE_TEST_SUITE_P(Edits, EditValueTest, testing::ValuesIn(EditCases()),
                         [](const auto& info) { return info.param.name; });

TEST(ValueShown, StoredValuesOutsideTheButtonsShowTheNamedDefault) {
  struct Case {
    std::int32_t polling, led, breath, flash, direct;
    int rate_button;
    LightingChoices choices;
  };
  for (const Case& c :
       {Case{8, 1, 8, 8, 0, 0, {{0, 0, 0}, 0}}, Case{1, 3, 1, 5, 1, 3, {{2, 2, 1}, 1}},
        Case{3, 0, 7, -1, 2, 1, {{0, 0, 0}, 0}},
        Case{kUnset, kUnset, kUnset, kUnset, kUnset, 1, {{0, 0, 0}, 0}}}) {
    SCOPED_TRACE(c.polling);
    ProfileRecord p;
    p.PollingRate = c.polling;
    p.LedState1 = c.led;
    p.BreathState1 = c.breath;
    p.FlashState1 = c.flash;
    p.LedDirect1 = c.direct;
    EXPECT_EQ(ReportRateShown(p.PollingRate), c.rate_button);
    EXPECT_EQ(LightingChoicesShown(p), c.choices);
  }
}

TEST(ValueShown, LightingModesShowTheirOwnControls) {
  // What each mode shows is checked on the window itself (the lighting page
  // test); here only that modes past the five leave the controls alone.
  for (int mode = 0; mode < 5; ++mode) EXPECT_TRUE(LightingModeView(mode).has_value()) << mode;
  for (int mode : {-1, 5, 255}) EXPECT_FALSE(LightingModeView(mode).has_value()) << mode;
  for (int mode : {0, 1}) EXPECT_TRUE(WheelShown(mode));
  for (int mode : {2, 3, 4, 5}) EXPECT_FALSE(WheelShown(mode));
  // A stored mode keeps its low byte; one never set shows the factory mode.
  EXPECT_EQ(ShownLightingMode(0x103), 3);
  EXPECT_TRUE(LightingModeView(ShownLightingMode(kUnset)).has_value());
}

TEST(ValueShown, StagesShowTheirSlidersAndResolutions) {
  // A linked stage shows one slider at 136 - X; the link box only for 1.
  EXPECT_EQ(StageView({1, 40, 90, 1}), (StageShown{true, true, true, 4000, 9000, 96, 46}));
  EXPECT_EQ(StageView({0, 135, 1, 0}), (StageShown{false, false, false, 15000, 100, 1, 135}));
  EXPECT_EQ(StageView({2, 10, 10, 2}), (StageShown{false, true, true, 1000, 1000, 126, 126}));
}

TEST(ValueShown, TheColourBeingEditedIsTheLowThreeBytes) {
  EXPECT_EQ(ColourOf(0x00332211), (Rgb{0x11, 0x22, 0x33}));
  EXPECT_EQ(ColourOf(0x7F0000FF), (Rgb{0xFF, 0, 0}));
  EXPECT_EQ(ColourOf(kUnset), (Rgb{0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace vantix
