// What each button function sends on the virtual device, what passes
// through, and what a held button releases when the profile changes.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <vector>

#include "tests/mapper_harness.h"

namespace vantix::agent::test {
namespace {

constexpr int kButton4 = 3;  // source BTN_SIDE
constexpr int kButton5 = 4;  // source BTN_EXTRA

// Functions that hold keys while the button is held: pressed in order,
// released last first.
struct HoldCase {
  int code;
  std::vector<std::uint16_t> keys;
};

class HoldFunctionTest : public ::testing::TestWithParam<HoldCase> {};

TEST_P(HoldFunctionTest, PressesAtPressAndReleasesAtRelease) {
  const HoldCase& c = GetParam();
  MapperHarness h;
  h.profile.Buttons[kButton4] = WithFunction(c.code);
  h.Apply();
  h.Press(kButton4);
  h.RunUntil(40);
  h.Release(kButton4);
  std::vector<KeyChange> expected;
  for (std::uint16_t key : c.keys) expected.push_back({0, key, 1});
  for (auto it = c.keys.rbegin(); it != c.keys.rend(); ++it) expected.push_back({40, *it, 0});
  EXPECT_EQ(h.Keys(), expected);
  EXPECT_EQ(h.Total(REL_X) + h.Total(REL_WHEEL), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, HoldFunctionTest,
    ::testing::Values(
        HoldCase{1, {BTN_LEFT}}, HoldCase{2, {BTN_RIGHT}}, HoldCase{3, {BTN_MIDDLE}},
        HoldCase{4, {BTN_EXTRA}}, HoldCase{5, {BTN_SIDE}},
        HoldCase{21, {KEY_LEFTCTRL, KEY_C}}, HoldCase{22, {KEY_LEFTCTRL, KEY_V}},
        HoldCase{23, {KEY_LEFTCTRL, KEY_X}}, HoldCase{24, {KEY_LEFTCTRL, KEY_Z}},
        HoldCase{25, {KEY_WWW}}, HoldCase{26, {KEY_MAIL}}, HoldCase{27, {KEY_CALC}},
        HoldCase{28, {KEY_FILE}}, HoldCase{29, {KEY_SEARCH}}, HoldCase{30, {KEY_REFRESH}},
        HoldCase{31, {KEY_STOP}}, HoldCase{32, {KEY_HOMEPAGE}}, HoldCase{33, {KEY_BOOKMARKS}},
        HoldCase{34, {KEY_SCREENLOCK}}, HoldCase{35, {KEY_LEFTMETA, KEY_D}},
        HoldCase{36, {KEY_LEFTCTRL, KEY_EQUAL}}, HoldCase{37, {KEY_LEFTCTRL, KEY_MINUS}},
        HoldCase{38, {KEY_LEFTALT, KEY_TAB}}, HoldCase{39, {KEY_PLAYPAUSE}},
        HoldCase{40, {KEY_STOPCD}}, HoldCase{41, {KEY_PREVIOUSSONG}}, HoldCase{42, {KEY_NEXTSONG}},
        HoldCase{43, {KEY_VOLUMEUP}}, HoldCase{44, {KEY_VOLUMEDOWN}}, HoldCase{45, {KEY_MUTE}},
        HoldCase{46, {KEY_MEDIA}}, HoldCase{54, {BTN_MIDDLE}}),
    [](const auto& info) { return "Code" + std::to_string(info.param.code); });

TEST(InputMapperTest, PressOnlyFunctionsSendTheirFramesAtPress) {
  struct Case {
    int code;
    std::vector<InputEvent> events;
  };
  const InputEvent syn{EV_SYN, SYN_REPORT, 0};
  const auto key = [](std::uint16_t code, std::int32_t value) { return InputEvent{EV_KEY, code, value}; };
  const auto rel = [](std::uint16_t code, std::int32_t value) { return InputEvent{EV_REL, code, value}; };
  const std::vector<Case> cases = {
      {14, {key(BTN_LEFT, 1), syn, key(BTN_LEFT, 0), syn, key(BTN_LEFT, 1), syn, key(BTN_LEFT, 0), syn}},
      {17, {rel(REL_WHEEL, 1), rel(REL_WHEEL_HI_RES, 120), syn}},
      {18, {rel(REL_WHEEL, -1), rel(REL_WHEEL_HI_RES, -120), syn}},
      {19, {rel(REL_HWHEEL, -1), rel(REL_HWHEEL_HI_RES, -120), syn}},
      {20, {rel(REL_HWHEEL, 1), rel(REL_HWHEEL_HI_RES, 120), syn}},
      {52, {rel(REL_WHEEL, 1), rel(REL_WHEEL_HI_RES, 120), syn}},
      {53, {rel(REL_WHEEL, -1), rel(REL_WHEEL_HI_RES, -120), syn}},
      // Nothing on purpose; the report rate lives in the mouse's firmware.
      {16, {}}, {50, {}}, {51, {}},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.Buttons[kButton4] = WithFunction(c.code);
    h.profile.WheelScrollLines = 9;  // a button's notch is one notch whatever the lines
    h.Apply();
    h.Press(kButton4);
    std::vector<InputEvent> sent;
    for (const Sent& s : h.sent) sent.push_back(s.event);
    EXPECT_EQ(sent, c.events) << "code " << c.code;
    h.Clear();
    h.Release(kButton4);
    EXPECT_TRUE(h.sent.empty()) << "code " << c.code;
  }
}

TEST(InputMapperTest, AFunctionWithNothingToSendKeepsTheButtonItself) {
  ButtonRecord empty_combination = WithFunction(7);
  ButtonRecord unmapped_combination = Combination({0x01, 0x82});
  const std::vector<std::pair<std::string, ButtonRecord>> cases = {
      {"single key 0", SingleKey(0)},
      {"single key the kernel ignores", SingleKey(0x03)},
      {"single key the kernel knows only as unknown", SingleKey(0x82)},
      {"empty combination", empty_combination},
      {"combination of unmapped keys", unmapped_combination},
      {"macro of a free slot", MacroButton(4, 1)},
      {"macro without events", MacroButton(0, 1)},
      {"macro of delays only", MacroButton(1, 1)},
      {"fire key without a key", FireKey(0, 3, u"100")},
      {"fire key of an unmapped usage", FireKey(0x82, 3, u"100")},
      {"code 0", WithFunction(0)},
      {"group head 8", WithFunction(8)},
      {"group head 13", WithFunction(13)},
      {"code 55", WithFunction(55)},
      {"code 255", WithFunction(255)},
  };
  for (const auto& [name, record] : cases) {
    MapperHarness h;
    h.macros = {Macro(0, kLoopNone, {}), Macro(1, kLoopNone, {MacroEvent::Delay(5)})};
    h.profile.Buttons[kButton5] = record;
    h.Apply();
    h.Press(kButton5);
    h.RunUntil(30);
    h.Release(kButton5);
    const std::vector<KeyChange> expected = {{0, BTN_EXTRA, 1}, {30, BTN_EXTRA, 0}};
    EXPECT_EQ(h.Keys(), expected) << name;
    EXPECT_FALSE(h.mapper.NextDeadline()) << name;
  }
}

TEST(InputMapperTest, SingleKeySendsTheKernelsKeyForTheUsage) {
  MapperHarness h;  // factory: buttons 4..9 type 1..6
  h.Apply();
  for (int button = 3; button <= 8; ++button) h.Click(button);
  const std::vector<KeyChange> expected = {
      {0, KEY_1, 1}, {0, KEY_1, 0}, {0, KEY_2, 1}, {0, KEY_2, 0}, {0, KEY_3, 1}, {0, KEY_3, 0},
      {0, KEY_4, 1}, {0, KEY_4, 0}, {0, KEY_5, 1}, {0, KEY_5, 0}, {0, KEY_6, 1}, {0, KEY_6, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, CombinationPressesInStoredOrderAndReleasesInStoredOrder) {
  MapperHarness h;
  h.profile.Buttons[kButton4] = Combination({0xE0, 0xE1, 0x04});  // Ctrl, Shift, A
  // The same keys with releases stored Ctrl first (a file not of our making).
  ButtonRecord odd = Combination({0xE2, 0x2B});  // Alt, Tab
  odd.KeyEvents[6] = 0xE2;
  odd.KeyEvents[9] = 0x2B;
  h.profile.Buttons[kButton5] = odd;
  h.Apply();
  h.Press(kButton4);
  h.RunUntil(10);
  h.Release(kButton4);
  h.Press(kButton5);
  h.RunUntil(20);
  h.Release(kButton5);
  const std::vector<KeyChange> expected = {
      {0, KEY_LEFTCTRL, 1},  {0, KEY_LEFTSHIFT, 1},  {0, KEY_A, 1},
      {10, KEY_A, 0},        {10, KEY_LEFTSHIFT, 0}, {10, KEY_LEFTCTRL, 0},
      {10, KEY_LEFTALT, 1},  {10, KEY_TAB, 1},       {20, KEY_LEFTALT, 0},
      {20, KEY_TAB, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, CombinationWithoutStoredReleasesStillLetsEveryKeyGo) {
  MapperHarness h;
  ButtonRecord record = Combination({0xE0, 0x06});  // Ctrl, C
  record.KeyEvents[6] = record.KeyEvents[9] = 0;     // releases lost
  record.KeyNumber = 200;                            // and a count past the block
  h.profile.Buttons[kButton4] = record;
  h.Apply();
  h.Click(kButton4);
  const std::vector<KeyChange> expected = {
      {0, KEY_LEFTCTRL, 1}, {0, KEY_C, 1}, {0, KEY_C, 0}, {0, KEY_LEFTCTRL, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, AKeyHeldByTwoButtonsGoesUpWithTheLastOfThem) {
  MapperHarness h;
  h.profile.Buttons[kButton4] = SingleKey(0xE0);           // Ctrl
  h.profile.Buttons[kButton5] = Combination({0xE0, 0x06}); // Ctrl+C
  h.Apply();
  h.Press(kButton4);
  h.Press(kButton5);
  h.now = 10;
  h.Release(kButton4);  // Ctrl stays: button 5 still holds it
  h.now = 20;
  h.Release(kButton5);
  const std::vector<KeyChange> expected = {
      {0, KEY_LEFTCTRL, 1}, {0, KEY_C, 1}, {20, KEY_C, 0}, {20, KEY_LEFTCTRL, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, AButtonHeldAcrossAProfileChangeReleasesWhatItPressed) {
  struct Case {
    std::string name;
    ButtonRecord before;
    ButtonRecord after;
    std::vector<KeyChange> expected;
  };
  const std::vector<Case> cases = {
      {"single key to combination", SingleKey(0x1E), Combination({0xE0, 0x06}),
       {{0, KEY_1, 1}, {10, KEY_1, 0}, {20, KEY_LEFTCTRL, 1}, {20, KEY_C, 1}}},
      {"combination to pass-through", Combination({0xE0, 0x06}), SingleKey(0),
       {{0, KEY_LEFTCTRL, 1}, {0, KEY_C, 1}, {10, KEY_C, 0}, {10, KEY_LEFTCTRL, 0}, {20, BTN_SIDE, 1}}},
      {"mouse button to nothing", WithFunction(2), WithFunction(16), {{0, BTN_RIGHT, 1}, {10, BTN_RIGHT, 0}}},
      {"nothing to a key", WithFunction(16), SingleKey(0x04), {{20, KEY_A, 1}}},
  };
  for (const Case& c : cases) {
    MapperHarness h;
    h.profile.Buttons[kButton4] = c.before;
    h.Apply();
    h.Press(kButton4);
    h.profile.Buttons[kButton4] = c.after;
    h.Apply();
    h.now = 10;
    h.Release(kButton4);
    h.now = 20;
    h.Press(kButton4);
    EXPECT_EQ(h.Keys(), c.expected) << c.name;
  }
}

TEST(InputMapperTest, BeforeAnyProfileEveryButtonIsItself) {
  MapperHarness h;
  for (int button = 0; button < kButtonCount; ++button) h.Click(button);
  std::vector<KeyChange> expected;
  for (std::uint16_t code : InputMapper::SourceButtonCodes()) {
    expected.push_back({0, code, 1});
    expected.push_back({0, code, 0});
  }
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, OtherKeysOfTheSourcePassAndOtherEventsAreDropped) {
  MapperHarness h;
  h.Apply();
  h.Feed(EV_MSC, MSC_SCAN, 0x90001);
  h.Feed(EV_KEY, KEY_VOLUMEUP, 1);
  h.Feed(EV_KEY, KEY_VOLUMEUP, 2);  // autorepeat: the desktop repeats itself
  h.Feed(EV_KEY, BTN_TOOL_PEN, 1);  // not a key of the virtual device
  h.Feed(EV_REL, REL_DIAL, 3);
  h.Feed(EV_KEY, KEY_VOLUMEUP, 0);
  h.Feed(EV_KEY, KEY_VOLUMEDOWN, 0);  // up without a down: pressed before the grab
  h.Sync();
  const std::vector<KeyChange> expected = {{0, KEY_VOLUMEUP, 1}, {0, KEY_VOLUMEUP, 0}};
  EXPECT_EQ(h.Keys(), expected);
  EXPECT_EQ(h.sent.size(), 4u);  // the two key frames; the dial and scan code went nowhere
}

TEST(InputMapperTest, ReleaseBeforeAnyPressAndRepeatedPressesChangeNothing) {
  MapperHarness h;
  h.Apply();
  h.Release(0);
  h.Press(0);
  h.Press(0);
  h.Release(0);
  h.Release(0);
  const std::vector<KeyChange> expected = {{0, BTN_LEFT, 1}, {0, BTN_LEFT, 0}};
  EXPECT_EQ(h.Keys(), expected);
}

TEST(InputMapperTest, EmittableKeysCoverEverythingTheMapperSends) {
  const auto keys = InputMapper::EmittableKeys();
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  for (std::uint16_t code : InputMapper::SourceButtonCodes()) {
    EXPECT_TRUE(std::binary_search(keys.begin(), keys.end(), code)) << code;
  }
  for (std::uint16_t code : {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, KEY_A, KEY_LEFTCTRL,
                             KEY_MEDIA, KEY_PLAYPAUSE, KEY_WWW, KEY_F24}) {
    EXPECT_TRUE(std::binary_search(keys.begin(), keys.end(), code)) << code;
  }
  EXPECT_FALSE(std::binary_search(keys.begin(), keys.end(), std::uint16_t{KEY_UNKNOWN}));
}

// The mouse's buttons by the codes its kernel driver reports, in no
// particular order: each acts as the record the window shows at its place.
TEST(InputMapperTest, EachButtonOfTheMouseActsAsItsOwnRecord) {
  MapperHarness h;
  for (int b = 0; b < kButtonCount; ++b) {
    h.profile.Buttons[static_cast<std::size_t>(b)] = SingleKey(static_cast<std::uint8_t>(0x04 + b));
  }
  h.Apply();
  const struct {
    std::uint16_t source;
    std::uint16_t sent;  // the key of usage 0x04 + button index: A for button 1
  } cases[] = {{BTN_TASK, KEY_H},  {BTN_LEFT, KEY_A},    {BTN_3, KEY_L},   {BTN_SIDE, KEY_D},
               {BTN_EXTRA, KEY_E}, {BTN_FORWARD, KEY_F}, {BTN_BACK, KEY_G}, {BTN_0, KEY_I},
               {BTN_1, KEY_J},     {BTN_2, KEY_K},       {BTN_RIGHT, KEY_B}, {BTN_MIDDLE, KEY_C}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    h.Clear();
    h.Feed(EV_KEY, c.source, 1);
    h.Sync();
    h.Feed(EV_KEY, c.source, 0);
    h.Sync();
    EXPECT_EQ(h.Keys(), (std::vector<KeyChange>{{0, c.sent, 1}, {0, c.sent, 0}}));
  }
}

}  // namespace
}  // namespace vantix::agent::test
