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

// In the order of the field table.
extern const std::array<ProfileField, 23> kProfileFields;

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
