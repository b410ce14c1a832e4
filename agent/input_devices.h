// The event devices of /dev/input: which are pointing devices, which one the
// agent serves. Shared by the agent and vantixctl agent device list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devicelink/agent_config.h"

struct libevdev;

namespace vantix::agent {

struct InputDeviceInfo {
  std::string path;  // /dev/input/eventN
  std::string name;
  int buttons = 0;         // button codes the device reports
  bool pointing = false;   // REL_X, REL_Y and BTN_LEFT
  bool own_virtual = false;  // the agent's own virtual device
  bool operator==(const InputDeviceInfo&) const = default;
};

// A node the caller may not open, with what sysfs tells of it (nothing
// without sysfs).
struct UnreadableNode {
  std::string path;
  std::string name;
  int error = 0;  // errno of the open
  std::optional<bool> pointing;
};

// Whether bit is set in a sysfs capability bitmap ("10 3": hexadecimal
// words, the most significant first, each as wide as a long).
bool CapabilityBit(const std::string& bitmap, unsigned bit);

struct InputScan {
  std::vector<InputDeviceInfo> devices;  // every device opened, in node order
  std::vector<UnreadableNode> unreadable;
};

// The agent may serve it: a pointing device that is not its own.
inline bool Servable(const InputDeviceInfo& device) { return device.pointing && !device.own_virtual; }

// The servable ones, as the agent publishes them.
std::vector<PublishedDevice> ServableDevices(const std::vector<InputDeviceInfo>& devices);

// What a device is, from its capabilities.
InputDeviceInfo DescribeDevice(const std::string& path, const libevdev* device);

// Every eventN node of folder, in the order of N.
InputScan ScanInputDevices(const std::string& folder = "/dev/input");

// Whether the user's choice names the device: its node (also through a link
// such as /dev/input/by-id/...) or its name.
bool ChoiceNames(const DeviceChoice& choice, const InputDeviceInfo& device);

// The device to serve: the user's choice when present and servable, else the
// mouse of the product when present; nothing for "none" or when neither is
// there.
std::optional<std::size_t> ChooseDevice(const std::vector<InputDeviceInfo>& devices,
                                        const DeviceChoice& choice);

// Why nothing is served, for the user: the node that could not be read and
// why, or that no mouse is there. Empty for "none".
std::string WhyNoneServed(const InputScan& scan, const DeviceChoice& choice);

// "eventN" names sort by N, not as text.
bool EventNodeLess(const std::string& a, const std::string& b);

// A name as one printable line (evdev names are the device's own bytes).
std::string PrintableName(const std::string& name);

}  // namespace vantix::agent
