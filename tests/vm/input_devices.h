// The test machine's input devices seen from the tests: a uinput device the
// test writes into (standing in for the mouse) and readers of event nodes,
// both through libevdev.
#pragma once

#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct libevdev;
struct libevdev_uinput;

namespace vantix::vmtest {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Event {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
  Clock::time_point read_at{};  // when the reader got it
  std::int64_t stamp_us = 0;    // the kernel's stamp: when it was emitted
  bool operator==(const Event& other) const {
    return type == other.type && code == other.code && value == other.value;
  }
};
std::string Describe(const Event& event);
// How gtest shows an event: "EV_KEY KEY_A 1".
inline void PrintTo(const Event& event, std::ostream* out) { *out << Describe(event); }
std::string Describe(const std::vector<Event>& events);

// The twelve buttons of the Corvane II, in the order of its button numbers.
const std::vector<std::uint16_t>& TwelveButtons();

// A device created through /dev/uinput; it goes away with the object.
class SourceDevice {
 public:
  struct Spec {
    std::string name = "Corvane II Gaming Mouse";
    std::vector<std::uint16_t> buttons = TwelveButtons();
    std::vector<std::uint16_t> keys{};  // keyboard keys besides the buttons
    bool pointer = true;             // REL_X, REL_Y and the wheels
  };
  // Empty with a reason in error when the kernel refuses.
  static std::unique_ptr<SourceDevice> Create(const Spec& spec, std::string& error);
  ~SourceDevice();
  SourceDevice(const SourceDevice&) = delete;
  SourceDevice& operator=(const SourceDevice&) = delete;

  const std::string& Node() const { return node_; }
  void Emit(std::uint16_t type, std::uint16_t code, std::int32_t value);
  void Sync() { Emit(EV_SYN, SYN_REPORT, 0); }
  // One frame each: press, release, or motion.
  void Button(std::uint16_t code, bool down);
  void Move(std::int32_t dx, std::int32_t dy);

 private:
  SourceDevice() = default;
  libevdev* dev_ = nullptr;
  libevdev_uinput* uinput_ = nullptr;
  std::string node_;
};

// Reads one event node; the state libevdev keeps (which keys are down) is
// that of the events read so far.
class EventReader {
 public:
  static std::unique_ptr<EventReader> Open(const std::string& node, std::string& error);
  ~EventReader();
  EventReader(const EventReader&) = delete;
  EventReader& operator=(const EventReader&) = delete;

  bool Grab();
  std::string Name() const;
  // The next event within timeout, SYN_REPORT included.
  std::optional<Event> Next(milliseconds timeout);
  // Events until the line has been quiet for quiet (or until limit passed).
  std::vector<Event> Drain(milliseconds quiet, milliseconds limit = milliseconds(10000));
  // Events until one equal to last arrived (it included) or timeout passed.
  std::vector<Event> ReadThrough(const Event& last, milliseconds timeout);
  bool KeyDown(std::uint16_t code) const;
  std::vector<std::uint16_t> KeysDown() const;
  int Fd() const { return fd_; }

 private:
  EventReader() = default;
  int fd_ = -1;
  libevdev* dev_ = nullptr;
};

// /dev/input/mice: the pointer buttons of all mice together, as the
// kernel's mouse multiplexer reports them. It outlives any one device, so it
// shows what a device's removal released, which no reader of the removed
// device's own node can read any more.
class MiceReader {
 public:
  MiceReader();
  ~MiceReader();
  MiceReader(const MiceReader&) = delete;
  MiceReader& operator=(const MiceReader&) = delete;
  bool IsOpen() const { return fd_ >= 0; }
  // The buttons held (bit 0 left, 1 right, 2 middle) after the packets that
  // come until the line is quiet; nothing when no packet came.
  std::optional<int> ButtonsAfter(milliseconds quiet);

 private:
  int fd_ = -1;
};

// The event node of the device called name, once it exists (polled).
std::optional<std::string> WaitForDevice(const std::string& name, milliseconds timeout);
// True once no device called name exists any more.
bool WaitForNoDevice(const std::string& name, milliseconds timeout);

// The events without SYN_REPORT, for comparing sequences.
std::vector<Event> WithoutSyn(const std::vector<Event>& events);

}  // namespace vantix::vmtest
