// The whole configurable state of the mouse: which of the five profiles is
// current and, per profile, every value the device agent applies.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/function_codes.h"

namespace vantix {

inline constexpr int kProfileCount = 5;
inline constexpr int kStageCount = 6;
inline constexpr int kButtonCount = 12;
inline constexpr std::size_t kKeyEventBytes = 189;
inline constexpr std::size_t kStageBlockBytes = 96;  // six stages of four int32
inline constexpr std::size_t kMacroNameUnits = 260;
inline constexpr std::int32_t kUnset = -1;
inline constexpr std::uint8_t kUnsetByte = 0xFF;

struct DpiStage {
  std::int32_t Enabled = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
  std::int32_t Linked = 0;
  bool operator==(const DpiStage&) const = default;
};

struct ButtonRecord {
  std::uint8_t ButtonID = 0;
  std::uint8_t ButtonFunc = 0;
  std::uint8_t LoopNumber = 0;
  std::uint8_t KeyNumber = 0;
  std::array<std::uint8_t, kKeyEventBytes> KeyEvents{};
  std::uint8_t Unused = 0;
  std::array<char16_t, kMacroNameUnits> MacroName{};  // NUL-terminated UTF-16
  bool operator==(const ButtonRecord&) const = default;
};

struct ProfileRecord {
  std::int32_t Group = 0;
  std::int32_t PollingRate = 0;
  std::int32_t DoubleClickSpeed = 0;
  std::int32_t WheelScrollLines = 0;
  std::int32_t UniversalScrollEnabled = 0;
  std::int32_t MouseSensitivity = 0;
  std::int32_t Acceleration = 0;
  std::int32_t XYSensitivityEnabled = 0;
  std::int32_t OFASensitivity = 0;
  std::int32_t MouseSpeedX = 0;
  std::int32_t MouseSpeedY = 0;
  std::int32_t LedMode1 = 0;
  std::int32_t LedState1 = 0;
  std::int32_t BreathState1 = 0;
  std::int32_t FlashState1 = 0;
  std::int32_t LedDirect1 = 0;
  std::int32_t LedColor1 = 0;
  std::int32_t ANGLE = 0;
  std::int32_t LIFT = 0;
  std::int32_t DPI = 0;
  std::int32_t DPICurrentX = 0;
  std::int32_t DPICurrentY = 0;
  std::int32_t DPIStageNum = 0;
  std::array<DpiStage, kStageCount> Stages{};
  std::array<ButtonRecord, kButtonCount> Buttons{};
  bool operator==(const ProfileRecord&) const = default;
};

struct SettingsBlock {
  std::int32_t CurrentProfile = 0;
  std::array<ProfileRecord, kProfileCount> Profiles{};
  bool operator==(const SettingsBlock&) const = default;
};

// The macro name or text of a button, up to its NUL.
inline std::u16string_view MacroNameView(const ButtonRecord& button) {
  const std::u16string_view all(button.MacroName.data(), button.MacroName.size());
  return all.substr(0, all.find(u'\0'));
}

// Factory tables.
// A stage value (and the current DPI) counts steps from 1 up.
inline constexpr std::int32_t kStageValueMin = 1;
inline constexpr std::int32_t kStageValueMax = 135;
constexpr bool IsStageValue(std::int32_t value) {
  return value >= kStageValueMin && value <= kStageValueMax;
}
inline constexpr std::array<std::int32_t, kStageCount> kDefaultStageValue = {10, 20, 30, 50, 100, 135};
inline constexpr std::array<std::int32_t, kProfileCount> kDefaultLedColor = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr std::array<std::uint8_t, kButtonCount> kFallbackFunction = {
    kPrimaryClickFunction, kRightClickFunction, kMiddleClickFunction, kSingleKeyFunction,
    kSingleKeyFunction,    kSingleKeyFunction,  kSingleKeyFunction,   kSingleKeyFunction,
    kSingleKeyFunction,    kDpiDownFunction,    kDpiCycleFunction,    kFireKeyFunction};

// Marks every field unset.
void InitSettings(SettingsBlock& block);
// Copies loaded into live and repairs every out-of-range field of live;
// returns whether anything was repaired.
bool ValidateSettings(const SettingsBlock& loaded, SettingsBlock& live);
// Factory values for one profile; Group, ButtonID and LoopNumber are kept.
void ResetProfile(SettingsBlock& block, int index);
// Factory values for every profile, and the first profile current.
void ResetAllProfiles(SettingsBlock& block);
// Stage value to dots per inch: 100 per step up to 120, 200 per step above.
std::int32_t StageToDpi(std::int32_t stage_value);
ProfileRecord& CurrentRecord(SettingsBlock& block);
const ProfileRecord& CurrentRecord(const SettingsBlock& block);

// The 96-byte little-endian image of the six stages, as the files store it.
std::array<std::uint8_t, kStageBlockBytes> PackStages(const std::array<DpiStage, kStageCount>& stages);
void UnpackStages(const std::array<std::uint8_t, kStageBlockBytes>& bytes,
                  std::array<DpiStage, kStageCount>& stages);

}  // namespace vantix
