#include "agent/input_mapper.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <bitset>

#include "agent/button_plan.h"
#include "agent/function_keys.h"
#include "agent/key_ledger.h"
#include "agent/pointer_motion.h"
#include "agent/sequence_player.h"
#include "devicelink/agent_messages.h"
#include "settings/function_codes.h"

namespace vantix::agent {
namespace {

constexpr std::array<std::uint16_t, kButtonCount> kSourceButtons = {
    BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, BTN_FORWARD,
    BTN_BACK, BTN_TASK,  BTN_0,      BTN_1,    BTN_2,     BTN_3};

int ButtonIndex(std::uint16_t code) {
  for (std::size_t i = 0; i < kSourceButtons.size(); ++i) {
    if (kSourceButtons[i] == code) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::uint16_t> CollectEmittable() {
  std::vector<std::uint16_t> keys(TableKeys().begin(), TableKeys().end());
  keys.insert(keys.end(), kSourceButtons.begin(), kSourceButtons.end());
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

bool Emittable(std::uint16_t code) {
  const std::span<const std::uint16_t> keys = InputMapper::EmittableKeys();
  return std::binary_search(keys.begin(), keys.end(), code);
}

int StageDpi(std::int32_t value) { return IsStageValue(value) ? StageToDpi(value) : 0; }

// What a held button pressed, so its release undoes exactly that even when
// the profile changed in between.
struct Held {
  bool down = false;
  std::vector<std::uint16_t> keys;
  std::vector<std::uint16_t> release;
};

}  // namespace

struct InputMapper::State {
  std::array<ButtonPlan, kButtonCount> plans;
  std::array<Held, kButtonCount> held;
  KeyLedger ledger;
  SequencePlayer player;
  PointerMotion motion;
  PointerSettings pointer;
  std::array<DpiStage, kStageCount> stages{};
  int stage = 0;
  bool has_profile = false;
  std::bitset<KEY_CNT> passed_down;  // other keys of the source, passed through
  std::vector<MapperNotice> notices;

  void ConfigureMotion() {
    const DpiStage& active = stages[static_cast<std::size_t>(stage)];
    pointer.stage_dpi_x = StageDpi(active.X);
    pointer.stage_dpi_y = StageDpi(active.Y);
    motion.Configure(pointer);
  }

  void SetStage(int index) {
    if (index == stage) return;
    stage = index;
    ConfigureMotion();
    notices.push_back({kEventDpiStage, index});
  }

  void StepStage(int function) {
    std::vector<int> enabled;
    for (int k = 0; k < kStageCount; ++k) {
      if (stages[static_cast<std::size_t>(k)].Enabled == 1) enabled.push_back(k);
    }
    if (enabled.empty()) return;
    const auto above = std::upper_bound(enabled.begin(), enabled.end(), stage);
    const auto below = std::lower_bound(enabled.begin(), enabled.end(), stage);
    switch (function) {
      case kDpiUpFunction:
        if (above != enabled.end()) SetStage(*above);
        break;
      case kDpiDownFunction:
        if (below != enabled.begin()) SetStage(*std::prev(below));
        break;
      default: SetStage(above != enabled.end() ? *above : enabled.front()); break;
    }
  }

  void Press(int button, Millis now, std::vector<InputEvent>& out) {
    Held& hold = held[static_cast<std::size_t>(button)];
    if (hold.down) return;
    const ButtonPlan& plan = plans[static_cast<std::size_t>(button)];
    switch (plan.kind) {
      case ButtonPlan::Kind::kHold:
        hold.down = true;
        hold.keys = plan.press;
        hold.release = plan.release;
        for (std::uint16_t key : plan.press) ledger.Press(key, out);
        return;
      case ButtonPlan::Kind::kDoubleClick:
        for (int click = 0; click < 2; ++click) {
          ledger.Press(BTN_LEFT, out);
          ledger.Release(BTN_LEFT, out);
        }
        return;
      case ButtonPlan::Kind::kWheel: {
        const std::uint16_t hires = plan.axis == REL_WHEEL ? REL_WHEEL_HI_RES : REL_HWHEEL_HI_RES;
        out.push_back({EV_REL, plan.axis, plan.direction});
        out.push_back({EV_REL, hires, plan.direction * 120});
        out.push_back({EV_SYN, SYN_REPORT, 0});
        return;
      }
      case ButtonPlan::Kind::kDpi: StepStage(plan.dpi_function); return;
      case ButtonPlan::Kind::kMacro:
      case ButtonPlan::Kind::kFire:
        // A press while the button's sequence still plays is ignored.
        if (!player.Running(button)) player.Start(button, plan, now, ledger, out);
        return;
      case ButtonPlan::Kind::kNothing: return;
    }
  }

  void Release(int button, Millis now, std::vector<InputEvent>& out) {
    Held& hold = held[static_cast<std::size_t>(button)];
    if (hold.down) {
      hold.down = false;
      for (std::uint16_t key : hold.release) {
        if (std::find(hold.keys.begin(), hold.keys.end(), key) == hold.keys.end()) continue;
        std::erase(hold.keys, key);
        ledger.Release(key, out);
      }
      for (auto it = hold.keys.rbegin(); it != hold.keys.rend(); ++it) ledger.Release(*it, out);
      hold.keys.clear();
    }
    player.Released(button, now, ledger, out);
  }

  void PassKey(std::uint16_t code, std::int32_t value, std::vector<InputEvent>& out) {
    if (code >= KEY_CNT || !Emittable(code)) return;
    if (value == 1 && !passed_down.test(code)) {
      passed_down.set(code);
      ledger.Press(code, out);
    } else if (value == 0 && passed_down.test(code)) {
      passed_down.reset(code);
      ledger.Release(code, out);
    }
  }
};

InputMapper::InputMapper() : state_(std::make_unique<State>()) {
  // Until a profile arrives every button is itself.
  for (std::size_t i = 0; i < kSourceButtons.size(); ++i) {
    state_->plans[i].kind = ButtonPlan::Kind::kHold;
    state_->plans[i].press = {kSourceButtons[i]};
  }
  state_->ConfigureMotion();
}

InputMapper::~InputMapper() = default;

void InputMapper::SetProfile(const ProfileRecord& profile, std::span<const MacroUpload> macros) {
  State& s = *state_;
  for (std::size_t i = 0; i < kSourceButtons.size(); ++i) {
    s.plans[i] = PlanButton(profile.Buttons[i], macros, kSourceButtons[i]);
  }
  s.stages = profile.Stages;
  s.pointer.speed = profile.MouseSensitivity;
  s.pointer.acceleration = profile.Acceleration;
  s.pointer.wheel_lines = profile.WheelScrollLines;
  // The stored stage index may be out of range (6 passes validation).
  const int stage = profile.DPI >= 0 && profile.DPI < kStageCount ? profile.DPI : 0;
  if (s.has_profile) {
    // Tell the window when the stage in force moves under it.
    s.SetStage(stage);
  } else {
    s.stage = stage;
  }
  s.has_profile = true;
  s.ConfigureMotion();
}

void InputMapper::SetNativeResolution(int dpi) {
  state_->pointer.native_dpi = dpi > 0 ? dpi : kDefaultNativeDpi;
  state_->ConfigureMotion();
}

void InputMapper::Feed(const InputEvent& event, Millis now, std::vector<InputEvent>& out) {
  State& s = *state_;
  switch (event.type) {
    case EV_REL: s.motion.Add(event.code, event.value); return;
    case EV_SYN:
      if (event.code == SYN_REPORT) s.motion.Flush(out);
      if (event.code == SYN_DROPPED) s.motion.Discard();
      return;
    case EV_KEY: break;
    default: return;  // scan codes and the like: nothing the desktop needs
  }
  const int button = ButtonIndex(event.code);
  if (button < 0) {
    s.PassKey(event.code, event.value, out);
  } else if (event.value == 1) {
    s.Press(button, now, out);
  } else if (event.value == 0) {
    s.Release(button, now, out);
  }
}

std::optional<Millis> InputMapper::NextDeadline() const { return state_->player.NextDeadline(); }

void InputMapper::Tick(Millis now, std::vector<InputEvent>& out) {
  state_->player.Tick(now, state_->ledger, out);
}

void InputMapper::ReleaseAll(std::vector<InputEvent>& out) {
  State& s = *state_;
  s.player.StopAll(s.ledger, out);
  for (Held& hold : s.held) {
    hold.down = false;
    hold.keys.clear();
    hold.release.clear();
  }
  s.passed_down.reset();
  s.motion.Discard();
  s.ledger.ReleaseAll(out);
}

std::vector<MapperNotice> InputMapper::TakeNotices() {
  std::vector<MapperNotice> notices;
  notices.swap(state_->notices);
  return notices;
}

std::span<const std::uint16_t> InputMapper::EmittableKeys() {
  static const std::vector<std::uint16_t> keys = CollectEmittable();
  return keys;
}

std::span<const std::uint16_t> InputMapper::SourceButtonCodes() { return kSourceButtons; }

}  // namespace vantix::agent
