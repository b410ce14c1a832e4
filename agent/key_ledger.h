// Which keys and buttons are down on the virtual device, and for how many
// holders: two buttons may send the same key, and the key goes up only when
// the last of them lets go. Each change is one frame closed by SYN_REPORT.
#pragma once

#include <linux/input-event-codes.h>

#include <array>
#include <cstdint>
#include <vector>

#include "agent/input_mapper.h"

namespace vantix::agent {

class KeyLedger {
 public:
  void Press(std::uint16_t code, std::vector<InputEvent>& out) {
    if (code >= holders_.size()) return;
    if (holders_[code]++ == 0) Frame(code, 1, out);
  }
  void Release(std::uint16_t code, std::vector<InputEvent>& out) {
    if (code >= holders_.size() || holders_[code] == 0) return;
    if (--holders_[code] == 0) Frame(code, 0, out);
  }
  // Every key still down goes up, in one frame.
  void ReleaseAll(std::vector<InputEvent>& out) {
    bool any = false;
    for (std::size_t code = 0; code < holders_.size(); ++code) {
      if (holders_[code] == 0) continue;
      holders_[code] = 0;
      out.push_back({EV_KEY, static_cast<std::uint16_t>(code), 0});
      any = true;
    }
    if (any) out.push_back({EV_SYN, SYN_REPORT, 0});
  }
  bool Down(std::uint16_t code) const { return code < holders_.size() && holders_[code] != 0; }

 private:
  static void Frame(std::uint16_t code, std::int32_t value, std::vector<InputEvent>& out) {
    out.push_back({EV_KEY, code, value});
    out.push_back({EV_SYN, SYN_REPORT, 0});
  }
  std::array<std::uint32_t, KEY_CNT> holders_{};
};

}  // namespace vantix::agent
