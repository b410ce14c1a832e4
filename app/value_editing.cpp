// The main window's value editors: every control writes straight into the
// current profile, and every display is recomputed from it. The rules are
// app/rules/value_rules; this file shows what they return.
#include <QString>

#include "app/vantix_dlg.h"
#include "ui/bitmap_btn.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"

namespace vantix {

void CVantixDlg::RefreshControls() {
  SwitchProfile(live_.CurrentProfile);
  ProfileRecord& p = Current();

  SelectRadio(controls_.report_rate, ReportRateShown(p.PollingRate));

  ShowLightingMode(ShownLightingMode(p.LedMode1));
  ShowLightingGroups();

  lighting_.SetColour(ColourOf(p.LedColor1));
  ShowColour();

  ShowPointerSlider(0, p.Acceleration);
  ShowPointerSlider(1, p.MouseSensitivity);
  ShowPointerSlider(2, p.WheelScrollLines);
  ShowPointerSlider(3, p.DoubleClickSpeed);

  ShowStages();
  ShowStageLabel();

  controls_.view_switches[view_]->SetTextColor(kHighlightColor);
  controls_.view_switches[1 - view_]->SetTextColor(kPlainColor);
  apply_.ShowUnapplied();
}

void CVantixDlg::ShowColour() { lighting_.ShowColour(); }

void CVantixDlg::ShowPointerSlider(int index, std::int32_t value) {
  pointer_.ShowSlider(index, value);
}

void CVantixDlg::ShowStageLabel() { pointer_.ShowStageLabel(Current().DPI); }

void CVantixDlg::ShowLightingMode(int mode) {
  if (page_ == 3) lighting_.ShowMode(mode);
}

void CVantixDlg::ShowLightingGroups() { lighting_.ShowChoices(Current()); }

void CVantixDlg::ShowStages() { pointer_.ShowStages(Current(), page_ == 2); }

void CVantixDlg::ShowStage(int stage) { pointer_.ShowStage(Current(), stage, page_ == 2); }

void CVantixDlg::Edit(const ValueEdit& edit) {
  const ValueResult result = EditValue(Current(), lighting_.Colour(), edit);
  Current() = result.record;
  const ValueEffects& e = result.effects;
  if (e.colour) lighting_.SetColour(*e.colour);
  if (e.report_rate) SelectRadio(controls_.report_rate, *e.report_rate);
  if (e.lighting_mode) ShowLightingMode(*e.lighting_mode);
  if (e.lighting_group) {
    SelectRadio(controls_.light_groups[e.lighting_group->group], e.lighting_group->button);
  }
  if (e.stage_enable_refused) controls_.stages[*e.stage_enable_refused].enable->SetChecked(true);
  if (e.show_stage) ShowStage(*e.show_stage);
  if (e.stage_labels) pointer_.ShowStageValues(*e.stage_labels);
  if (e.pointer_slider) ShowPointerSlider(e.pointer_slider->index, e.pointer_slider->value);
  if (e.colour_edit_cut) lighting_.CutColourEdit(*e.colour_edit_cut);
  if (e.colour_slider) lighting_.ShowColourSlider(*e.colour_slider);
  if (e.colour_edit) lighting_.ShowColourEdit(*e.colour_edit);
  if (e.colour_controls) lighting_.ShowColour();
  if (e.swatch) lighting_.InvalidateSwatch();
  apply_.ShowUnapplied();
}

bool CVantixDlg::PickColour(QPoint point) {
  if (page_ != 3) return false;
  const std::optional<Rgb> picked = lighting_.ColourAt(point);
  if (!picked) return false;
  Edit(ColourPicked{*picked});
  return true;
}

}  // namespace vantix
