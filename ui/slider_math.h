// The integer arithmetic of the image sliders: where the thumb of a value
// sits, and which value a click on the track or a dropped thumb picks. Kept
// apart from the windows so the tables of clicks can be checked directly.
//
// The mappings are written for ranges that start at 1 (every slider of the
// program does): the rounding step compares against value - 1, not against
// value - min. Divisions truncate toward zero.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vantix::slider {

// SetPos: a value outside [min, max] stands for min.
constexpr std::int32_t ValidPos(std::int32_t value, std::int32_t min, std::int32_t max) {
  return value < min || value > max ? min : value;
}

// Offset of the thumb from the start of its travel for value (already valid);
// free_length is the track length less the thumb. A thumb longer than its
// track stays at the start instead of being thrown off the track.
constexpr std::int32_t ThumbOffset(std::int32_t value, std::int32_t min, std::int32_t max,
                                   std::int32_t free_length) {
  if (max <= min || free_length <= 0) return 0;
  return static_cast<std::int32_t>(static_cast<std::int64_t>(free_length) * (value - min) /
                                   (static_cast<std::int64_t>(max) - min));
}

// Rounds up by one when the point lies more than half a step past the start
// of value - 1's step, then clamps to the range.
constexpr std::int32_t RoundAndClamp(std::int64_t v, std::int64_t offset, std::int64_t step,
                                     std::int32_t min, std::int32_t max) {
  if (offset - step * (v - 1) > step / 2) ++v;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, min, max));
}

// The value of a click `offset` pixels from the start of a track `length`
// pixels long (length and range > 0; otherwise min).
constexpr std::int32_t ClickValue(std::int32_t offset, std::int32_t length, std::int32_t min,
                                  std::int32_t max) {
  if (max <= min || length <= 0) return min;
  const std::int64_t range = static_cast<std::int64_t>(max) - min;
  const std::int64_t v = min + offset * range / length;
  return RoundAndClamp(v, offset, length / range, min, max);
}

// The value of a thumb `thumb` pixels long dropped `offset` pixels from the
// start of its track. The step is the full track length over the range, not
// the free length. A thumb that fills its track can only stand for min.
constexpr std::int32_t DropValue(std::int32_t offset, std::int32_t length, std::int32_t thumb,
                                 std::int32_t min, std::int32_t max) {
  const std::int64_t free_length = static_cast<std::int64_t>(length) - thumb;
  if (max <= min || free_length <= 0) return min;
  const std::int64_t range = static_cast<std::int64_t>(max) - min;
  const std::int64_t v = min + offset * range / free_length;
  return RoundAndClamp(v, offset, length / range, min, max);
}

// A keyboard page: a tenth of the range, at least one value.
constexpr std::int32_t PageStep(std::int32_t min, std::int32_t max) {
  return static_cast<std::int32_t>(std::max<std::int64_t>(1, (static_cast<std::int64_t>(max) - min) / 10));
}

// The value `delta` values away from `value`, kept inside the range.
constexpr std::int32_t StepValue(std::int32_t value, std::int64_t delta, std::int32_t min,
                                 std::int32_t max) {
  if (max <= min) return min;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value + delta, min, max));
}

}  // namespace vantix::slider
