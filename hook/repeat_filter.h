// Dropping repeated key reports. Every class of window that receives
// WM_HOOK_KEY remembers the (wParam, lParam) of the last report it handled,
// in one place shared by all its windows and kept for the whole run, and
// ignores a report equal to it. A held key then counts as one press even
// where a keyboard hook repeats the press; the price is that a report equal
// to the one the class saw last, even in an earlier window, is dropped too.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

namespace vantix {

class RepeatFilter {
 public:
  bool IsRepeat(std::int64_t wparam, std::int64_t lparam) const {
    return last_ == std::pair{wparam, lparam};
  }
  // For receivers that remember only the reports they go on to use.
  void Remember(std::int64_t wparam, std::int64_t lparam) { last_ = std::pair{wparam, lparam}; }
  // For receivers that remember every report they handle: false for a
  // repeat, otherwise remembers the report and returns true.
  bool Accept(std::int64_t wparam, std::int64_t lparam) {
    if (IsRepeat(wparam, lparam)) return false;
    Remember(wparam, lparam);
    return true;
  }

 private:
  // Nothing at first: the first report is never a repeat.
  std::optional<std::pair<std::int64_t, std::int64_t>> last_;
};

// The filter of a receiving class, shared by all its instances. Used only on
// the user-interface thread, like the messages themselves.
template <typename Receiver>
RepeatFilter& SharedRepeatFilter() {
  static RepeatFilter filter;
  return filter;
}

}  // namespace vantix
