// Motion and wheel of the served mouse as the profile wants them: scaled by
// the active resolution stage against the mouse's own resolution, by the
// pointer speed and acceleration, and the wheel by the lines per notch.
// Fractions are carried from report to report, so nothing drifts.
#pragma once

#include <cstdint>
#include <vector>

#include "agent/input_mapper.h"

namespace vantix::agent {

struct PointerSettings {
  int stage_dpi_x = InputMapper::kDefaultNativeDpi;
  int stage_dpi_y = InputMapper::kDefaultNativeDpi;
  int native_dpi = InputMapper::kDefaultNativeDpi;
  int speed = 10;        // 1..20, 10 unchanged
  int acceleration = 1;  // 1 none .. 4
  int wheel_lines = 3;   // 1..63, 3 unchanged
};

// The pointer speed as a multiple of 1/32: the classic desktop table.
int SpeedIn32nds(int speed);

// One wheel axis: notches in, lines/3 notches out in hi-res units (120 a
// notch), with the low-resolution wheel following the hi-res total.
class WheelAxis {
 public:
  void SetLines(int lines) { lines_ = lines; }
  // Hi-res units in; hi-res and whole notches out.
  void Scale(std::int64_t hires_in, std::int32_t& hires_out, std::int32_t& notches_out);

 private:
  int lines_ = 3;
  std::int64_t thirds_ = 0;  // hi-res units times 3 not yet sent
  std::int64_t partial_ = 0; // hi-res units sent since the last whole notch
};

class PointerMotion {
 public:
  // Settings out of range fall back to unchanged motion. Fractions carry over
  // unless the mouse's own resolution changes.
  void Configure(const PointerSettings& settings);

  // Collects one EV_REL event of the current report.
  void Add(std::uint16_t code, std::int32_t value);
  // At the end of a report: appends its scaled motion and wheel as one frame
  // closed by SYN_REPORT, or nothing when it all rounds to nothing.
  void Flush(std::vector<InputEvent>& out);
  // Forgets the current report (the kernel dropped events).
  void Discard();

 private:
  std::int64_t ScaleAxis(std::int64_t fixed, std::int64_t& carry) const;
  void Accelerate(std::int64_t& fx, std::int64_t& fy) const;

  std::int64_t num_x_ = 32 * 1000;  // fixed-point units per count
  std::int64_t num_y_ = 32 * 1000;
  std::int64_t den_ = 32 * 1000;    // fixed-point units per pixel
  int acceleration_ = 1;
  std::int64_t carry_x_ = 0;
  std::int64_t carry_y_ = 0;
  WheelAxis wheel_axis_;
  WheelAxis hwheel_axis_;

  // The report being collected.
  std::int64_t dx_ = 0;
  std::int64_t dy_ = 0;
  std::int64_t wheel_ = 0;
  std::int64_t wheel_hires_ = 0;
  std::int64_t hwheel_ = 0;
  std::int64_t hwheel_hires_ = 0;
  bool has_wheel_hires_ = false;
  bool has_hwheel_hires_ = false;
  bool pending_ = false;
};

}  // namespace vantix::agent
