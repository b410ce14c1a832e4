// The main window's side of the device agent: its endpoint, the connection
// labels with their blink, and the agent's events. The decisions are made by
// devicelink/agent_events; this file only carries out their effects.
#include <QSocketNotifier>

#include <cstdio>

#include "app/device_panel.h"
#include "app/program_rules_panel.h"
#include "app/vantix_dlg.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"
#include "ui/warning_dlg.h"

namespace vantix {

void CVantixDlg::OpenEndpoint() {
  OpenedEndpoint opened = Endpoint::Open(kMainWindowTitle, bus_.Folder());
  if (!opened.status.ok()) {
    // The window works without it; the agent's reports just do not arrive.
    std::fprintf(stderr, "vantix: %s\n", opened.status.reason().c_str());
    return;
  }
  endpoint_ = std::move(opened.endpoint);
  notifier_ = new QSocketNotifier(endpoint_->Fd(), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    endpoint_->Process([this](const WindowMessage& m) { return DeliverWindowMessage(this, m); });
  });
}

ApplySteps CVantixDlg::ApplyStepsOfWindow() {
  return {
      .save = [this] { return SaveProfilesMindingOthers(); },
      .saved =
          [this](const ApplyOutcome& outcome) {
            if (outcome.saved.ok()) ApplyDoubleClick();
            WatchDataFolder();  // the folder may only exist now
          },
      .done = [this](const ApplyOutcome& outcome) { device_panel_->AfterApply(outcome.notified); },
  };
}

std::int64_t CVantixDlg::OnAgentEvent(std::int64_t kind, std::int64_t value) {
  if (kind == kEventProfile && ShowProgramFollowing(kind)) return 0;
  const AgentEventEffects e = vantix::OnAgentEvent(live_, store_, kind, value);
  if (!e.handled) return 0;
  sync_.FollowDevice(live_.CurrentProfile, kind, value);
  if (e.reloaded) {
    sync_.MarkInStep(live_);
    RefreshControls();
    RepairMacroAssignments();
    LabelRefresh();
  }
  if (e.stage_label) pointer_.ShowStageLabel(*e.stage_label);
  if (e.switch_profile) {
    // The whole window follows the device, as after a click on the profile's
    // label: controls left showing the old profile would write its values
    // into the new one at the next edit.
    SwitchProfile(*e.switch_profile);
    RefreshControls();
    RepairMacroAssignments();
    LabelRefresh();
  }
  if (e.report_rate_button) {
    for (int i = 0; i < 4; ++i) controls_.report_rate[i]->SetChecked(i == *e.report_rate_button);
  }
  if (e.lighting_mode) ShowLightingMode(*e.lighting_mode);
  // The title follows the thumb, as it does when the user moves it.
  if (e.pointer_slider) ShowPointerSlider(1, *e.pointer_slider);
  if (e.start_apply_done_timer) apply_.OnConfirmed();
  return 0;
}

std::int64_t CVantixDlg::OnAgentStatus() {
  apply_.OnAgentStatus();
  device_panel_->Refresh();
  program_rules_->Refresh();
  ShowProgramFollowing();
  ApplyStatusEffects(vantix::OnAgentStatus(ReadConnectionState(folders_.DataFolder, io_)));
  return 0;
}

void CVantixDlg::ApplyStatusEffects(const StatusEffects& effects) {
  if (effects.stop_blink) blink_timer_.stop();
  if (effects.show_connected) SetLabelShown(controls_.status_connected, *effects.show_connected);
  if (effects.show_disconnected) {
    SetLabelShown(controls_.status_disconnected, *effects.show_disconnected);
  }
  if (effects.restart_blink) {
    blink_.Restart();
    blink_timer_.start();
  }
  // A simulated mouse is a demo: the box says so instead of "Connected".
  if (device_panel_ != nullptr && device_panel_->Demo()) {
    blink_timer_.stop();
    SetLabelShown(controls_.status_connected, false);
    SetLabelShown(controls_.status_disconnected, false);
  }
}

void CVantixDlg::OnTimer(int id) {
  if (apply_.OnTimer(id)) return;
  if (id == kTimerStatusBlink) {
    const StatusBlink::Tick tick = blink_.OnTick();
    SetLabelShown(controls_.status_connected, tick.show_connected);
    if (tick.stop_timer) blink_timer_.stop();
  }
}

bool CVantixDlg::TimerActive(int id) const {
  if (id == kTimerStatusBlink) return blink_timer_.isActive();
  return apply_.TimerActive(id);
}

}  // namespace vantix
