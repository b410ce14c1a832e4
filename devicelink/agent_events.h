// What the main window does with the agent's messages, as data: the changes
// to the settings happen here, and the window only carries out the display
// effects returned. Every row of the tables can be checked without a window.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

#include "settings/profile_store.h"
#include "settings/settings_block.h"

namespace vantix {

inline constexpr int kTimerStatusBlink = 532;
inline constexpr int kTimerApplyDone = 534;
inline constexpr int kBlinkIntervalMs = 500;
inline constexpr int kApplyDoneDelayMs = 500;
// While an Apply waits for its confirmation, the window looks for the agent
// this often (and gives the row back as soon as it is gone).
inline constexpr int kTimerApplyWatch = 535;
inline constexpr std::chrono::milliseconds kApplyWatchInterval{1000};

struct ApplyOutcome;

struct AgentEventEffects {
  bool handled = false;  // false: an unknown kind or a bad value, nothing changed
  // Kind 0: the files were read again; refresh every control and label.
  bool reloaded = false;
  // Kind 8: the stage label shows "%s : %d" with this index + 1.
  std::optional<std::int32_t> stage_label;
  // Kind 9: highlight this profile (already made current).
  std::optional<int> switch_profile;
  // Kind 10: select report-rate button 0..3 (first..fourth).
  std::optional<int> report_rate_button;
  // Kind 11: ShowLightingMode with this mode.
  std::optional<std::int32_t> lighting_mode;
  // Kind 12: move the pointer-speed slider to this value.
  std::optional<std::int32_t> pointer_slider;
  // Kind 15: start TIMER_APPLY_DONE, which re-enables the bottom row.
  bool start_apply_done_timer = false;
};

// WM_AGENT_EVENT (the window's handler returns 0 whatever this says).
AgentEventEffects OnAgentEvent(SettingsBlock& live, ProfileStore& store, std::int64_t kind,
                               std::int64_t value);

// The value a device-side report (kinds 8, 10, 11, 12) sets, written into
// the record; false for any other kind. The window keeps the same change in
// its record of the files' values, so that the mouse's own changes are never
// taken for the user's unapplied edits.
bool TakeDeviceValue(ProfileRecord& record, std::int64_t kind, std::int64_t value);

// Report-rate button (0..3) for a report interval, or nothing for an
// interval no button stands for.
std::optional<int> ReportRateButton(std::int32_t polling_rate);

// The connection leaves Apply alone: it saves whether or not a mouse is
// there, so only an Apply waiting for its answer (ApplyWait) disables it.
struct StatusEffects {
  std::optional<bool> show_connected;        // the green label
  std::optional<bool> show_disconnected;     // the red label
  bool restart_blink = false;                // counter 0, start TIMER_STATUS_BLINK
  bool stop_blink = false;
};

// WM_AGENT_STATUS, with the state read from the macro index.
StatusEffects OnAgentStatus(bool connected);
// At window creation: only shows the red label.
StatusEffects InitialConnectionEffects(bool connected);

// What the window does about an Apply's wait, in this order.
struct ApplyEffects {
  bool stop_watch = false;        // TIMER_APPLY_WATCH
  bool start_done_timer = false;  // TIMER_APPLY_DONE
  bool start_watch = false;
  bool warn_not_saved = false;  // the warning dialog, with the save's reason
  std::optional<bool> row_enabled{};       // the bottom row
  std::optional<bool> show_unconfirmed{};  // the line under the connection label
  bool operator==(const ApplyEffects&) const = default;
};

// An Apply's wait for the agent's kind 15. The bottom row waits only while
// there is an agent to send it: one that is gone, changes its state or stays
// silent past the limit never will, and the row comes back with the line
// that says the Apply was not confirmed.
class ApplyWait {
 public:
  explicit ApplyWait(std::chrono::milliseconds limit) : limit_(limit) {}
  std::chrono::milliseconds WatchInterval() const { return std::min(kApplyWatchInterval, limit_); }

  // Before the save: the row is disabled, the line hidden.
  ApplyEffects Begin() const;
  // After the save and the agent's notice.
  ApplyEffects Saved(const ApplyOutcome& outcome);
  // TIMER_APPLY_WATCH, with whether the agent's endpoint is still there.
  ApplyEffects OnWatchTick(bool agent_found);
  ApplyEffects OnConfirmed();    // kind 15
  ApplyEffects OnDone();         // TIMER_APPLY_DONE
  ApplyEffects OnAgentStatus();  // WM_AGENT_STATUS: the answer may never come
  bool Waiting() const { return waiting_; }

 private:
  ApplyEffects Unconfirmed();

  std::chrono::milliseconds limit_;
  std::chrono::milliseconds waited_{0};
  bool waiting_ = false;
};

// TIMER_STATUS_BLINK: three flashes of the green label, ending hidden.
class StatusBlink {
 public:
  void Restart() { counter_ = 0; }
  struct Tick {
    bool show_connected;
    bool stop_timer;
  };
  Tick OnTick();

 private:
  int counter_ = 0;
};

}  // namespace vantix
