#include "agent/pointer_motion.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>


namespace vantix::agent {
namespace {

constexpr std::int64_t kHiResPerNotch = 120;
constexpr int kUnchangedLines = 3;

// 1/32, 1/16, 1/8, then eighths up to 1 at 10, then quarters up to 3.5.
constexpr std::array<int, 20> kSpeed32 = {1,  2,  4,  8,  12, 16, 20, 24, 28,  32,
                                          40, 48, 56, 64, 72, 80, 88, 96, 104, 112};

// Acceleration levels 2..4: above a threshold of pixels per report the
// excess is multiplied by a gain (the classic X11 threshold scheme).
struct AccelStep {
  int threshold;
  double gain;
};
constexpr std::array<AccelStep, 3> kAccel = {{{6, 1.5}, {4, 2.0}, {2, 2.5}}};

std::int32_t Clamp32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void Push(std::vector<InputEvent>& out, std::uint16_t code, std::int64_t value) {
  if (value != 0) out.push_back({EV_REL, code, Clamp32(value)});
}

}  // namespace

int SpeedIn32nds(int speed) {
  if (speed < 1 || speed > static_cast<int>(kSpeed32.size())) return 32;
  return kSpeed32[static_cast<std::size_t>(speed - 1)];
}

void WheelAxis::Scale(std::int64_t hires_in, std::int32_t& hires_out, std::int32_t& notches_out) {
  thirds_ += hires_in * lines_;
  const std::int64_t hires = thirds_ / kUnchangedLines;
  thirds_ -= hires * kUnchangedLines;
  // A turn the other way starts a fresh notch, as the kernel's own wheel does.
  if ((hires > 0 && partial_ < 0) || (hires < 0 && partial_ > 0)) partial_ = 0;
  partial_ += hires;
  const std::int64_t notches = partial_ / kHiResPerNotch;
  partial_ -= notches * kHiResPerNotch;
  hires_out = Clamp32(hires);
  notches_out = Clamp32(notches);
}

void PointerMotion::Configure(const PointerSettings& settings) {
  const int native = settings.native_dpi > 0 ? settings.native_dpi : InputMapper::kDefaultNativeDpi;
  const auto dpi = [native](int stage_dpi) { return stage_dpi > 0 ? stage_dpi : native; };
  const std::int64_t speed = SpeedIn32nds(settings.speed);
  const std::int64_t den = std::int64_t{32} * native;
  if (den != den_) {
    carry_x_ = 0;
    carry_y_ = 0;
  }
  den_ = den;
  num_x_ = dpi(settings.stage_dpi_x) * speed;
  num_y_ = dpi(settings.stage_dpi_y) * speed;
  acceleration_ = settings.acceleration >= 1 && settings.acceleration <= 4 ? settings.acceleration : 1;
  const int lines = settings.wheel_lines >= 1 && settings.wheel_lines <= 63 ? settings.wheel_lines
                                                                            : kUnchangedLines;
  wheel_axis_.SetLines(lines);
  hwheel_axis_.SetLines(kUnchangedLines);
}

void PointerMotion::Add(std::uint16_t code, std::int32_t value) {
  // Kept within 32 bits however long a report is, so the fixed point below
  // cannot overflow.
  const auto add = [value](std::int64_t& sum) { sum = Clamp32(sum + value); };
  switch (code) {
    case REL_X: add(dx_); break;
    case REL_Y: add(dy_); break;
    case REL_WHEEL: add(wheel_); break;
    case REL_HWHEEL: add(hwheel_); break;
    case REL_WHEEL_HI_RES:
      add(wheel_hires_);
      has_wheel_hires_ = true;
      break;
    case REL_HWHEEL_HI_RES:
      add(hwheel_hires_);
      has_hwheel_hires_ = true;
      break;
    default: return;  // axes the virtual device does not have
  }
  pending_ = true;
}

std::int64_t PointerMotion::ScaleAxis(std::int64_t fixed, std::int64_t& carry) const {
  carry += fixed;
  const std::int64_t whole = carry / den_;
  carry -= whole * den_;
  return whole;
}

void PointerMotion::Accelerate(std::int64_t& fx, std::int64_t& fy) const {
  const AccelStep& step = kAccel[static_cast<std::size_t>(acceleration_ - 2)];
  const std::int64_t magnitude = std::max(std::llabs(fx), std::llabs(fy));
  const std::int64_t threshold = step.threshold * den_;
  if (magnitude <= threshold) return;
  const double boosted = static_cast<double>(threshold) +
                         static_cast<double>(magnitude - threshold) * step.gain;
  const double ratio = boosted / static_cast<double>(magnitude);
  fx = std::llround(static_cast<double>(fx) * ratio);
  fy = std::llround(static_cast<double>(fy) * ratio);
}

void PointerMotion::Flush(std::vector<InputEvent>& out) {
  if (!pending_) return;
  std::int64_t fx = dx_ * num_x_;
  std::int64_t fy = dy_ * num_y_;
  if (acceleration_ > 1) Accelerate(fx, fy);
  const std::size_t start = out.size();
  Push(out, REL_X, ScaleAxis(fx, carry_x_));
  Push(out, REL_Y, ScaleAxis(fy, carry_y_));
  // A hi-res wheel reports both; the hi-res value is the whole truth then.
  std::int32_t hires = 0;
  std::int32_t notches = 0;
  wheel_axis_.Scale(has_wheel_hires_ ? wheel_hires_ : wheel_ * kHiResPerNotch, hires, notches);
  Push(out, REL_WHEEL, notches);
  Push(out, REL_WHEEL_HI_RES, hires);
  hwheel_axis_.Scale(has_hwheel_hires_ ? hwheel_hires_ : hwheel_ * kHiResPerNotch, hires, notches);
  Push(out, REL_HWHEEL, notches);
  Push(out, REL_HWHEEL_HI_RES, hires);
  if (out.size() != start) out.push_back({EV_SYN, SYN_REPORT, 0});
  Discard();
}

void PointerMotion::Discard() {
  dx_ = dy_ = wheel_ = wheel_hires_ = hwheel_ = hwheel_hires_ = 0;
  has_wheel_hires_ = has_hwheel_hires_ = false;
  pending_ = false;
}

}  // namespace vantix::agent
