#include "settings/settings_schema.h"

namespace vantix {
namespace {

constexpr std::int32_t U = kUnset;

constexpr ProfileField Range(std::string_view key, std::int32_t ProfileRecord::*member,
                             std::int32_t factory, std::int32_t min, std::int32_t max,
                             std::int32_t repair) {
  return {key, member, U, U, factory, RepairRule::kRange, min, max, repair, true};
}

}  // namespace

// "unsigned above N" in the repair rules is the range 0..N: -1 is the largest
// unsigned value.
const std::array<ProfileField, 23> kProfileFields = {{
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
    Range("DPICurrentX", &ProfileRecord::DPICurrentX, 14, 1, 135, 14),
    Range("DPICurrentY", &ProfileRecord::DPICurrentY, 14, 1, 135, 14),
    Range("DPIStageNum", &ProfileRecord::DPIStageNum, 6, 6, 6, 6),
}};

// Group, PollingRate, WheelScrollLines, MouseSensitivity, DoubleClickSpeed,
// UniversalScrollEnabled, Acceleration, XYSensitivityEnabled, MouseSpeedX,
// MouseSpeedY, OFASensitivity, LedMode1, LedState1, FlashState1, BreathState1,
// LedColor1, LedDirect1, ANGLE, LIFT, DPI, DPICurrentX, DPICurrentY, DPIStageNum.
const std::array<int, 23> kSaveOrder = {0,  1,  3,  5,  2,  4,  6,  7,  9,  10, 8, 11,
                                        12, 14, 13, 16, 15, 17, 18, 19, 20, 21, 22};

}  // namespace vantix
