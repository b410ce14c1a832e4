// Drives an InputMapper the way the kernel backend does, on a fake clock:
// source events in with their time, Tick at every deadline, and the virtual
// device's events recorded with the time they went out. Every batch is
// checked as it arrives: frames closed by SYN_REPORT, no empty frame, no key
// pressed twice or released while up.
#pragma once

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <initializer_list>
#include <ostream>
#include <map>
#include <string>
#include <vector>

#include "agent/input_mapper.h"
#include "settings/macro_model.h"
#include "settings/settings_block.h"

namespace vantix::agent::test {

struct Sent {
  Millis at = 0;
  InputEvent event;
  bool operator==(const Sent&) const = default;
};

// An EV_KEY change on the virtual device: (time, code, value).
struct KeyChange {
  Millis at = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
  bool operator==(const KeyChange&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const KeyChange& k) {
  return os << "{" << k.at << "ms " << k.code << "=" << k.value << "}";
}

// Factory profile 1 (buttons 1..12 = 1, 2, 3, key 1..6, 48, 49, 12).
inline ProfileRecord FactoryProfile() {
  SettingsBlock block;
  InitSettings(block);
  SettingsBlock live;
  ValidateSettings(block, live);
  ResetAllProfiles(live);
  return live.Profiles[0];
}

inline ButtonRecord WithFunction(int code) {
  ButtonRecord record;
  record.ButtonFunc = static_cast<std::uint8_t>(code);
  return record;
}

inline ButtonRecord SingleKey(std::uint8_t usage) {
  ButtonRecord record = WithFunction(6);
  record.KeyEvents[0] = usage;
  return record;
}

// Presses in order, releases in reverse, as the key dialog stores them.
inline ButtonRecord Combination(std::initializer_list<std::uint8_t> usages) {
  ButtonRecord record = WithFunction(7);
  record.ButtonID = 1;
  std::size_t at = 0;
  for (std::uint8_t usage : usages) {
    record.KeyEvents[at] = usage;
    record.KeyEvents[at + 1] = 5;
    record.KeyEvents[at + 2] = 0x80;
    at += 3;
  }
  for (auto it = std::rbegin(usages); it != std::rend(usages); ++it) {
    record.KeyEvents[at] = *it;
    record.KeyEvents[at + 1] = 5;
    at += 3;
  }
  record.KeyNumber = static_cast<std::uint8_t>(2 * usages.size());
  return record;
}

inline ButtonRecord MacroButton(int slot, int loop_number) {
  ButtonRecord record = WithFunction(11);
  record.KeyNumber = static_cast<std::uint8_t>(slot);
  record.LoopNumber = static_cast<std::uint8_t>(loop_number);
  return record;
}

inline ButtonRecord FireKey(std::uint8_t target, int shots, std::u16string interval) {
  ButtonRecord record = WithFunction(12);
  record.KeyEvents[0] = target;
  record.LoopNumber = static_cast<std::uint8_t>(shots);
  std::copy(interval.begin(), interval.end(), record.MacroName.begin());
  return record;
}

inline MacroUpload Macro(int slot, std::int32_t loop_type, std::initializer_list<MacroEvent> events) {
  MacroUpload upload;
  upload.slot = slot;
  upload.loop_type = loop_type;
  std::size_t at = 0;
  for (const MacroEvent& event : events) {
    upload.events[at] = event.type;
    upload.events[at + 1] = event.code;
    upload.events[at + 2] = event.extra;
    at += 3;
  }
  return upload;
}

class MapperHarness {
 public:
  MapperHarness() : profile(FactoryProfile()) {}

  void Apply() { mapper.SetProfile(profile, macros); }

  void Feed(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    batch_.clear();
    mapper.Feed({type, code, value}, now, batch_);
    Take();
  }
  void Sync() { Feed(EV_SYN, SYN_REPORT, 0); }
  void Press(int button) {
    Feed(EV_KEY, InputMapper::SourceButtonCodes()[static_cast<std::size_t>(button)], 1);
    Sync();
  }
  void Release(int button) {
    Feed(EV_KEY, InputMapper::SourceButtonCodes()[static_cast<std::size_t>(button)], 0);
    Sync();
  }
  void Click(int button) {
    Press(button);
    Release(button);
  }
  void Move(std::int32_t dx, std::int32_t dy) {
    if (dx != 0) Feed(EV_REL, REL_X, dx);
    if (dy != 0) Feed(EV_REL, REL_Y, dy);
    Sync();
  }
  // Moves the clock to t, ticking at every deadline on the way as the
  // backend's timer would.
  void RunUntil(Millis t) {
    while (auto due = mapper.NextDeadline()) {
      if (*due > t) break;
      now = std::max(now, *due);
      batch_.clear();
      mapper.Tick(now, batch_);
      Take();
    }
    now = t;
  }
  void ReleaseAll() {
    batch_.clear();
    mapper.ReleaseAll(batch_);
    Take();
  }

  std::vector<KeyChange> Keys() const {
    std::vector<KeyChange> keys;
    for (const Sent& s : sent) {
      if (s.event.type == EV_KEY) keys.push_back({s.at, s.event.code, s.event.value});
    }
    return keys;
  }
  // The sum of each relative axis sent.
  std::int64_t Total(std::uint16_t code) const {
    std::int64_t total = 0;
    for (const Sent& s : sent) {
      if (s.event.type == EV_REL && s.event.code == code) total += s.event.value;
    }
    return total;
  }
  std::vector<std::uint16_t> Down() const {
    std::vector<std::uint16_t> down;
    for (const auto& [code, value] : state_) {
      if (value != 0) down.push_back(code);
    }
    return down;
  }
  void Clear() { sent.clear(); }

  ProfileRecord profile;
  std::vector<MacroUpload> macros;
  InputMapper mapper;
  Millis now = 0;
  std::vector<Sent> sent;

 private:
  void Take() {
    if (!batch_.empty()) {
      EXPECT_EQ(batch_.back(), (InputEvent{EV_SYN, SYN_REPORT, 0})) << "batch not closed by a frame end";
    }
    bool frame_open = false;
    for (const InputEvent& event : batch_) {
      if (event.type == EV_SYN) {
        EXPECT_TRUE(frame_open) << "empty frame at " << now;
        frame_open = false;
      } else {
        frame_open = true;
      }
      if (event.type == EV_KEY) {
        std::int32_t& state = state_[event.code];
        EXPECT_NE(state, event.value) << "key " << event.code << " sent twice as " << event.value;
        state = event.value;
      }
      sent.push_back({now, event});
    }
  }

  std::vector<InputEvent> batch_;
  std::map<std::uint16_t, std::int32_t> state_;
};

}  // namespace vantix::agent::test
