#include "app/rules/value_rules.h"

#include <algorithm>
#include <span>

#include "settings/settings_schema.h"

namespace vantix {
namespace {

constexpr std::array<std::int32_t, 4> kPollingRates = {8, 4, 2, 1};
constexpr std::array<std::int32_t, 3> kLedStates = {1, 2, 3};
constexpr std::array<std::int32_t, 3> kSpeedStates = {8, 5, 1};

int IndexOf(std::span<const std::int32_t> values, std::int32_t value) {
  const auto it = std::find(values.begin(), values.end(), value);
  return it == values.end() ? -1 : static_cast<int>(it - values.begin());
}

// The stage sliders stand upright, the highest value at the top.
int StagePosition(std::int32_t value) { return kStageSliderMax + 1 - value; }

std::int32_t Pack(const Rgb& c) { return c[0] | c[1] << 8 | c[2] << 16; }

std::int32_t FactoryLedMode() {
  for (const ProfileField& field : kProfileFields) {
    if (field.member == &ProfileRecord::LedMode1) return field.factory_value;
  }
  return 0;
}

// Which lighting controls each mode shows.
//                                  23     24     25     29     33     58     64     63     22
constexpr std::array<ModeView, 5> kModeViews = {{
    {{true, true, true, false, false, false, false, false, false},
     true,
     {true, false, false},
     false},
    {{true, true, true, true, false, false, false, false, false}, true, {true, true, false}, false},
    {{false, false, true, false, true, true, false, false, true}, false, {true, false, true}, true},
    {{false, false, true, true, false, false, false, true, false},
     false,
     {true, true, false},
     false},
    {{false, false, false, false, false, false, true, false, false},
     false,
     {false, false, false},
     false},
}};

// Each edit changes the record in place and says what the window shows.
struct Editor {
  ProfileRecord& p;
  const Rgb& colour;
  ValueEffects& e;

  void operator()(const ReportRateClicked& edit) const {
    e.report_rate = edit.button;
    p.PollingRate = kPollingRates[edit.button];
  }

  void operator()(const LightingModeClicked& edit) const {
    e.lighting_mode = edit.mode;
    p.LedMode1 = edit.mode;
  }

  void operator()(const LightingGroupClicked& edit) const {
    e.lighting_group = GroupChoice{edit.group, edit.button};
    switch (edit.group) {
      case 0:
        p.LedState1 = kLedStates[edit.button];
        break;
      case 1:
        p.BreathState1 = kSpeedStates[edit.button];
        break;
      default:
        p.FlashState1 = kSpeedStates[edit.button];
        break;
    }
  }

  void operator()(const StageEnableClicked& edit) const {
    const auto disabled = std::count_if(p.Stages.begin(), p.Stages.end(),
                                        [](const DpiStage& s) { return s.Enabled == 0; });
    if (edit.checked || disabled < 4) {
      p.Stages[edit.stage].Enabled = edit.checked ? 1 : 0;
    } else {
      // At least two stages stay enabled.
      e.stage_enable_refused = edit.stage;
      p.Stages[edit.stage].Enabled = 1;
    }
  }

  void operator()(const StageLinkClicked& edit) const {
    DpiStage& s = p.Stages[edit.stage];
    s.Linked = edit.checked ? 1 : 0;
    s.Y = s.X;
    e.show_stage = edit.stage;
  }

  void operator()(const SliderMoved& edit) const {
    const std::int64_t id = edit.id;
    const auto value = static_cast<std::int32_t>(edit.position);
    if (id >= kSliderAcceleration && id <= kSliderDoubleClick) {
      const int index = static_cast<int>(id - kSliderAcceleration);
      std::array<std::int32_t*, 4> fields = {&p.Acceleration, &p.MouseSensitivity,
                                             &p.WheelScrollLines, &p.DoubleClickSpeed};
      *fields[index] = value;
      e.pointer_slider = PointerShown{index, value};
    } else if (id >= kSliderStageX && id < kSliderStageX + kStageCount) {
      const int k = static_cast<int>(id - kSliderStageX);
      p.Stages[k].X = StagePosition(value);
      e.stage_labels = StageLabels{k, StageToDpi(p.Stages[k].X), std::nullopt};
    } else if (id >= kSliderStageY && id < kSliderStageY + kStageCount) {
      const int k = static_cast<int>(id - kSliderStageY);
      p.Stages[k].Y = StagePosition(value);
      e.stage_labels = StageLabels{k, std::nullopt, StageToDpi(p.Stages[k].Y)};
    } else if (id >= kSliderStageXY && id < kSliderStageXY + kStageCount) {
      const int k = static_cast<int>(id - kSliderStageXY);
      p.Stages[k].X = p.Stages[k].Y = StagePosition(value);
      e.stage_labels = StageLabels{k, StageToDpi(p.Stages[k].X), StageToDpi(p.Stages[k].Y)};
    } else if (id >= kSliderRed && id < kSliderRed + 3) {
      const int component = static_cast<int>(id - kSliderRed);
      Rgb changed = colour;
      changed[component] = static_cast<std::uint8_t>((value - 1) & 0xFF);
      SetColour(changed);
      e.colour_edit = component;
      e.swatch = true;
    }
  }

  void operator()(const ColourTyped& edit) const {
    if (edit.tag < kEditRed || edit.tag > kEditRed + 2) return;
    const int component = static_cast<int>(edit.tag - kEditRed);
    if (edit.values[component].value_or(0) >= 256) e.colour_edit_cut = component;
    // The colour is built from what the three edits hold, cut to a byte; a
    // text that is no number reads as 0.
    Rgb typed{};
    for (int i = 0; i < 3; ++i) {
      typed[i] = static_cast<std::uint8_t>(std::clamp(edit.values[i].value_or(0), 0, 255));
    }
    SetColour(typed);
    e.colour_slider = component;
    e.swatch = true;
  }

  void operator()(const ColourPicked& edit) const {
    SetColour(edit.colour);
    e.colour_controls = true;
  }

  void SetColour(const Rgb& c) const {
    e.colour = c;
    p.LedColor1 = Pack(c);
  }
};

}  // namespace

ValueResult EditValue(const ProfileRecord& record, const Rgb& colour, const ValueEdit& edit) {
  ValueResult result{record, {}};
  std::visit(Editor{result.record, colour, result.effects}, edit);
  return result;
}

int ReportRateShown(std::int32_t polling_rate) {
  const int rate = IndexOf(kPollingRates, polling_rate);
  return rate < 0 ? 1 : rate;
}

// A mode never set (a first run, before any profile file exists) is the
// mouse's factory mode: shown selected, while the stored value stays unset
// until the user picks a mode.
int ShownLightingMode(std::int32_t stored) {
  return stored == kUnset ? FactoryLedMode() : stored & 0xFF;
}

LightingChoices LightingChoicesShown(const ProfileRecord& p) {
  const auto first_otherwise = [](int index) { return index < 0 ? 0 : index; };
  return {{first_otherwise(IndexOf(kLedStates, p.LedState1)),
           first_otherwise(IndexOf(kSpeedStates, p.BreathState1)),
           first_otherwise(IndexOf(kSpeedStates, p.FlashState1))},
          p.LedDirect1 == 1 ? 1 : 0};
}

std::optional<ModeView> LightingModeView(int mode) {
  if (mode < 0 || mode > 4) return std::nullopt;
  return kModeViews[mode];
}

bool WheelShown(int mode_shown) { return mode_shown >= 0 && mode_shown <= 1; }

Rgb ColourOf(std::int32_t led_color) {
  const auto c = static_cast<std::uint32_t>(led_color);
  return {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8),
          static_cast<std::uint8_t>(c >> 16)};
}

StageShown StageView(const DpiStage& s) {
  return {s.Linked == 1,   s.Enabled != 0,     s.Linked != 0,     StageToDpi(s.X),
          StageToDpi(s.Y), StagePosition(s.X), StagePosition(s.Y)};
}

}  // namespace vantix
