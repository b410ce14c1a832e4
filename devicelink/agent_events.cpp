#include "devicelink/agent_events.h"

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"

namespace vantix {
namespace {

constexpr int kBlinkTicks = 8;
constexpr std::int32_t kDefaultPollingRate = 2;

}  // namespace

std::optional<int> ReportRateButton(std::int32_t polling_rate) {
  switch (polling_rate) {
    case 8: return 0;
    case 4: return 1;
    case 2: return 2;
    case 1: return 3;
    default: return std::nullopt;
  }
}

bool TakeDeviceValue(ProfileRecord& record, std::int64_t kind, std::int64_t value) {
  // The fields are 32-bit; the value arrives as a 64-bit parameter.
  const auto v32 = static_cast<std::int32_t>(value);
  switch (kind) {
    case kEventDpiStage: record.DPI = v32; return true;
    case kEventReportRate:
      record.PollingRate = ReportRateButton(v32) ? v32 : kDefaultPollingRate;
      return true;
    case kEventLightingMode: record.LedMode1 = v32; return true;
    case kEventPointerSpeed: record.MouseSensitivity = v32; return true;
    default: return false;
  }
}

AgentEventEffects OnAgentEvent(SettingsBlock& live, ProfileStore& store, std::int64_t kind,
                               std::int64_t value) {
  AgentEventEffects effects;
  // The fields are 32-bit; the value arrives as a 64-bit parameter.
  const auto v32 = static_cast<std::int32_t>(value);
  switch (kind) {
    case kEventReload:
      if (value != 0) return effects;
      store.ReloadProfiles();
      effects.reloaded = true;
      break;
    case kEventDpiStage:
      TakeDeviceValue(CurrentRecord(live), kind, value);
      effects.stage_label = v32;
      break;
    case kEventProfile:
      if (value < 0 || value >= kProfileCount) return effects;
      live.CurrentProfile = v32;
      effects.switch_profile = v32;
      break;
    case kEventReportRate:
      TakeDeviceValue(CurrentRecord(live), kind, value);
      effects.report_rate_button = ReportRateButton(v32).value_or(2);
      break;
    case kEventLightingMode:
      TakeDeviceValue(CurrentRecord(live), kind, value);
      if (value <= 5) effects.lighting_mode = v32;
      break;
    case kEventPointerSpeed:
      TakeDeviceValue(CurrentRecord(live), kind, value);
      effects.pointer_slider = v32;
      break;
    case kEventApplyDone:
      effects.start_apply_done_timer = true;
      break;
    default:
      return effects;
  }
  effects.handled = true;
  return effects;
}

StatusEffects OnAgentStatus(bool connected) {
  StatusEffects effects;
  if (connected) {
    effects.show_connected = false;
    effects.show_disconnected = false;
    effects.restart_blink = true;
  } else {
    effects.stop_blink = true;
    effects.show_connected = false;
    effects.show_disconnected = true;
  }
  return effects;
}

StatusEffects InitialConnectionEffects(bool connected) {
  StatusEffects effects;
  if (!connected) effects.show_disconnected = true;
  return effects;
}

ApplyEffects ApplyWait::Begin() const { return {.row_enabled = false, .show_unconfirmed = false}; }

ApplyEffects ApplyWait::Saved(const ApplyOutcome& outcome) {
  // A busy lock is another writer at work: nothing was written, and the user
  // may try again at once.
  if (outcome.saved.lock_busy()) return {.warn_not_saved = true, .row_enabled = true};
  ApplyEffects effects;
  if (outcome.notified.state == SendOutcome::State::kAbsent) {
    effects = Unconfirmed();
  } else {
    waited_ = std::chrono::milliseconds(0);
    waiting_ = true;
    effects.start_watch = true;
  }
  // Any other failed save leaves the files with their last good contents,
  // which are not what the window shows. The agent was told all the same
  // and reads those files, so the row waits for it as after a good save; the
  // wait begins before the warning, so that its answer meanwhile counts.
  effects.warn_not_saved = !outcome.saved.ok();
  return effects;
}

ApplyEffects ApplyWait::OnWatchTick(bool agent_found) {
  waited_ += WatchInterval();
  if (!agent_found || waited_ >= limit_) return Unconfirmed();
  return {};
}

ApplyEffects ApplyWait::OnConfirmed() {
  waiting_ = false;
  return {.stop_watch = true, .start_done_timer = true};
}

ApplyEffects ApplyWait::OnDone() {
  waiting_ = false;
  return {.stop_watch = true, .row_enabled = true, .show_unconfirmed = false};
}

ApplyEffects ApplyWait::OnAgentStatus() { return waiting_ ? Unconfirmed() : ApplyEffects{}; }

ApplyEffects ApplyWait::Unconfirmed() {
  waiting_ = false;
  return {.stop_watch = true, .row_enabled = true, .show_unconfirmed = true};
}

StatusBlink::Tick StatusBlink::OnTick() {
  Tick tick{counter_ % 2 == 1, false};
  ++counter_;
  if (counter_ >= kBlinkTicks) {
    tick.show_connected = false;
    tick.stop_timer = true;
  }
  return tick;
}

}  // namespace vantix
