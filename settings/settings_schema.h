// The profile fields in one table: key, defaults, factory value and repair
// rule. Loading, saving, validation, reset, import, export and the JSON of
// vantixctl are all driven from it, so no key is spelled twice.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/settings_block.h"

namespace vantix {

enum class RepairRule {
  kNone,        // kept whatever it holds
  kRange,       // outside [min, max] becomes repair_value
  kGroup,       // unset becomes 1 for the first profile, 0 for the others
  kLedColor,    // unset becomes the profile's default colour
};

struct ProfileField {
  std::string_view key;  // field name and INI key
  std::int32_t ProfileRecord::*member;
  std::int32_t init_value;      // after InitSettings
  std::int32_t load_default;    // when the profile file lacks the key
  std::int32_t factory_value;   // after ResetProfile
  RepairRule rule;
  std::int32_t min, max, repair_value;
  bool reset;                   // whether ResetProfile sets it
};

namespace schema_detail {

inline constexpr std::int32_t U = kUnset;

constexpr ProfileField Range(std::string_view key, std::int32_t ProfileRecord::*member,
                             std::int32_t factory, std::int32_t min, std::int32_t max,
                             std::int32_t repair) {
  return {key, member, U, U, factory, RepairRule::kRange, min, max, repair, true};
}

}  // namespace schema_detail

// "unsigned above N" in the repair rules is the range 0..N: -1 is the largest
// unsigned value.
inline constexpr std::array<ProfileField, 23> kProfileFields = [] {
  using namespace schema_detail;
  return std::array<ProfileField, 23>{{
      {"Group", &ProfileRecord::Group, U, U, 0, RepairRule::kGroup, 0, 0, 0, false},
      Range("PollingRate", &ProfileRecord::PollingRate, 2, 0, 8, 2),
      Range("DoubleClickSpeed", &ProfileRecord::DoubleClickSpeed, 5, 0, 10, 5),
      Range("WheelScrollLines", &ProfileRecord::WheelScrollLines, 3, 1, 63, 3),
      Range("UniversalScrollEnabled", &ProfileRecord::UniversalScrollEnabled, 0, 0, 1, 0),
      Range("MouseSensitivity", &ProfileRecord::MouseSensitivity, 10, 1, 20, 10),
      Range("Acceleration", &ProfileRecord::Acceleration, 1, 1, 4, 1),
      Range("XYSensitivityEnabled", &ProfileRecord::XYSensitivityEnabled, 0, 0, 1, 0),
      Range("OFASensitivity", &ProfileRecord::OFASensitivity, 10, 0, 10, 10),
      Range("MouseSpeedX", &ProfileRecord::MouseSpeedX, 10, 0, 10, 10),
      Range("MouseSpeedY", &ProfileRecord::MouseSpeedY, 10, 0, 10, 10),
      {"LedMode1", &ProfileRecord::LedMode1, 0, U, 3, RepairRule::kNone, 0, 0, 0, true},
      Range("LedState1", &ProfileRecord::LedState1, 2, 1, 44, 2),
      Range("BreathState1", &ProfileRecord::BreathState1, 5, 1, 10, 5),
      Range("FlashState1", &ProfileRecord::FlashState1, 5, 1, 10, 5),
      {"LedDirect1", &ProfileRecord::LedDirect1, 0, 0, 0, RepairRule::kNone, 0, 0, 0, true},
      {"LedColor1", &ProfileRecord::LedColor1, U, 0, 0xFF, RepairRule::kLedColor, 0, 0, 0, true},
      Range("ANGLE", &ProfileRecord::ANGLE, 0, 0, 1, 0),
      Range("LIFT", &ProfileRecord::LIFT, 3, 1, 5, 3),
      Range("DPI", &ProfileRecord::DPI, 1, 0, 6, 1),
      Range("DPICurrentX", &ProfileRecord::DPICurrentX, 14, kStageValueMin, kStageValueMax, 14),
      Range("DPICurrentY", &ProfileRecord::DPICurrentY, 14, kStageValueMin, kStageValueMax, 14),
      Range("DPIStageNum", &ProfileRecord::DPIStageNum, 6, 6, 6, 6),
  }};
}();

// The field of a key of the table, looked up while compiling: a key outside
// the table does not compile.
consteval const ProfileField& ProfileFieldOf(std::string_view key) {
  for (const ProfileField& field : kProfileFields) {
    if (field.key == key) return field;
  }
  throw "no such profile field";
}

// Field indices in the order the files are written in.
extern const std::array<int, 23> kSaveOrder;

// Keys of the file format that are not fields of the table.
inline constexpr std::string_view kGroupSection = "GROUP";
inline constexpr std::string_view kGroupIdKey = "GroupID";
inline constexpr std::string_view kStageValueKey = "DPIStageValue";
inline constexpr std::string_view kButtonIdKey = "ButtonID";
inline constexpr std::string_view kButtonFuncKey = "ButtonFunc";
inline constexpr std::string_view kLoopNumberKey = "LoopNumber";
inline constexpr std::string_view kKeyNumberKey = "KeyNumber";
inline constexpr std::string_view kMacroNameKey = "MacroName";

}  // namespace vantix
