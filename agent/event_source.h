// The served mouse's event node, read as close to the kernel as it gets: one
// read takes the whole batch the kernel holds, with no library call per
// event, and every event keeps the kernel's stamp on the monotonic clock (the
// mapper's clock), so no clock is read per batch either.
//
// SYN_DROPPED (the kernel's buffer overflowed): the rest of what is queued is
// thrown away, the keys are read back from the kernel and the difference to
// what the events said goes to the mapper, so that a button released
// meanwhile is released for it too.
#pragma once

#include <linux/input.h>

#include <array>
#include <bitset>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "agent/input_mapper.h"

namespace vantix::agent {

// The mapper's clock: the monotonic clock in milliseconds.
Millis MonotonicNow();

// One event of the source with the time the kernel took it in.
struct StampedEvent {
  InputEvent event;
  Millis at = 0;
};

// Which keys of the source are down as its events tell; pure, so the resync
// after dropped events is tested without a kernel.
class SourceKeys {
 public:
  // EVIOCGKEY's layout: one bit a key code, in longs.
  static constexpr std::size_t kLongBits = sizeof(unsigned long) * CHAR_BIT;
  using KernelBits = std::array<unsigned long, (KEY_CNT + kLongBits - 1) / kLongBits>;

  void Reset(const KernelBits& bits);
  void Track(const InputEvent& event) {
    if (event.type == EV_KEY && event.code < KEY_CNT) down_[event.code] = event.value != 0;
  }
  // Appends a key event for every key whose state differs from bits, then
  // SYN_REPORT when there was any; the keys are bits from then on.
  void Resync(const KernelBits& bits, Millis at, std::vector<StampedEvent>& out);

 private:
  std::bitset<KEY_CNT> down_;
};

class EventSource {
 public:
  // Opens the node for reading (not grabbed yet); nothing, and the reason,
  // when it cannot be opened or is no event device.
  static std::unique_ptr<EventSource> Open(const std::string& path, std::string& error);
  ~EventSource();
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  int Fd() const { return fd_; }
  // 0, or the errno of the failed grab.
  int Grab();
  // Fails harmlessly when the device is gone.
  void Ungrab();

  // Appends what the kernel holds now (one read, a second only when the
  // first filled the buffer). 0, or the errno of a failed read (ENODEV: the
  // device went away); the events read before a failure are appended too.
  int Read(std::vector<StampedEvent>& events);

 private:
  explicit EventSource(int fd) : fd_(fd) {}
  int Recover(Millis at, std::vector<StampedEvent>& events);
  Millis StampOf(const input_event& event) const;

  int fd_;
  bool monotonic_stamps_ = false;
  SourceKeys keys_;
  std::array<input_event, 256> buffer_{};
};

}  // namespace vantix::agent
