// No key or button stays down on any path: random profiles (damaged ones
// among them), random presses, releases, time, motion, profile changes and
// releases of everything, checked against the virtual device's key state.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <random>

#include "tests/mapper_harness.h"

namespace vantix::agent::test {
namespace {

class Randomizer {
 public:
  explicit Randomizer(unsigned seed) : rng_(seed) {}

  int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Int(0, 255)); }
  std::uint8_t Usage() {
    static constexpr std::uint8_t kUsages[] = {0x00, 0x04, 0x05, 0x06, 0xE0, 0xE1, 0xE2, 0x82, 0xE8};
    return kUsages[Int(0, 8)];
  }

  ButtonRecord Button() {
    switch (Int(0, 6)) {
      case 0: return WithFunction(Int(0, 60));
      case 1: return SingleKey(Usage());
      case 2: return Combination({Usage(), Usage(), Usage()});
      case 3: return MacroButton(Int(0, 4), Int(0, 3));
      case 4: {
        static constexpr std::uint8_t kTargets[] = {0xF0, 0xF1, 0xF2, 0x04, 0xE1, 0x00};
        return FireKey(kTargets[Int(0, 5)], Int(0, 4), Int(0, 1) ? u"10" : u"35");
      }
      case 5: return WithFunction(Int(47, 49));
      default: {
        ButtonRecord record = WithFunction(Int(0, 255));
        for (auto& byte : record.KeyEvents) byte = Byte();
        record.KeyNumber = Byte();
        record.LoopNumber = Byte();
        return record;
      }
    }
  }

  MacroUpload MacroFor(int slot) {
    MacroUpload upload = Macro(slot, Int(0, 3), {});
    const int count = Int(0, 12);
    for (int i = 0; i < count; ++i) {
      MacroEvent event;
      switch (Int(0, 3)) {
        case 0: event = MacroEvent::Key(Usage(), Int(0, 1) == 1); break;
        case 1: event = MacroEvent::MouseButton(static_cast<std::uint8_t>(1 << Int(0, 2)), Int(0, 1) == 1); break;
        case 2: event = MacroEvent::Delay(static_cast<std::uint16_t>(Int(0, 4))); break;
        default: event = {Byte(), Byte(), 0}; break;
      }
      upload.events[static_cast<std::size_t>(3 * i)] = event.type;
      upload.events[static_cast<std::size_t>(3 * i + 1)] = event.code;
      upload.events[static_cast<std::size_t>(3 * i + 2)] = event.extra;
    }
    return upload;
  }

  void Profile(MapperHarness& h) {
    for (ButtonRecord& button : h.profile.Buttons) button = Button();
    for (DpiStage& stage : h.profile.Stages) stage = {Int(-1, 1), Int(-1, 140), Int(0, 135), 0};
    h.profile.DPI = Int(-1, 8);
    h.profile.MouseSensitivity = Int(-1, 22);
    h.profile.Acceleration = Int(0, 5);
    h.profile.WheelScrollLines = Int(-1, 64);
    h.macros.clear();
    for (int slot = 0; slot < 4; ++slot) h.macros.push_back(MacroFor(slot));
  }

 private:
  std::mt19937 rng_;
};

void Step(Randomizer& r, MapperHarness& h) {
  switch (r.Int(0, 9)) {
    case 0:
    case 1:
    case 2: h.Press(r.Int(0, kButtonCount - 1)); break;
    case 3:
    case 4: h.Release(r.Int(0, kButtonCount - 1)); break;
    case 5: h.RunUntil(h.now + r.Int(0, 80)); break;
    case 6: h.Move(r.Int(-50, 50), r.Int(-50, 50)); break;
    case 7:
      h.Feed(EV_REL, REL_WHEEL, r.Int(-2, 2));
      h.Feed(EV_KEY, KEY_VOLUMEUP, r.Int(0, 2));
      h.Sync();
      break;
    case 8:
      r.Profile(h);
      h.Apply();
      break;
    default:
      if (r.Int(0, 3) == 0) {
        h.ReleaseAll();
        EXPECT_TRUE(h.Down().empty());
        EXPECT_FALSE(h.mapper.NextDeadline());
      }
      break;
  }
}

TEST(NoStuckKeyTest, EverythingGoesUpOnceTheButtonsAreUpAndTheSequencesEnd) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    Randomizer r(seed);
    MapperHarness h;
    r.Profile(h);
    h.Apply();
    for (int i = 0; i < 200; ++i) Step(r, h);
    for (int button = 0; button < kButtonCount; ++button) h.Release(button);
    h.Feed(EV_KEY, KEY_VOLUMEUP, 0);
    h.Sync();
    h.RunUntil(h.now + 100'000'000);
    EXPECT_TRUE(h.Down().empty()) << "seed " << seed;
    EXPECT_FALSE(h.mapper.NextDeadline()) << "seed " << seed;
    if (HasFailure()) break;
  }
}

TEST(NoStuckKeyTest, ReleaseAllLeavesNothingDownOnAnyPath) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    Randomizer r(seed * 7919);
    MapperHarness h;
    r.Profile(h);
    h.Apply();
    const int steps = r.Int(0, 120);
    for (int i = 0; i < steps; ++i) Step(r, h);
    h.ReleaseAll();
    EXPECT_TRUE(h.Down().empty()) << "seed " << seed;
    EXPECT_FALSE(h.mapper.NextDeadline()) << "seed " << seed;
    // Buttons let go after the release change nothing.
    const std::size_t sent = h.sent.size();
    for (int button = 0; button < kButtonCount; ++button) h.Release(button);
    h.RunUntil(h.now + 100'000'000);
    EXPECT_EQ(h.sent.size(), sent) << "seed " << seed;
    if (HasFailure()) break;
  }
}

}  // namespace
}  // namespace vantix::agent::test
