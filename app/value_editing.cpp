// The main window's value editors: every control writes straight into the
// current profile, and every display is recomputed from it.
#include <QString>

#include <algorithm>
#include <span>

#include "app/vantix_dlg.h"
#include "devicelink/agent_events.h"
#include "settings/settings_schema.h"
#include "ui/bitmap_btn.h"
#include "ui/clr_edit.h"
#include "ui/png_slider.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

constexpr std::array<std::int32_t, 4> kPollingRates = {8, 4, 2, 1};
constexpr std::array<std::int32_t, 3> kLedStates = {1, 2, 3};
constexpr std::array<std::int32_t, 3> kSpeedStates = {8, 5, 1};

// The wheel as drawn: picks are taken only within it, from its image.
const QRect kWheelRect(210, 282, 208, 149);
const QRect kSwatchRect = RectLtrb(519, 300, 582, 364);
// The swatch's 1-pixel frame: drawRect of a 64-pixel square covers 65.
const QRect kSwatchFrame(518, 299, 65, 65);
// Everything the page paints itself in modes 0 and 1, to its last row and
// column: what is left out stays on screen after the mode changes.
const QRect kLightingArea = kWheelRect.united(kSwatchFrame);

// Clears every other button of the group and selects button index; an index
// outside the group selects nothing.
void SelectRadio(std::span<CBitmapBtn* const> group, int index) {
  for (int i = 0; i < static_cast<int>(group.size()); ++i) {
    if (i != index) group[i]->SetChecked(false);
  }
  if (index >= 0 && index < static_cast<int>(group.size())) group[index]->SetChecked(true);
}

int IndexOf(std::span<const std::int32_t> values, std::int32_t value) {
  const auto it = std::find(values.begin(), values.end(), value);
  return it == values.end() ? -1 : static_cast<int>(it - values.begin());
}

int StagePosition(std::int32_t value) { return kStageSliderMax + 1 - value; }

std::int32_t FactoryLedMode() {
  for (const ProfileField& field : kProfileFields) {
    if (field.member == &ProfileRecord::LedMode1) return field.factory_value;
  }
  return 0;
}

}  // namespace

// A mode never set (a first run, before any profile file exists) is the
// mouse's factory mode: shown selected, while the stored value stays unset
// until the user picks a mode.
int ShownLightingMode(std::int32_t stored) {
  return stored == kUnset ? FactoryLedMode() : stored & 0xFF;
}

namespace {

// Which lighting controls each mode shows.
struct ModeView {
  std::array<bool, 9> sections;  // in kSectionLabelTexts order
  bool colour_editor;
  std::array<bool, 3> groups;
  bool direction;
};

//                                  23     24     25     29     33     58     64     63     22
constexpr std::array<ModeView, 5> kModeViews = {{
    {{true, true, true, false, false, false, false, false, false}, true, {true, false, false}, false},
    {{true, true, true, true, false, false, false, false, false}, true, {true, true, false}, false},
    {{false, false, true, false, true, true, false, false, true}, false, {true, false, true}, true},
    {{false, false, true, true, false, false, false, true, false}, false, {true, true, false}, false},
    {{false, false, false, false, false, false, true, false, false}, false, {false, false, false},
     false},
}};

}  // namespace

void CVantixDlg::RefreshControls() {
  SwitchProfile(live_.CurrentProfile);
  ProfileRecord& p = Current();

  const int rate = IndexOf(kPollingRates, p.PollingRate);
  SelectRadio(controls_.report_rate, rate < 0 ? 1 : rate);

  ShowLightingMode(ShownLightingMode(p.LedMode1));
  ShowLightingGroups();

  const auto color = static_cast<std::uint32_t>(p.LedColor1);
  colour_ = {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>(color >> 8),
             static_cast<std::uint8_t>(color >> 16)};
  ShowColour();

  ShowPointerSlider(0, p.Acceleration);
  ShowPointerSlider(1, p.MouseSensitivity);
  ShowPointerSlider(2, p.WheelScrollLines);
  ShowPointerSlider(3, p.DoubleClickSpeed);

  ShowStages();
  ShowStageLabel();

  controls_.view_switches[view_]->SetTextColor(kHighlightColor);
  controls_.view_switches[1 - view_]->SetTextColor(kPlainColor);
}

void CVantixDlg::ShowColour() {
  for (int i = 0; i < 3; ++i) {
    SetColourEdit(i);
    SetColourSlider(i);
  }
  InvalidateSwatch();
}

void CVantixDlg::InvalidateSwatch() { update(kSwatchRect); }

void CVantixDlg::SetColourSlider(int component) {
  controls_.colour_sliders[component]->Thumb()->SetPos(colour_[component] + 1);
  controls_.colour_sliders[component]->update();
}

void CVantixDlg::SetColourEdit(int component) {
  controls_.colour_edits[component]->setText(QString::number(colour_[component]));
}

void CVantixDlg::ShowPointerSlider(int index, std::int32_t value) {
  controls_.pointer_sliders[index]->Thumb()->SetPos(value);
  controls_.pointer_sliders[index]->update();
  controls_.slider_titles[index]->setText(QStringLiteral("%1 : %2").arg(Text(1 + index)).arg(value));
}

void CVantixDlg::ShowStageLabel() {
  controls_.stage_label->setText(QStringLiteral("%1 : %2").arg(Text(101)).arg(Current().DPI + 1));
}

void CVantixDlg::OnReportRate(int button) {
  SelectRadio(controls_.report_rate, button);
  Current().PollingRate = kPollingRates[button];
}

void CVantixDlg::OnLightingModeButton(int button) {
  ShowLightingMode(button);
  Current().LedMode1 = button;
}

void CVantixDlg::ShowLightingMode(int mode) {
  if (page_ != 3) return;
  SelectRadio(controls_.mode_buttons, mode >= 0 && mode <= 4 ? mode : -1);
  if (mode >= 0 && mode <= 4) {
    const ModeView& v = kModeViews[mode];
    const MainControls& c = controls_;
    for (int i = 0; i < 9; ++i) c.section_labels[i]->setVisible(v.sections[i]);
    for (int i = 0; i < 3; ++i) {
      c.colour_edits[i]->setVisible(v.colour_editor);
      c.colour_letters[i]->setVisible(v.colour_editor);
      c.colour_sliders[i]->setVisible(v.colour_editor);
    }
    for (int g = 0; g < 3; ++g) {
      for (CBitmapBtn* b : c.light_groups[g]) b->setVisible(v.groups[g]);
    }
    for (CBitmapBtn* b : c.direction) b->setVisible(v.direction);
  }
  lighting_mode_shown_ = static_cast<std::uint8_t>(mode & 0xFF);
  update(kLightingArea);
  update(kSwatchRect);
}

void CVantixDlg::ShowLightingGroups() {
  const ProfileRecord& p = Current();
  const int led = IndexOf(kLedStates, p.LedState1);
  SelectRadio(controls_.light_groups[0], led < 0 ? 0 : led);
  const int breath = IndexOf(kSpeedStates, p.BreathState1);
  SelectRadio(controls_.light_groups[1], breath < 0 ? 0 : breath);
  const int flash = IndexOf(kSpeedStates, p.FlashState1);
  SelectRadio(controls_.light_groups[2], flash < 0 ? 0 : flash);
  SelectRadio(controls_.direction, p.LedDirect1 == 1 ? 1 : 0);
}

void CVantixDlg::OnLightingGroup(int group, int button) {
  SelectRadio(controls_.light_groups[group], button);
  ProfileRecord& p = Current();
  switch (group) {
    case 0: p.LedState1 = kLedStates[button]; break;
    case 1: p.BreathState1 = kSpeedStates[button]; break;
    default: p.FlashState1 = kSpeedStates[button]; break;
  }
}

void CVantixDlg::OnStageEnable(int stage) {
  CBitmapBtn* box = controls_.stages[stage].enable;
  auto& stages = Current().Stages;
  const bool checked = box->Checked();
  const auto disabled = std::count_if(stages.begin(), stages.end(),
                                      [](const DpiStage& s) { return s.Enabled == 0; });
  if (checked || disabled < 4) {
    stages[stage].Enabled = checked ? 1 : 0;
  } else {
    // At least two stages stay enabled.
    box->SetChecked(true);
    stages[stage].Enabled = 1;
  }
}

void CVantixDlg::OnStageLink(int stage) {
  DpiStage& s = Current().Stages[stage];
  const StageControls& c = controls_.stages[stage];
  s.Linked = c.link->Checked() ? 1 : 0;
  if (page_ == 2) {
    c.x_slider->setVisible(!s.Linked);
    c.y_slider->setVisible(!s.Linked);
    c.xy_slider->setVisible(s.Linked);
  }
  s.Y = s.X;
  ShowStage(stage);
}

void CVantixDlg::ShowStages() {
  for (int k = 0; k < kStageCount; ++k) ShowStage(k);
}

void CVantixDlg::ShowStage(int stage) {
  const DpiStage& s = Current().Stages[stage];
  const StageControls& c = controls_.stages[stage];
  c.link->SetChecked(s.Linked == 1);
  c.enable->SetChecked(s.Enabled != 0);
  c.x_slider->setEnabled(s.Enabled != 0);
  c.x_value->setText(QString::number(StageToDpi(s.X)));
  c.y_value->setText(QString::number(StageToDpi(s.Y)));
  if (page_ != 2) return;
  if (s.Linked != 0) {
    c.x_slider->hide();
    c.y_slider->hide();
    c.xy_slider->show();
    c.xy_slider->Thumb()->SetPos(StagePosition(s.X));
    c.xy_slider->update();
  } else {
    c.x_slider->show();
    c.y_slider->show();
    c.xy_slider->hide();
    c.x_slider->Thumb()->SetPos(StagePosition(s.X));
    c.y_slider->Thumb()->SetPos(StagePosition(s.Y));
    c.x_slider->update();
    c.y_slider->update();
  }
}

std::int64_t CVantixDlg::OnSliderPos(std::int64_t value64, std::int64_t id) {
  const auto value = static_cast<std::int32_t>(value64);
  ProfileRecord& p = Current();
  if (id >= kSliderAcceleration && id <= kSliderDoubleClick) {
    const int index = static_cast<int>(id - kSliderAcceleration);
    std::array<std::int32_t*, 4> fields = {&p.Acceleration, &p.MouseSensitivity,
                                           &p.WheelScrollLines, &p.DoubleClickSpeed};
    *fields[index] = value;
    ShowPointerSlider(index, value);
  } else if (id >= kSliderStageX && id < kSliderStageX + kStageCount) {
    const int k = static_cast<int>(id - kSliderStageX);
    p.Stages[k].X = StagePosition(value);
    controls_.stages[k].x_value->setText(QString::number(StageToDpi(p.Stages[k].X)));
  } else if (id >= kSliderStageY && id < kSliderStageY + kStageCount) {
    const int k = static_cast<int>(id - kSliderStageY);
    p.Stages[k].Y = StagePosition(value);
    controls_.stages[k].y_value->setText(QString::number(StageToDpi(p.Stages[k].Y)));
  } else if (id >= kSliderStageXY && id < kSliderStageXY + kStageCount) {
    const int k = static_cast<int>(id - kSliderStageXY);
    p.Stages[k].X = p.Stages[k].Y = StagePosition(value);
    controls_.stages[k].x_value->setText(QString::number(StageToDpi(p.Stages[k].X)));
    controls_.stages[k].y_value->setText(QString::number(StageToDpi(p.Stages[k].Y)));
  } else if (id >= kSliderRed && id < kSliderRed + 3) {
    const int component = static_cast<int>(id - kSliderRed);
    colour_[component] = static_cast<std::uint8_t>((value - 1) & 0xFF);
    p.LedColor1 = colour_[0] | colour_[1] << 8 | colour_[2] << 16;
    SetColourEdit(component);
    InvalidateSwatch();
  }
  return 0;
}

std::int64_t CVantixDlg::OnEditKeyUp(std::int64_t tag) {
  if (tag < kEditRed || tag > kEditRed + 2) return 0;
  const int component = static_cast<int>(tag - kEditRed);
  CClrEdit* edit = controls_.colour_edits[component];
  bool ok = false;
  int value = edit->text().trimmed().toInt(&ok);
  if (!ok || value < 0) value = 0;
  if (value >= 256) {
    value = 255;
    edit->setText(QStringLiteral("255"));
  }
  controls_.colour_sliders[component]->Thumb()->SetPos(value + 1);
  controls_.colour_sliders[component]->update();
  // The colour is built from what the three edits hold now.
  for (int i = 0; i < 3; ++i) {
    bool read = false;
    const int v = controls_.colour_edits[i]->text().trimmed().toInt(&read);
    colour_[i] = static_cast<std::uint8_t>(read ? std::clamp(v, 0, 255) : 0);
  }
  Current().LedColor1 = colour_[0] | colour_[1] << 8 | colour_[2] << 16;
  InvalidateSwatch();
  return 0;
}

bool CVantixDlg::PickColour(QPoint point) {
  if (page_ != 3 || lighting_mode_shown_ > 1) return false;
  if (!kWheelRect.contains(point) || images_.colour_wheel.isNull()) return false;
  const QPoint in_image = point - kWheelRect.topLeft();
  if (!images_.colour_wheel.rect().contains(in_image)) return false;
  const QColor c = images_.colour_wheel.pixelColor(in_image);
  colour_ = {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
             static_cast<std::uint8_t>(c.blue())};
  Current().LedColor1 = static_cast<std::int32_t>(ToColorRef(c));
  ShowColour();
  return true;
}

}  // namespace vantix
