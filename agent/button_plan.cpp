#include "agent/button_plan.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <charconv>

#include "agent/function_keys.h"
#include "settings/function_codes.h"
#include "settings/macro_model.h"

namespace vantix::agent {
namespace {

constexpr std::size_t kEventSlots = kKeyEventBytes / kKeyEventSize;
// Longest fire interval taken from the text: a minute.
constexpr std::int32_t kMaxIntervalMs = 60000;

ButtonPlan Hold(std::initializer_list<std::uint16_t> keys) {
  ButtonPlan plan;
  plan.kind = ButtonPlan::Kind::kHold;
  plan.press.assign(keys);
  return plan;
}

ButtonPlan Wheel(std::uint16_t axis, int direction) {
  ButtonPlan plan;
  plan.kind = ButtonPlan::Kind::kWheel;
  plan.axis = axis;
  plan.direction = direction;
  return plan;
}

std::uint16_t MacroButton(std::uint8_t button) {
  switch (button) {
    case kMacroLeftButton: return BTN_LEFT;
    case kMacroRightButton: return BTN_RIGHT;
    case kMacroMiddleButton: return BTN_MIDDLE;
    default: return 0;
  }
}

// The presses and releases stored for a combination. The count says how many
// events there are; a damaged count reads every slot instead.
ButtonPlan Combination(const ButtonRecord& record) {
  ButtonPlan plan;
  const std::size_t count = record.KeyNumber >= 1 && record.KeyNumber <= kEventSlots
                                ? record.KeyNumber
                                : kEventSlots;
  for (std::size_t slot = 0; slot < count; ++slot) {
    const std::uint8_t* event = record.KeyEvents.data() + slot * kKeyEventSize;
    const std::uint16_t key = UsageToLinuxKey(event[0]);
    if (key == 0) continue;
    auto& list = (event[2] & kCombinationPress) != 0 ? plan.press : plan.release;
    if (std::find(list.begin(), list.end(), key) == list.end()) list.push_back(key);
  }
  if (!plan.press.empty()) plan.kind = ButtonPlan::Kind::kHold;
  return plan;
}

const MacroUpload* FindMacro(std::span<const MacroUpload> macros, int slot) {
  for (const MacroUpload& macro : macros) {
    if (macro.slot == slot) return &macro;
  }
  return nullptr;
}

ButtonPlan Macro(const ButtonRecord& record, std::span<const MacroUpload> macros) {
  ButtonPlan plan;
  const MacroUpload* macro = FindMacro(macros, record.KeyNumber);
  if (macro == nullptr) return plan;
  plan.steps = MacroSteps(macro->events);
  const bool sends = std::any_of(plan.steps.begin(), plan.steps.end(), [](const MacroStep& step) {
    return step.kind == MacroStep::Kind::kPress;
  });
  if (!sends) return plan;
  plan.kind = ButtonPlan::Kind::kMacro;
  switch (macro->loop_type) {
    case kLoopTimes:
      plan.loop = MacroLoop::kTimes;
      // A count of 0 would make the button dead; it plays once.
      plan.runs = std::max<int>(1, record.LoopNumber);
      break;
    case kLoopSecondMode: plan.loop = MacroLoop::kWhileHeld; break;
    default: plan.loop = MacroLoop::kOnce; break;
  }
  return plan;
}

std::int32_t FireInterval(const ButtonRecord& record) {
  std::string digits;
  for (char16_t unit : MacroNameView(record)) {
    if (unit < u'0' || unit > u'9') break;
    digits.push_back(static_cast<char>(unit));
  }
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{}) value = digits.empty() ? 0 : kMaxIntervalMs;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kMinIntervalMs, kMaxIntervalMs));
}

ButtonPlan Fire(const ButtonRecord& record) {
  ButtonPlan plan;
  const std::uint8_t target = record.KeyEvents[0];
  switch (target) {
    case kFireLeftButton: plan.fire_code = BTN_LEFT; break;
    case kFireRightButton: plan.fire_code = BTN_RIGHT; break;
    case kFireMiddleButton: plan.fire_code = BTN_MIDDLE; break;
    default: plan.fire_code = UsageToLinuxKey(target); break;
  }
  if (plan.fire_code == 0) return plan;
  plan.kind = ButtonPlan::Kind::kFire;
  plan.shots = record.LoopNumber;
  plan.interval_ms = FireInterval(record);
  return plan;
}

ButtonPlan Dpi(int function) {
  ButtonPlan plan;
  plan.kind = ButtonPlan::Kind::kDpi;
  plan.dpi_function = function;
  return plan;
}

// The plan by the code's action; kNothing where the function gives nothing
// to send, which the caller may turn into a pass-through.
ButtonPlan PlanFunction(const ButtonRecord& record, std::span<const MacroUpload> macros,
                        bool& pass_through) {
  pass_through = true;
  const int code = record.ButtonFunc;
  switch (AgentActionOf(code)) {
    case AgentAction::kLeftButton: return Hold({BTN_LEFT});
    case AgentAction::kRightButton: return Hold({BTN_RIGHT});
    case AgentAction::kMiddleButton: return Hold({BTN_MIDDLE});
    case AgentAction::kForwardButton: return Hold({BTN_EXTRA});
    case AgentAction::kBackButton: return Hold({BTN_SIDE});
    case AgentAction::kSingleKey: {
      const std::uint16_t key = UsageToLinuxKey(record.KeyEvents[0]);
      return key != 0 ? Hold({key}) : ButtonPlan{};
    }
    case AgentAction::kKeyCombination: return Combination(record);
    case AgentAction::kMacro: return Macro(record, macros);
    case AgentAction::kFireKey: return Fire(record);
    case AgentAction::kDoubleClick: {
      ButtonPlan plan;
      plan.kind = ButtonPlan::Kind::kDoubleClick;
      return plan;
    }
    case AgentAction::kWheelUp: return Wheel(REL_WHEEL, 1);
    case AgentAction::kWheelDown: return Wheel(REL_WHEEL, -1);
    case AgentAction::kTiltLeft: return Wheel(REL_HWHEEL, -1);
    case AgentAction::kTiltRight: return Wheel(REL_HWHEEL, 1);
    case AgentAction::kDpiStep: return Dpi(code);
    case AgentAction::kShortcut: {
      const std::span<const std::uint16_t> keys = FunctionKeys(code);
      ButtonPlan plan;
      plan.kind = ButtonPlan::Kind::kHold;
      plan.press.assign(keys.begin(), keys.end());
      return plan;
    }
    case AgentAction::kNothing: pass_through = false; return {};
    case AgentAction::kOwnButton: break;
  }
  return {};  // no function of its own: keep the button
}

}  // namespace

std::vector<MacroStep> MacroSteps(std::span<const std::uint8_t> bytes) {
  std::vector<MacroStep> steps;
  for (std::size_t at = 0; at + sizeof(MacroEvent) <= bytes.size(); at += sizeof(MacroEvent)) {
    const MacroEvent event{bytes[at], bytes[at + 1], bytes[at + 2]};
    if (event.IsDelay()) {
      if (event.DelayMs() > 0) steps.push_back({MacroStep::Kind::kDelay, 0, event.DelayMs()});
      continue;
    }
    std::uint16_t code = 0;
    if (event.IsKey()) code = UsageToLinuxKey(event.code);
    if (event.IsMouseButton()) code = MacroButton(event.code);
    if (code == 0) continue;
    steps.push_back({event.IsPress() ? MacroStep::Kind::kPress : MacroStep::Kind::kRelease, code, 0});
  }
  return steps;
}

ButtonPlan PlanButton(const ButtonRecord& record, std::span<const MacroUpload> macros,
                      std::uint16_t source_code) {
  bool pass_through = true;
  ButtonPlan plan = PlanFunction(record, macros, pass_through);
  if (plan.kind == ButtonPlan::Kind::kNothing && pass_through) return Hold({source_code});
  return plan;
}

}  // namespace vantix::agent
