#include "macro/macro_recorder.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "hook/hook_protocol.h"
#include "hook/repeat_filter.h"

namespace vantix {
namespace {

std::uint32_t SteadyTick() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

bool InRange(const MacroData& macro, int slot) { return slot >= 0 && slot < macro.count; }

}  // namespace

std::int32_t LeadingDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<std::int64_t>(value * 10 + (text[i] - '0'),
                                   std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1);
  }
  if (negative) value = -value;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void PackListedEvents(MacroEventBlock& events) {
  MacroEventBlock packed{};
  std::size_t next = 0;
  for (const MacroEvent& e : events) {
    if (e.IsListed()) packed[next++] = e;
  }
  for (const MacroEvent& e : events) {
    if (!e.IsEmpty() && !e.IsListed()) packed[next++] = e;
  }
  events = packed;
}

bool InsertEvent(MacroData& macro, int slot, MacroEvent event) {
  if (macro.count >= kMacroEventCapacity || slot < 0 || slot > macro.count) return false;
  auto& e = macro.events;
  // The whole block moves, so that unlisted events behind the list stay
  // behind it.
  std::copy_backward(e.begin() + slot, e.end() - 1, e.end());
  e[static_cast<std::size_t>(slot)] = event;
  ++macro.count;
  return true;
}

bool EraseEvent(MacroData& macro, int slot) {
  if (!InRange(macro, slot)) return false;
  auto& e = macro.events;
  std::copy(e.begin() + slot + 1, e.end(), e.begin() + slot);
  e.back() = MacroEvent{};
  --macro.count;
  return true;
}

bool SwapEvents(MacroData& macro, int a, int b) {
  if (!InRange(macro, a) || !InRange(macro, b)) return false;
  std::swap(macro.events[static_cast<std::size_t>(a)], macro.events[static_cast<std::size_t>(b)]);
  return true;
}

bool CheckPressRelease(const MacroData& macro) {
  std::vector<std::uint8_t> presses;
  std::vector<std::uint8_t> releases;
  const int count = std::clamp(macro.count, 0, kMacroEventCapacity);
  for (int i = 0; i < count; ++i) {
    const MacroEvent& e = macro.events[static_cast<std::size_t>(i)];
    if (!e.IsMouseButton() && !e.IsKey()) continue;
    (e.IsPress() ? presses : releases).push_back(e.code);
  }
  if (releases.size() < presses.size()) return false;
  // A release before its press satisfies it too.
  for (std::uint8_t code : releases) std::erase(presses, code);
  return presses.empty();
}

int TotalDelayMs(const MacroEventBlock& events) {
  int total = 0;
  for (const MacroEvent& e : events) {
    if (e.IsDelay()) total += e.DelayMs();
  }
  return total;
}

std::uint16_t EditedDelayUnits(std::int64_t milliseconds) {
  return static_cast<std::uint16_t>(std::clamp<std::int64_t>(milliseconds, 0, kMaxEditedDelayMs) /
                                    kDelayUnitMs);
}

MacroRecorder::MacroRecorder(Clock clock) : clock_(clock ? std::move(clock) : Clock(SteadyTick)) {}

void MacroRecorder::Start(MacroData& macro, bool insert) {
  recording_ = true;
  insert_ = insert;
  last_tick_.reset();
  if (!insert) {
    macro.events = {};
    macro.count = 0;
  }
}

std::optional<int> MacroRecorder::DelayBefore(const MacroData& macro, std::string_view delay_box) {
  std::uint32_t c = 0;
  if (macro.DelayType == kDelayMeasured) {
    const std::uint32_t now = clock_();
    if (!last_tick_) last_tick_ = now;
    c = now - *last_tick_;  // wraps as the tick does
  } else if (macro.DelayType == kDelayFixed) {
    if (!last_tick_) {
      last_tick_ = clock_();
    } else {
      c = static_cast<std::uint32_t>(std::max(LeadingDecimal(delay_box), kDelayUnitMs));
    }
  }
  const std::uint32_t units = c / kDelayUnitMs;
  if (units == 0) return std::nullopt;
  return static_cast<int>(std::min<std::uint32_t>(units, kMaxRecordedDelayUnits));
}

std::vector<MacroRecorder::Step> MacroRecorder::OnHookKey(MacroData& macro, std::int64_t wparam,
                                                          std::int64_t lparam, int selected_row,
                                                          std::string_view delay_box) {
  RepeatFilter& last_report = SharedRepeatFilter<MacroRecorder>();
  // Reports queued before a stop, or sent by another X client, are not part
  // of any recording.
  if (!recording_ || wparam < 0 || wparam > 0xFF) return {};
  if (last_report.IsRepeat(wparam, lparam)) return {};
  if (macro.count >= kRecordingRoom) return {};

  std::vector<Step> steps;
  int s = std::clamp(selected_row, -1, macro.count - 1);
  const auto add = [&](MacroEvent event, std::optional<KeyCode> key) {
    const int row = insert_ ? s + 1 : macro.count;
    if (!InsertEvent(macro, row, event)) return;
    steps.push_back(Step{row, event, key});
  };

  if (macro.DelayType != kDelayNone) {
    if (std::optional<int> units = DelayBefore(macro, delay_box)) {
      add(MacroEvent::Delay(static_cast<std::uint16_t>(*units)), std::nullopt);
      if (insert_) ++s;
    }
  }
  const auto code = static_cast<KeyCode>(wparam);
  const std::uint8_t usage = KeyCodeToUsage(code).value_or(0);
  if (lparam == 0 || lparam == kHookKeyExtended) {
    add(MacroEvent::Key(usage, true), code);
  } else if (lparam == kHookKeyReleased || lparam == (kHookKeyReleased | kHookKeyExtended)) {
    add(MacroEvent::Key(usage, false), code);
  }
  last_tick_ = clock_();
  last_report.Remember(wparam, lparam);
  return steps;
}

}  // namespace vantix
