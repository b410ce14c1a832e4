// Recording key reports into a macro, and the editor's operations on a
// macro's events by list position. No window code: the editor mirrors every
// change into its event list, and tests drive it with their own clock.
//
// The editor lists exactly the listed events of a macro, one row each, so a
// row number is a slot number once PackListedEvents has run on a loaded
// macro.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "assign/key_names.h"
#include "settings/macro_model.h"

namespace vantix {

// The longest delay one recorded event holds: 6553 units, 65530 ms.
inline constexpr int kMaxRecordedDelayUnits = 6553;
// The longest delay the event list's number box takes: 99999 ms, 9999 units.
inline constexpr int kMaxEditedDelayMs = 99999;
// A recording needs room for a delay and a key event.
inline constexpr int kRecordingRoom = kMacroEventCapacity - 1;

// The decimal number at the start of text, as the edit boxes read it:
// leading blanks and one sign are allowed, reading stops at the first other
// character; 0 when there is no digit. Clamped to the range of int32.
std::int32_t LeadingDecimal(std::string_view text);

// Moves the listed events of a block to its front, in their order, followed
// by the events of other types (kept, never listed), then the empty slots.
// A block written by this program is already packed; a foreign one with
// gaps would otherwise make row numbers miss their slots.
void PackListedEvents(MacroEventBlock& events);

// Puts event into slot (0..count) and moves the later slots up by one.
// False, and nothing changes, when the macro is full or slot is out of range.
bool InsertEvent(MacroData& macro, int slot, MacroEvent event);
// Removes slot (0..count-1), moving the later slots down; false when out of range.
bool EraseEvent(MacroData& macro, int slot);
// Swaps two slots below count; false when either is out of range.
bool SwapEvents(MacroData& macro, int a, int b);

// Whether every pressed key or mouse button is released somewhere in the
// macro: only the code bytes are compared, and order does not matter.
bool CheckPressRelease(const MacroData& macro);
// Sum of every delay event of the block, in milliseconds.
int TotalDelayMs(const MacroEventBlock& events);
// The delay a number box value stores, in units (at most 9999).
std::uint16_t EditedDelayUnits(std::int64_t milliseconds);

class MacroRecorder {
 public:
  // A millisecond tick that wraps at 2^32, as the system's tick count does.
  using Clock = std::function<std::uint32_t()>;
  // Nothing: a steady clock of this process.
  explicit MacroRecorder(Clock clock = {});

  // One recorded event and the list row it goes to (a row insertion; in
  // append mode the row is the end of the list). key_code is the captured
  // key, for the row text, on key events.
  struct Step {
    int row = 0;
    MacroEvent event;
    std::optional<KeyCode> key_code;
  };

  // Replace mode empties the macro's events; insert mode keeps them and adds
  // after the selected row.
  void Start(MacroData& macro, bool insert);
  void Stop() { recording_ = false; }
  bool Recording() const { return recording_; }
  bool InsertMode() const { return insert_; }
  // The next report starts a new measurement (a new macro).
  void ForgetLastTick() { last_tick_.reset(); }

  // A key report (wparam KeyCode, lparam 0/1 press, 0x80/0x81 release).
  // Returns the events added, in order, with their rows; empty when the
  // report was ignored (a repeat of the last accepted report, a full macro,
  // not recording). selected_row is the list's selection (-1 for none);
  // delay_box is the text of the fixed-delay box.
  std::vector<Step> OnHookKey(MacroData& macro, std::int64_t wparam, std::int64_t lparam,
                              int selected_row, std::string_view delay_box);

 private:
  std::optional<int> DelayBefore(const MacroData& macro, std::string_view delay_box);

  Clock clock_;
  bool recording_ = false;
  bool insert_ = false;
  std::optional<std::uint32_t> last_tick_;
};

}  // namespace vantix
