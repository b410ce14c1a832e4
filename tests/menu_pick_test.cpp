// The assignment menu's choices as data: the pick and the dialogs' answers.
#include "assign/menu_pick.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace vantix {
namespace {

// The factory profile: button 0 alone holds the primary click.
ProfileRecord FactoryProfile() {
  SettingsBlock block;
  InitSettings(block);
  ResetProfile(block, 0);
  return block.Profiles[0];
}

struct PickCase {
  std::string name;
  int button;
  MenuPick pick;
  PickDialog dialog;
  // What the pick makes of the button's record (nothing: unchanged).
  std::function<void(ButtonRecord&)> change;
  std::function<void(ProfileRecord&)> before = nullptr;
};

void PrintTo(const PickCase& c, std::ostream* out) { *out << c.name; }

class PickFunctionTest : public ::testing::TestWithParam<PickCase> {};

TEST_P(PickFunctionTest, GivesTheRecordAndTheDialog) {
  const PickCase& c = GetParam();
  ProfileRecord profile = FactoryProfile();
  if (c.before) c.before(profile);
  ButtonRecord expected = profile.Buttons[static_cast<std::size_t>(c.button)];
  if (c.change) c.change(expected);
  const PickOutcome outcome = PickFunction(profile, c.button, c.pick);
  EXPECT_EQ(outcome.dialog, c.dialog);
  EXPECT_EQ(outcome.record, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Picks, PickFunctionTest,
    ::testing::Values(
        PickCase{"PlainItemIsStored", 3, {2, 0, 0}, PickDialog::kNone,
                 [](ButtonRecord& r) { r.ButtonFunc = 2; }},
        PickCase{"GroupStoresItsSubItemNotTheHead", 3, {8, 20, 3}, PickDialog::kNone,
                 [](ButtonRecord& r) { r.ButtonFunc = 20; }},
        PickCase{"LastGroupToo", 5, {15, 51, 1}, PickDialog::kNone,
                 [](ButtonRecord& r) { r.ButtonFunc = 51; }},
        PickCase{"FireKeyOpensItsDialog", 3, {kFireKeyFunction, 0, 0}, PickDialog::kFireKey,
                 nullptr},
        PickCase{"SingleKeyOpensItsDialog", 3, {kSingleKeyFunction, 0, 0},
                 PickDialog::kSingleKey, nullptr},
        PickCase{"CombinationOpensItsDialog", 3, {kKeyCombinationFunction, 0, 0},
                 PickDialog::kKeyCombination, nullptr},
        PickCase{"MacroEditorEntryChangesNothing", 3, {kMacroFunction, 0, kMacroEditorEntry},
                 PickDialog::kMacroEditor, nullptr},
        // The twelfth macro's key is 11, the macro code itself.
        PickCase{"MacroStoresItsKeyAndRepeatCount", 3, {kMacroFunction, 11, 4, 300},
                 PickDialog::kNone,
                 [](ButtonRecord& r) {
                   r.ButtonFunc = kMacroFunction;
                   r.KeyNumber = 11;
                   r.LoopNumber = 300 & 0xFF;
                 }},
        PickCase{"LastPrimaryClickWarns", 0, {2, 0, 0}, PickDialog::kPrimaryClickWarning,
                 nullptr},
        PickCase{"LastPrimaryClickOpensNoDialogEither", 0, {kFireKeyFunction, 0, 0},
                 PickDialog::kPrimaryClickWarning, nullptr},
        PickCase{"LastPrimaryClickPickedAgainIsNoChange", 0, {kPrimaryClickFunction, 0, 0},
                 PickDialog::kNone, nullptr},
        PickCase{"PrimaryClickElsewhereFreesTheButton", 0, {2, 0, 0}, PickDialog::kNone,
                 [](ButtonRecord& r) { r.ButtonFunc = 2; },
                 [](ProfileRecord& p) { p.Buttons[7].ButtonFunc = kPrimaryClickFunction; }}),
    [](const auto& info) { return info.param.name; });

TEST(PickFunctionTest, ButtonOutsideTheTwelveIsLeftAlone) {
  const ProfileRecord profile = FactoryProfile();
  for (const int button : {-1, kButtonCount}) {
    EXPECT_EQ(PickFunction(profile, button, {2, 0, 0}), PickOutcome{}) << button;
  }
}

// A record that shows whether a rule touched it.
ButtonRecord Marked() {
  ButtonRecord r;
  r.ButtonFunc = 30;
  r.ButtonID = 9;
  r.KeyNumber = 4;
  r.KeyEvents.fill(0x11);
  return r;
}

std::array<std::uint8_t, kKeyEventBytes> Events() {
  std::array<std::uint8_t, kKeyEventBytes> events{};
  events[0] = 0xE1;
  events[1] = 0x04;
  return events;
}

struct KeysCase {
  std::string name;
  bool combination;  // which dialog answered
  int button;
  CapturedKeys keys;
  std::function<void(ButtonRecord&)> change;
};

void PrintTo(const KeysCase& c, std::ostream* out) { *out << c.name; }

class CapturedKeysTest : public ::testing::TestWithParam<KeysCase> {};

TEST_P(CapturedKeysTest, ChangeTheRecord) {
  const KeysCase& c = GetParam();
  ButtonRecord expected = Marked();
  if (c.change) c.change(expected);
  const ButtonRecord got = c.combination ? AfterKeyCombination(Marked(), c.button, c.keys)
                                         : AfterSingleKey(Marked(), c.button, c.keys);
  EXPECT_EQ(got, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CapturedKeysTest,
    ::testing::Values(
        KeysCase{"SingleKeyStored", false, 4, {1, 0x2C, {}},
                 [](ButtonRecord& r) {
                   r.ButtonFunc = kSingleKeyFunction;
                   r.KeyEvents[0] = 0x2C;
                 }},
        KeysCase{"SingleKeyClearedFallsBack", false, 9, {1, std::nullopt, {}},
                 [](ButtonRecord& r) { r.ButtonFunc = kFallbackFunction[9]; }},
        KeysCase{"SingleKeyWithoutAKeyIsNoChange", false, 4, {0, 0x2C, {}}, nullptr},
        KeysCase{"CombinationOfOneIsASingleKey", true, 4, {1, 0x2C, Events()},
                 [](ButtonRecord& r) {
                   r.ButtonFunc = kSingleKeyFunction;
                   r.KeyEvents[0] = 0x2C;
                 }},
        KeysCase{"CombinationOfOneClearedIsNoChange", true, 4, {1, std::nullopt, Events()},
                 nullptr},
        KeysCase{"CombinationOfTwo", true, 4, {2, 0x04, Events()},
                 [](ButtonRecord& r) {
                   r.ButtonFunc = kKeyCombinationFunction;
                   r.ButtonID = 1;
                   r.KeyNumber = 4;
                   r.KeyEvents = Events();
                 }},
        KeysCase{"CombinationOfFive", true, 11, {5, 0x04, Events()},
                 [](ButtonRecord& r) {
                   r.ButtonFunc = kKeyCombinationFunction;
                   r.ButtonID = 1;
                   r.KeyNumber = 10;
                   r.KeyEvents = Events();
                 }},
        KeysCase{"CombinationOfNoneFallsBack", true, 10, {0, std::nullopt, {}},
                 [](ButtonRecord& r) { r.ButtonFunc = kFallbackFunction[10]; }},
        KeysCase{"CombinationOfSixFallsBack", true, 1, {6, 0x04, Events()},
                 [](ButtonRecord& r) { r.ButtonFunc = kFallbackFunction[1]; }}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace vantix
