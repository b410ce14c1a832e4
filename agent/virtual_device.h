// The agent's own input device, "Vantix virtual mouse", made through uinput:
// everything the served mouse's events become is emitted here. It remembers
// which keys and buttons it holds down, so that none is ever left pressed.
#pragma once

#include <linux/input.h>

#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "agent/input_mapper.h"
#include "settings/status.h"

struct libevdev;
struct libevdev_uinput;

namespace vantix::agent {

class VirtualDevice {
 public:
  // Nothing, and the reason, when uinput_path cannot be opened for writing
  // or the device cannot be made.
  static std::unique_ptr<VirtualDevice> Create(const std::string& uinput_path, Status& error);
  ~VirtualDevice();
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  // All events in one write, so a frame reaches readers whole. A write the
  // kernel refuses for the moment (EAGAIN, ENOSPC) is tried again a few
  // times; then, or on any other failure, the reason comes back.
  Status Emit(std::span<const InputEvent> events);
  // Releases every key and button still held.
  void ReleaseHeld();
  // /dev/input/eventN of the device, where the kernel tells it.
  std::string Node() const;

 private:
  VirtualDevice(libevdev* device, libevdev_uinput* uinput, int fd)
      : device_(device), uinput_(uinput), fd_(fd) {}
  libevdev* device_;
  libevdev_uinput* uinput_;
  int fd_;
  std::bitset<KEY_CNT> held_;
  std::vector<input_event> raw_;  // kept, so a write allocates nothing
};

}  // namespace vantix::agent
