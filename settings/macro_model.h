// A macro in memory: up to 63 three-byte events (key and mouse-button presses
// and releases, delays) with its repeat and delay settings. The event layout
// is also what the files store and what the device agent passes on to the
// mouse.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantix {

// The macro folder of the data folder and the macro index in it.
inline constexpr std::string_view kMacroFolderName = "MacroDB/";
inline constexpr std::string_view kMacroIndexFile = "MacroSet.MSDB";

// The macro index has fifteen numbered slots; a slot number is how button
// assignments and the device agent refer to a macro.
inline constexpr int kMacroSlotCount = 15;
inline constexpr int kMacroEventCapacity = 63;
inline constexpr std::size_t kMacroEventBytes = 189;
// The name entry takes at most 20 UTF-16 units.
inline constexpr std::size_t kMacroNameMaxUnits = 20;

// The value of each index slot, in slot order; empty for a free slot.
using MacroSlots = std::array<std::string, kMacroSlotCount>;

// Event types (the low 7 bits of the type byte).
inline constexpr std::uint8_t kMouseButtonEvent = 1;  // 2 and 3 read the same, never written
inline constexpr std::uint8_t kKeyEvent = 4;
inline constexpr std::uint8_t kDelayEvent = 6;
inline constexpr std::uint8_t kPressFlag = 0x80;

// Mouse buttons in the code byte of a mouse-button event.
inline constexpr std::uint8_t kMacroLeftButton = 1;
inline constexpr std::uint8_t kMacroRightButton = 2;
inline constexpr std::uint8_t kMacroMiddleButton = 4;

// A delay count is in units of 10 ms.
inline constexpr int kDelayUnitMs = 10;

struct MacroEvent {
  std::uint8_t type = 0;   // event type; bit 7 set for a press
  std::uint8_t code = 0;   // HID usage, mouse button, or low byte of a delay count
  std::uint8_t extra = 0;  // high byte of a delay count, else 0

  static constexpr MacroEvent Key(std::uint8_t usage, bool press) {
    return {static_cast<std::uint8_t>(kKeyEvent | (press ? kPressFlag : 0)), usage, 0};
  }
  static constexpr MacroEvent MouseButton(std::uint8_t button, bool press) {
    return {static_cast<std::uint8_t>(kMouseButtonEvent | (press ? kPressFlag : 0)), button, 0};
  }
  static constexpr MacroEvent Delay(std::uint16_t count) {
    return {kDelayEvent, static_cast<std::uint8_t>(count & 0xFF),
            static_cast<std::uint8_t>(count >> 8)};
  }

  constexpr std::uint8_t Type() const { return type & 0x7F; }
  constexpr bool IsPress() const { return (type & kPressFlag) != 0; }
  constexpr bool IsEmpty() const { return type == 0 && code == 0 && extra == 0; }
  constexpr bool IsMouseButton() const { return Type() >= 1 && Type() <= 3; }
  constexpr bool IsKey() const { return Type() == kKeyEvent; }
  constexpr bool IsDelay() const { return Type() == kDelayEvent; }
  // Events of other types stay in the block but are never listed, counted
  // or checked.
  constexpr bool IsListed() const { return !IsEmpty() && (IsMouseButton() || IsKey() || IsDelay()); }
  constexpr std::uint16_t DelayCount() const {
    return static_cast<std::uint16_t>(code | (extra << 8));
  }
  constexpr int DelayMs() const { return DelayCount() * kDelayUnitMs; }

  bool operator==(const MacroEvent&) const = default;
};
static_assert(sizeof(MacroEvent) == 3);

// 63 slots, packed from slot 0; every slot after the last event is empty.
using MacroEventBlock = std::array<MacroEvent, kMacroEventCapacity>;
static_assert(sizeof(MacroEventBlock) == kMacroEventBytes);

// The number of events an event list shows for a block.
constexpr int CountListedEvents(const MacroEventBlock& events) {
  int count = 0;
  for (const MacroEvent& event : events) count += event.IsListed() ? 1 : 0;
  return count;
}

// Repeat modes.
inline constexpr std::int32_t kLoopTimes = 0;      // repeat LoopTime times
inline constexpr std::int32_t kLoopSecondMode = 1; // the second loop box; the mouse gives it its meaning
inline constexpr std::int32_t kLoopNone = 2;       // no loop box chosen
// Delay modes for recording.
inline constexpr std::int32_t kDelayMeasured = 0;
inline constexpr std::int32_t kDelayFixed = 1;
inline constexpr std::int32_t kDelayNone = 2;

// The macro open in the editor. The defaults are those of a new macro.
struct MacroData {
  std::string name;  // 1..20 UTF-16 units; the index value and the file name stem
  MacroEventBlock events{};
  std::int32_t count = 0;  // events in use, 0..63
  std::int32_t LoopTime = 1;
  std::int32_t LoopType = kLoopNone;
  std::int32_t DelayType = kDelayNone;
  bool operator==(const MacroData&) const = default;
};

}  // namespace vantix
