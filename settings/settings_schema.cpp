#include "settings/settings_schema.h"

namespace vantix {
// Group, PollingRate, WheelScrollLines, MouseSensitivity, DoubleClickSpeed,
// UniversalScrollEnabled, Acceleration, XYSensitivityEnabled, MouseSpeedX,
// MouseSpeedY, OFASensitivity, LedMode1, LedState1, FlashState1, BreathState1,
// LedColor1, LedDirect1, ANGLE, LIFT, DPI, DPICurrentX, DPICurrentY, DPIStageNum.
const std::array<int, 23> kSaveOrder = {0,  1,  3,  5,  2,  4,  6,  7,  9,  10, 8, 11,
                                        12, 14, 13, 16, 15, 17, 18, 19, 20, 21, 22};

}  // namespace vantix
