// What the served mouse's events become on the agent's virtual device: the
// functions of the profile's buttons, the DPI stages and the pointer settings.
// Pure: no I/O and no clock of its own; the backend feeds it events with the
// time they arrived, emits what it returns and calls Tick at NextDeadline.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "agent/mapper_types.h"
#include "settings/settings_block.h"

namespace vantix::agent {

// A window message the agent posts to the main window: 0x1515 with an event
// kind and its value (kind 8 after a DPI button changed the active stage).
struct MapperNotice {
  std::int64_t kind = 0;
  std::int64_t value = 0;
  bool operator==(const MapperNotice&) const = default;
};

class InputMapper {
 public:
  // The mouse's own resolution when the user has not set one.
  static constexpr int kDefaultNativeDpi = 1000;

  InputMapper();
  ~InputMapper();
  InputMapper(const InputMapper&) = delete;
  InputMapper& operator=(const InputMapper&) = delete;

  // The profile in force and the macros of the index by slot (a missing or
  // empty slot has no events). Takes over between events: a button held
  // across the change releases exactly what its old function pressed.
  void SetProfile(const ProfileRecord& profile, std::span<const MacroUpload> macros);
  void SetNativeResolution(int dpi);

  // One event of the served device, at time now. Appends what the virtual
  // device must emit, each frame closed by EV_SYN/SYN_REPORT.
  void Feed(const InputEvent& event, Millis now, std::vector<InputEvent>& out);

  // When Tick must run next (macro delays, fire-key taps); none when idle.
  std::optional<Millis> NextDeadline() const;
  void Tick(Millis now, std::vector<InputEvent>& out);

  // Ends macros and fire keys and releases every key and button held on the
  // virtual device (Apply of nothing, unplug, release of the device, exit).
  void ReleaseAll(std::vector<InputEvent>& out);

  // Messages for the main window that Feed or Tick caused, oldest first.
  std::vector<MapperNotice> TakeNotices();

  // Every EV_KEY code the mapper can emit, for setting up the virtual device.
  static std::span<const std::uint16_t> EmittableKeys();

  // The source device's button codes, buttons 1 to 12 in order.
  static std::span<const std::uint16_t> SourceButtonCodes();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vantix::agent
