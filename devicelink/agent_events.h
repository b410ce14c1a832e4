// What the main window does with the agent's messages, as data: the changes
// to the settings happen here, and the window only carries out the display
// effects returned. Every row of the tables can be checked without a window.
#pragma once

#include <cstdint>
#include <optional>

#include "settings/profile_store.h"
#include "settings/settings_block.h"

namespace vantix {

inline constexpr int kTimerStatusBlink = 532;
inline constexpr int kTimerApplyDone = 534;
inline constexpr int kBlinkIntervalMs = 500;
inline constexpr int kApplyDoneDelayMs = 500;

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
AgentEventEffects OnAgentEvent(SettingsBlock& live, const ProfileStore& store, std::int64_t kind,
                               std::int64_t value);

// Report-rate button (0..3) for a report interval, or nothing for an
// interval no button stands for.
std::optional<int> ReportRateButton(std::int32_t polling_rate);

struct StatusEffects {
  std::optional<bool> apply_enabled;         // nothing: leave as it is
  std::optional<bool> show_connected;        // the green label
  std::optional<bool> show_disconnected;     // the red label
  bool restart_blink = false;                // counter 0, start TIMER_STATUS_BLINK
  bool stop_blink = false;
};

// WM_AGENT_STATUS, with the state read from the macro index.
StatusEffects OnAgentStatus(bool connected);
// At window creation: only enables Apply or shows the red label.
StatusEffects InitialConnectionEffects(bool connected);

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
