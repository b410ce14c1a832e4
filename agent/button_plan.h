// What one button of a profile does, worked out once when the profile is set
// so that a press costs no parsing: the keys it holds, the frames it sends
// at press, or the sequence it starts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "agent/mapper_types.h"
#include "settings/settings_block.h"

namespace vantix::agent {

// One step of a macro, ready to play.
struct MacroStep {
  enum class Kind : std::uint8_t { kPress, kRelease, kDelay };
  Kind kind = Kind::kPress;
  std::uint16_t code = 0;  // key or button code
  std::int32_t delay_ms = 0;
  bool operator==(const MacroStep&) const = default;
};

enum class MacroLoop : std::uint8_t { kTimes, kWhileHeld, kOnce };

struct ButtonPlan {
  enum class Kind : std::uint8_t { kNothing, kHold, kDoubleClick, kWheel, kDpi, kMacro, kFire };
  Kind kind = Kind::kNothing;
  // kHold: pressed in order at press; released in release order (then any
  // left, last pressed first) at release.
  std::vector<std::uint16_t> press;
  std::vector<std::uint16_t> release;
  // kWheel: axis code (REL_WHEEL or REL_HWHEEL) and direction.
  std::uint16_t axis = 0;
  int direction = 0;
  // kDpi: the function code (up, down or cycle).
  int dpi_function = 0;
  // kMacro.
  std::vector<MacroStep> steps;
  MacroLoop loop = MacroLoop::kOnce;
  int runs = 1;
  // kFire: the key or button tapped; shots 0 taps while held.
  std::uint16_t fire_code = 0;
  int shots = 0;
  std::int32_t interval_ms = 0;
};

// The least time between fire-key taps and between the runs of a macro
// without delays, so a button never floods the desktop.
inline constexpr std::int32_t kMinIntervalMs = 10;

// The plan of a button; a function that gives nothing to send falls back to
// holding source_code, the button's own code.
ButtonPlan PlanButton(const ButtonRecord& record, std::span<const MacroUpload> macros,
                      std::uint16_t source_code);

// The macro's events as steps: key usages through the kernel's table, mouse
// buttons 1/2/4, delays of 10 ms units; events that map to nothing dropped.
std::vector<MacroStep> MacroSteps(std::span<const std::uint8_t> bytes);

}  // namespace vantix::agent
