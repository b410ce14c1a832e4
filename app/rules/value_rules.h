// What the main window's value editors do, as data: an edit of the current
// profile goes in with the record, the new record and the display effects
// come out, and the window only carries them out. No Qt here, so that every
// rule can be checked by tables without a window.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <variant>

#include "settings/settings_block.h"

namespace vantix {

// Slider identifiers, sent with every slider move.
inline constexpr int kSliderAcceleration = 10004;
inline constexpr int kSliderPointerSpeed = 10005;
inline constexpr int kSliderWheelLines = 10006;
inline constexpr int kSliderDoubleClick = 10007;
inline constexpr int kSliderStageX = 10008;   // + stage
inline constexpr int kSliderStageY = 10014;   // + stage
inline constexpr int kSliderStageXY = 10020;  // + stage
inline constexpr int kSliderRed = 10026;      // green 10027, blue 10028
// Tags of the three colour edits (red, green, blue).
inline constexpr int kEditRed = 255;

inline constexpr int kStageSliderMax = kStageValueMax;
inline constexpr int kColourSliderMax = 256;

// The colour being edited: red, green, blue.
using Rgb = std::array<std::uint8_t, 3>;

// The edits, each as the control reports it.
struct ReportRateClicked {
  int button;  // 0..3
};
struct LightingModeClicked {
  int mode;  // 0..4
};
struct LightingGroupClicked {
  int group;   // 0..2: effect, breathing speed, flashing speed
  int button;  // 0..2
};
// The check boxes have toggled themselves already: checked is their new state.
struct StageEnableClicked {
  int stage;
  bool checked;
};
struct StageLinkClicked {
  int stage;
  bool checked;
};
struct SliderMoved {
  std::int64_t id;
  std::int64_t position;
};
// A key released in a colour edit: its tag, and the numbers the three edits
// hold now (nothing: not a number).
struct ColourTyped {
  std::int64_t tag;
  std::array<std::optional<int>, 3> values;
};
struct ColourPicked {
  Rgb colour;
};
using ValueEdit =
    std::variant<ReportRateClicked, LightingModeClicked, LightingGroupClicked, StageEnableClicked,
                 StageLinkClicked, SliderMoved, ColourTyped, ColourPicked>;

struct StageLabels {
  int stage;
  std::optional<std::int32_t> x_dpi;  // nothing: the label stays
  std::optional<std::int32_t> y_dpi;
  bool operator==(const StageLabels&) const = default;
};

struct GroupChoice {
  int group;
  int button;
  bool operator==(const GroupChoice&) const = default;
};

struct PointerShown {
  int index;           // 0..3: acceleration, pointer speed, wheel lines, double-click
  std::int32_t value;  // the thumb's position and the number in its title
  bool operator==(const PointerShown&) const = default;
};

// What the window shows after an edit, in the order it carries it out.
struct ValueEffects {
  std::optional<Rgb> colour{};                  // the colour being edited becomes this
  std::optional<int> report_rate{};             // select this report-rate button
  std::optional<int> lighting_mode{};           // show this lighting mode
  std::optional<GroupChoice> lighting_group{};  // select this button of the group
  std::optional<int> stage_enable_refused{};    // this stage's enable box is checked again
  std::optional<int> show_stage{};              // show this stage afresh
  std::optional<StageLabels> stage_labels{};
  std::optional<PointerShown> pointer_slider{};
  std::optional<int> colour_edit_cut{};  // this edit's text becomes "255"
  std::optional<int> colour_slider{};    // this component's slider follows the colour
  std::optional<int> colour_edit{};      // this component's edit follows the colour
  bool colour_controls = false;          // every colour slider and edit, and the swatch
  bool swatch = false;                   // the swatch is painted again
  bool operator==(const ValueEffects&) const = default;
};

struct ValueResult {
  ProfileRecord record;
  ValueEffects effects;
};

// An edit of the current profile; colour is the colour being edited.
ValueResult EditValue(const ProfileRecord& record, const Rgb& colour, const ValueEdit& edit);

// What the controls show for a stored profile.

// Report-rate button for a report interval: the second for any other value.
int ReportRateShown(std::int32_t polling_rate);

// The lighting mode the mode buttons show for a stored LedMode1: a mode
// never set is the mouse's factory mode.
int ShownLightingMode(std::int32_t stored);

// The selected button of each lighting group, and of the direction pair.
struct LightingChoices {
  std::array<int, 3> groups;
  int direction;
  bool operator==(const LightingChoices&) const = default;
};
LightingChoices LightingChoicesShown(const ProfileRecord& record);

// Which lighting controls a mode shows; nothing for a mode outside 0..4
// (the controls stay as they are).
struct ModeView {
  std::array<bool, 9> sections;  // in kSectionLabelTexts order
  bool colour_editor;
  std::array<bool, 3> groups;
  bool direction;
};
std::optional<ModeView> LightingModeView(int mode);

// The colour wheel and swatch are drawn, and the wheel picks, in these modes.
bool WheelShown(int mode_shown);

// The colour being edited, from a stored LedColor1 (0x00BBGGRR).
Rgb ColourOf(std::int32_t led_color);

// A stage's controls: check boxes, labels and slider positions.
struct StageShown {
  bool link_box;    // Linked is 1
  bool enable_box;  // also whether the X slider is enabled
  bool one_slider;  // Linked is non-zero: the XY slider instead of X and Y
  std::int32_t x_dpi;
  std::int32_t y_dpi;
  int x_position;
  int y_position;
  bool operator==(const StageShown&) const = default;
};
StageShown StageView(const DpiStage& stage);

}  // namespace vantix
