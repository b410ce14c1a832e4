// What the profile's functions send, through the real agent on the real
// input layer: source button in, virtual-device events out.
//
// Timing tolerance: the agent keeps to a schedule that starts when it read
// the button's press (a late event does not push the later ones back). So
// an event is never earlier than its place on the schedule counted from the
// moment the test pressed the button, less 2 ms (the agent counts whole
// milliseconds), and at most kLate later than its place counted from the
// first event. The machine is emulated and its host may be busy, so kLate
// is generous.
#include <algorithm>
#include <thread>

#include "devicelink/agent_messages.h"
#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {

constexpr std::int64_t kEarlyUs = 2000;
constexpr std::int64_t kLateUs = 150000;


// Combination and macro bytes.
constexpr std::uint8_t kUsageA = 0x04, kUsageB = 0x05, kUsageC = 0x06, kUsageCtrl = 0xE0, kUsageShift = 0xE1;
std::vector<std::uint8_t> Combination(std::initializer_list<std::uint8_t> keys) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint8_t key : keys) bytes.insert(bytes.end(), {key, 5, 0x80});
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) bytes.insert(bytes.end(), {*it, 5, 0x00});
  return bytes;
}
std::vector<std::uint8_t> KeyTap(std::uint8_t usage) { return {0x84, usage, 0, 0x04, usage, 0}; }
std::vector<std::uint8_t> Delay(int ms) {
  const int units = ms / 10;
  return {0x06, static_cast<std::uint8_t>(units & 0xFF), static_cast<std::uint8_t>(units >> 8)};
}
std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

// The kernel's clock of event stamps (evdev stamps with the real-time clock).
std::int64_t StampNow() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The event came ms into the schedule of a press made at pressed_us whose
// first event was first.
void ExpectAt(std::int64_t pressed_us, const Event& first, const Event& event, int ms, const std::string& what) {
  const std::int64_t after_press = event.stamp_us - pressed_us;
  const std::int64_t after_first = event.stamp_us - first.stamp_us;
  EXPECT_GE(after_press, ms * 1000 - kEarlyUs) << what << ": " << after_press << " us after the press";
  EXPECT_LE(after_first, ms * 1000 + kLateUs) << what << ": " << after_first << " us after the first event";
}

// Repeating while held: no run or tap begins after the button went up at
// released_us (the agent reads the release a little later: kLate).
void ExpectNoneBegunAfter(std::int64_t released_us, const Events& out) {
  const auto last_press = std::find_if(out.rbegin(), out.rend(), [](const Event& e) { return e.value == 1; });
  ASSERT_NE(last_press, out.rend());
  EXPECT_LE(last_press->stamp_us - released_us, kLateUs)
      << "began " << last_press->stamp_us - released_us << " us after the release";
}

class AgentMapping : public AgentFixture {
 protected:
  // Macro name in slot 0 on button 4, as the assignment menu stores it.
  void AssignMacro(const std::vector<std::uint8_t>& events, int loop_type, int runs) {
    ASSERT_TRUE(WriteMacro(*session, "Test", events, loop_type, runs));
    ASSERT_TRUE(profile->SetButton(4, {.func = 11, .loop_number = runs, .key_number = 0, .macro_name = "Test"}));
    Apply();
  }
};

// One Apply, eleven buttons, each with its function; press and release each.
struct ButtonCase {
  int button;
  ProfileWriter::Button setting;
  Events on_press, on_release;
};

TEST_F(AgentMapping, EachFunctionSendsItsEvents) {
  const std::vector<ButtonCase> cases = {
      {2, {.func = 3}, {{EV_KEY, BTN_MIDDLE, 1}}, {{EV_KEY, BTN_MIDDLE, 0}}},
      {3, {.func = 4}, {{EV_KEY, BTN_EXTRA, 1}}, {{EV_KEY, BTN_EXTRA, 0}}},
      {4, {.func = 5}, {{EV_KEY, BTN_SIDE, 1}}, {{EV_KEY, BTN_SIDE, 0}}},
      {5, {.func = 6, .key_events = {kUsageA}}, {{EV_KEY, KEY_A, 1}}, {{EV_KEY, KEY_A, 0}}},
      {6,
       {.func = 7, .key_number = 6, .key_events = Combination({kUsageCtrl, kUsageShift, kUsageC})},
       {{EV_KEY, KEY_LEFTCTRL, 1}, {EV_KEY, KEY_LEFTSHIFT, 1}, {EV_KEY, KEY_C, 1}},
       {{EV_KEY, KEY_C, 0}, {EV_KEY, KEY_LEFTSHIFT, 0}, {EV_KEY, KEY_LEFTCTRL, 0}}},
      {7,
       {.func = 14},
       {{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}, {EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}},
       {}},
      {8, {.func = 18}, {{EV_REL, REL_WHEEL, -1}, {EV_REL, REL_WHEEL_HI_RES, -120}}, {}},
      {9,
       {.func = 21},
       {{EV_KEY, KEY_LEFTCTRL, 1}, {EV_KEY, KEY_C, 1}},
       {{EV_KEY, KEY_C, 0}, {EV_KEY, KEY_LEFTCTRL, 0}}},
      {10, {.func = 43}, {{EV_KEY, KEY_VOLUMEUP, 1}}, {{EV_KEY, KEY_VOLUMEUP, 0}}},
      {11, {.func = 16}, {}, {}},
      // Nothing to send (usage 0): the button keeps its own code.
      {12, {.func = 6, .key_events = {0}}, {{EV_KEY, BTN_3, 1}}, {{EV_KEY, BTN_3, 0}}},
  };
  for (const ButtonCase& c : cases) ASSERT_TRUE(profile->SetButton(c.button, c.setting)) << c.button;
  Apply();
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE("button " + std::to_string(c.button) + ", function " + std::to_string(c.setting.func));
    Press(c.button);
    EXPECT_TRUE(OutIs(c.on_press));
    Release(c.button);
    EXPECT_TRUE(OutIs(c.on_release));
  }
}

TEST_F(AgentMapping, MacroPlaysItsEventsWithTheirDelays) {
  AssignMacro(Join({{0x84, kUsageA, 0}, Delay(100), {0x04, kUsageA, 0}, Delay(200), {0x81, 1, 0}, {0x01, 1, 0}}),
              2, 1);
  const std::int64_t pressed = StampNow();
  Press(4);
  Release(4);
  const Events out = OutThrough({EV_KEY, BTN_LEFT, 0});
  ASSERT_EQ(out, (Events{{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_A, 0}, {EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}}))
      << Log();
  ExpectAt(pressed, out[0], out[1], 100, "after the first delay");
  ExpectAt(pressed, out[0], out[2], 300, "after the second delay");
  EXPECT_TRUE(Out().empty()) << "a macro of one run ran again";
}

TEST_F(AgentMapping, MacroOfThreeRunsIgnoresPressesWhileItPlays) {
  AssignMacro(Join({KeyTap(kUsageB), Delay(100)}), 0, 3);
  const std::int64_t pressed = StampNow();
  Press(4);
  Release(4);
  Press(4);  // during the first run
  Release(4);
  const Events out = OutCount(6);
  const Event down{EV_KEY, KEY_B, 1}, up{EV_KEY, KEY_B, 0};
  ASSERT_EQ(out, (Events{down, up, down, up, down, up})) << Log();
  EXPECT_TRUE(Out().empty()) << "a fourth run";
  ExpectAt(pressed, out[0], out[2], 100, "second run");
  ExpectAt(pressed, out[0], out[4], 200, "third run");
}

TEST_F(AgentMapping, MacroRepeatsWhileHeldAndFinishesItsRun) {
  AssignMacro(Join({{0x84, kUsageC, 0}, Delay(50), {0x04, kUsageC, 0}, Delay(50)}), 1, 1);
  Press(4);
  std::this_thread::sleep_for(milliseconds(350));
  const std::int64_t released = StampNow();
  Release(4);
  const Events out = Out(milliseconds(600));
  ASSERT_GE(out.size(), 4u) << "fewer than two runs in 350 ms" << Log();
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i], (Event{EV_KEY, KEY_C, i % 2 == 0 ? 1 : 0})) << "event " << i;
  }
  EXPECT_EQ(out.size() % 2, 0u) << "the last run did not finish";
  ExpectNoneBegunAfter(released, out);
}

TEST_F(AgentMapping, FireKeyTapsItsCountAtItsInterval) {
  ASSERT_TRUE(profile->SetButton(4, {.func = 12, .loop_number = 3, .key_events = {kUsageA}, .macro_name = "60"}));
  Apply();
  const std::int64_t pressed = StampNow();
  Press(4);
  Release(4);
  const Events out = OutCount(6);
  const Event down{EV_KEY, KEY_A, 1}, up{EV_KEY, KEY_A, 0};
  ASSERT_EQ(out, (Events{down, up, down, up, down, up})) << Log();
  EXPECT_TRUE(Out().empty()) << "a fourth tap";
  for (int tap = 0; tap < 3; ++tap) {
    ExpectAt(pressed, out[0], out[2 * tap], 60 * tap, "tap " + std::to_string(tap + 1));
    ExpectAt(pressed, out[0], out[2 * tap + 1], 60 * tap + 30, "end of tap " + std::to_string(tap + 1));
  }
}

TEST_F(AgentMapping, FireKeyOfMouseButtonTapsWhileHeld) {
  ASSERT_TRUE(profile->SetButton(4, {.func = 12, .loop_number = 0, .key_events = {0xF1}, .macro_name = "50"}));
  Apply();
  const std::int64_t pressed = StampNow();
  Press(4);
  std::this_thread::sleep_for(milliseconds(300));
  const std::int64_t released = StampNow();
  Release(4);
  const Events out = Out(milliseconds(600));
  ASSERT_GE(out.size(), 4u) << Log();
  for (std::size_t i = 0; i < out.size(); ++i) {
    EXPECT_EQ(out[i], (Event{EV_KEY, BTN_RIGHT, i % 2 == 0 ? 1 : 0})) << "event " << i;
  }
  for (std::size_t i = 2; i < out.size(); i += 2) ExpectAt(pressed, out[0], out[i], 25 * static_cast<int>(i), "tap");
  ExpectNoneBegunAfter(released, out);
  EXPECT_FALSE(virtual_mouse->KeyDown(BTN_RIGHT));
}

// Unplugging the mouse or releasing it ends a macro under way and lets go
// of what it holds at once, long before its own release would come.
TEST_F(AgentMapping, MacroCutShortReleasesItsKey) {
  AssignMacro(Join({{0x84, kUsageA, 0}, Delay(5000), {0x04, kUsageA, 0}}), 2, 1);
  for (const bool unplug : {false, true}) {
    SCOPED_TRACE(unplug ? "unplugged" : "use none");
    Press(4);
    Release(4);
    ASSERT_EQ(OutThrough({EV_KEY, KEY_A, 1}), (Events{{EV_KEY, KEY_A, 1}})) << Log();
    const auto cut_at = Clock::now();
    if (unplug) {
      source.reset();
    } else {
      ASSERT_TRUE(session->CtlOk({"agent", "device", "use", "none"}));
    }
    const Events out = OutThrough({EV_KEY, KEY_A, 0}, milliseconds(2000));
    EXPECT_EQ(out, (Events{{EV_KEY, KEY_A, 0}})) << Log();
    EXPECT_LT(Clock::now() - cut_at, milliseconds(2000));
    if (!unplug) {
      session->Window().Clear();
      ASSERT_TRUE(session->CtlOk({"agent", "device", "use", "Corvane II Gaming Mouse"}));
      ASSERT_TRUE(WaitForSetting(1)) << "not served again" << Log();
    }
  }
}

TEST_F(AgentMapping, DpiCycleScalesMotionWithoutDriftAndTellsTheWindow) {
  // 1000, 1500, 2000 x 4000; the last three stages off; stage 1 active.
  ASSERT_TRUE(profile->SetStages({{{1, 10, 10}, {1, 15, 15}, {1, 20, 40}, {0, 50, 50}, {0, 100, 100}, {0, 135, 135}}}));
  ASSERT_TRUE(profile->SetInt("DPI", 0));
  Apply();
  // The factory's active stage was the second: the window hears of the change.
  const auto applied = session->Window().TakeEvent(kEventDpiStage, kArrive);
  ASSERT_TRUE(applied) << "no kind 8 after an Apply that changed the stage" << Log();
  EXPECT_EQ(applied->lparam, 0);
  const auto total = [this](int times, int dx, int dy) {
    for (int i = 0; i < times; ++i) source->Move(dx, dy);
    std::array<int, 2> sum{};
    for (const Event& e : OutCount(2 * static_cast<std::size_t>(times))) {
      if (e.type == EV_REL && e.code == REL_X) sum[0] += e.value;
      if (e.type == EV_REL && e.code == REL_Y) sum[1] += e.value;
    }
    return sum;
  };
  EXPECT_EQ(total(5, 3, -2), (std::array<int, 2>{15, -10})) << "1000 DPI changes nothing";

  const std::vector<std::pair<int, std::array<int, 2>>> cycle = {
      // stage index after the press, then 10 moves of (1, -1) become
      {1, {15, -15}},  // 1.5: halves carried, nothing lost
      {2, {20, -40}},
      {0, {10, -10}},  // wrapped to the first
  };
  for (const auto& [stage, expected] : cycle) {
    SCOPED_TRACE("stage " + std::to_string(stage));
    Press(11);
    Release(11);
    const auto notice = session->Window().TakeEvent(kEventDpiStage, kArrive);
    ASSERT_TRUE(notice) << "no kind 8" << Log();
    EXPECT_EQ(notice->lparam, stage);
    EXPECT_TRUE(Out().empty()) << "the DPI button sent something";
    EXPECT_EQ(total(10, 1, -1), expected);
  }
}

TEST_F(AgentMapping, PointerSpeedAndWheelLinesOfTheProfile) {
  ASSERT_TRUE(profile->SetStages({{{1, 10, 10}, {1, 20, 20}, {0, 30, 30}, {0, 50, 50}, {0, 100, 100}, {0, 135, 135}}}));
  ASSERT_TRUE(profile->SetInt("DPI", 0));
  ASSERT_TRUE(profile->SetInt("MouseSensitivity", 20));  // 3.5
  ASSERT_TRUE(profile->SetInt("WheelScrollLines", 4));   // 4/3 of a notch
  Apply();
  source->Move(2, -4);
  EXPECT_TRUE(OutIs(Events{{EV_REL, REL_X, 7}, {EV_REL, REL_Y, -14}}));

  for (int notch = 0; notch < 3; ++notch) {
    source->Emit(EV_REL, REL_WHEEL, 1);
    source->Emit(EV_REL, REL_WHEEL_HI_RES, 120);
    source->Sync();
  }
  int notches = 0, hires = 0;
  for (const Event& e : OutCount(6)) {  // each report: both wheel axes
    if (e.code == REL_WHEEL) notches += e.value;
    if (e.code == REL_WHEEL_HI_RES) hires += e.value;
  }
  EXPECT_EQ(hires, 480);
  EXPECT_EQ(notches, 4);
}

TEST_F(AgentMapping, ButtonHeldAcrossApplyReleasesWhatItPressed) {
  ASSERT_TRUE(profile->SetButton(4, {.func = 6, .key_events = {kUsageA}}));
  Apply();
  Press(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 1}}));
  ASSERT_TRUE(profile->SetButton(4, {.func = 6, .key_events = {kUsageB}}));
  Apply();
  EXPECT_TRUE(OutIs({})) << "the Apply itself changed a held key";
  Release(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 0}}));
  Press(4);
  Release(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_B, 1}, {EV_KEY, KEY_B, 0}}));
}

}  // namespace
}  // namespace vantix::vmtest
