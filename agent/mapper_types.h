// What the mapping and the backends that feed it share: the kernel's events,
// the clock they are stamped with and the macros handed over by slot. The
// mapper builds on this alone, never on the backends' interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings_block.h"

namespace vantix::agent {

// One kernel input event (struct input_event without its time): EV_KEY,
// EV_REL, EV_SYN and so on with their codes from <linux/input-event-codes.h>.
struct InputEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
  bool operator==(const InputEvent&) const = default;
};

// Milliseconds on a monotonic clock of the caller's choice.
using Millis = std::int64_t;

inline constexpr int kMacroSlots = 15;

// A macro of the index, as the mapping plays it.
struct MacroUpload {
  int slot = -1;
  std::string name;
  std::int32_t loop_time = 1;
  std::int32_t loop_type = 0;
  std::int32_t delay_type = 2;
  std::array<std::uint8_t, kKeyEventBytes> events{};
};

}  // namespace vantix::agent
