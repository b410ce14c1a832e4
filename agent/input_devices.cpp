#include "agent/input_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

namespace vantix::agent {
namespace {

// What counts as a button: the mouse, misc, joystick and gamepad blocks and
// the extra trigger buttons; digitizer tools and keys do not.
bool IsButtonCode(unsigned code) {
  return (code >= BTN_MISC && code < BTN_DIGI) || (code >= BTN_TRIGGER_HAPPY && code <= BTN_TRIGGER_HAPPY40);
}

std::string NodeName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> SysfsLine(const std::string& node, const std::string& file) {
  std::ifstream in("/sys/class/input/" + node + "/device/" + file);
  std::string line;
  if (!std::getline(in, line)) return std::nullopt;
  return line;
}

UnreadableNode Unreadable(const std::string& path, const std::string& node, int error) {
  UnreadableNode unreadable{path, PrintableName(SysfsLine(node, "name").value_or("")), error, std::nullopt};
  const auto rel = SysfsLine(node, "capabilities/rel");
  const auto key = SysfsLine(node, "capabilities/key");
  if (rel && key) {
    unreadable.pointing = CapabilityBit(*rel, REL_X) && CapabilityBit(*rel, REL_Y) && CapabilityBit(*key, BTN_LEFT);
  }
  return unreadable;
}

bool Wanted(const std::string& name, const DeviceChoice& choice) {
  if (choice.kind == DeviceChoice::Kind::kName && name == choice.value) return true;
  return name == kServedMouseName;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  if (::realpath(path.c_str(), buf) == nullptr) return path;
  return buf;
}

std::string Described(const std::string& path, const std::string& name) {
  return name.empty() ? path : path + " (" + name + ")";
}

std::string Access(int error) {
  return error == EACCES || error == EPERM ? "no read access to " : "cannot open ";
}

}  // namespace

std::string PrintableName(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out;
}

bool CapabilityBit(const std::string& bitmap, unsigned bit) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < bitmap.size()) {
    const std::size_t start = bitmap.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    const std::size_t end = bitmap.find(' ', start);
    words.push_back(bitmap.substr(start, end == std::string::npos ? std::string::npos : end - start));
    at = end == std::string::npos ? bitmap.size() : end;
  }
  constexpr unsigned kWordBits = sizeof(long) * 8;
  const std::size_t index = bit / kWordBits;
  if (index >= words.size()) return false;
  const std::string& word = words[words.size() - 1 - index];
  if (word.empty() || word.size() > kWordBits / 4 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
    return false;
  }
  const unsigned long value = std::strtoul(word.c_str(), nullptr, 16);
  return ((value >> (bit % kWordBits)) & 1UL) != 0;
}

bool EventNodeLess(const std::string& a, const std::string& b) {
  const auto number = [](const std::string& s) {
    const std::size_t digits = s.find_last_not_of("0123456789");
    const std::string tail = s.substr(digits == std::string::npos ? 0 : digits + 1);
    return std::make_pair(s.substr(0, s.size() - tail.size()),
                          tail.empty() ? -1L : std::strtol(tail.c_str(), nullptr, 10));
  };
  return number(a) < number(b);
}

std::vector<PublishedDevice> ServableDevices(const std::vector<InputDeviceInfo>& devices) {
  std::vector<PublishedDevice> servable;
  for (const InputDeviceInfo& device : devices) {
    if (Servable(device)) servable.push_back({device.path, device.name, device.buttons});
  }
  return servable;
}

InputDeviceInfo DescribeDevice(const std::string& path, const libevdev* device) {
  InputDeviceInfo info;
  info.path = path;
  const char* name = libevdev_get_name(device);
  info.name = PrintableName(name == nullptr ? "" : name);
  for (unsigned code = 0; code <= KEY_MAX; ++code) {
    if (IsButtonCode(code) && libevdev_has_event_code(device, EV_KEY, code)) ++info.buttons;
  }
  info.pointing = libevdev_has_event_code(device, EV_REL, REL_X) &&
                  libevdev_has_event_code(device, EV_REL, REL_Y) &&
                  libevdev_has_event_code(device, EV_KEY, BTN_LEFT);
  info.own_virtual = info.name == kVirtualMouseName;
  return info;
}

InputScan ScanInputDevices(const std::string& folder) {
  InputScan scan;
  std::vector<std::string> nodes;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.rfind("event", 0) == 0 && name.size() > 5 &&
          name.find_first_not_of("0123456789", 5) == std::string::npos) {
        nodes.push_back(name);
      }
    }
    ::closedir(dir);
  }
  std::sort(nodes.begin(), nodes.end(), EventNodeLess);
  for (const std::string& node : nodes) {
    const std::string path = folder + "/" + node;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      // A node that went between listing and opening is no concern.
      if (errno != ENOENT && errno != ENODEV && errno != ENXIO) {
        scan.unreadable.push_back(Unreadable(path, node, errno));
      }
      continue;
    }
    libevdev* device = nullptr;
    if (libevdev_new_from_fd(fd, &device) == 0) {
      scan.devices.push_back(DescribeDevice(path, device));
      libevdev_free(device);
    }
    ::close(fd);
  }
  return scan;
}

bool ChoiceNames(const DeviceChoice& choice, const InputDeviceInfo& device) {
  switch (choice.kind) {
    case DeviceChoice::Kind::kPath: return device.path == choice.value || device.path == RealPath(choice.value);
    case DeviceChoice::Kind::kName: return device.name == choice.value;
    case DeviceChoice::Kind::kAutomatic:
    case DeviceChoice::Kind::kNone: return false;
  }
  return false;
}

std::optional<std::size_t> ChooseDevice(const std::vector<InputDeviceInfo>& devices,
                                        const DeviceChoice& choice) {
  const auto find = [&](const auto& match) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < devices.size(); ++i) {
      if (Servable(devices[i]) && match(devices[i])) return i;
    }
    return std::nullopt;
  };
  if (choice.kind == DeviceChoice::Kind::kNone) return std::nullopt;
  if (auto i = find([&](const InputDeviceInfo& d) { return ChoiceNames(choice, d); })) return i;
  return find([](const InputDeviceInfo& d) { return d.name == kServedMouseName; });
}

std::string WhyNoneServed(const InputScan& scan, const DeviceChoice& choice) {
  if (choice.kind == DeviceChoice::Kind::kNone) return "released (vantixctl agent device use none)";
  for (const UnreadableNode& node : scan.unreadable) {
    const bool chosen_path = choice.kind == DeviceChoice::Kind::kPath && RealPath(choice.value) == node.path;
    if (chosen_path || Wanted(node.name, choice)) {
      return Access(node.error) + Described(node.path, node.name) + ": " + std::strerror(node.error);
    }
  }
  for (const InputDeviceInfo& device : scan.devices) {
    if (ChoiceNames(choice, device) && !Servable(device)) {
      return Described(device.path, device.name) + " is not a mouse the agent may serve";
    }
  }
  std::string wanted = "no " + std::string(kServedMouseName) + " is plugged in";
  if (choice.kind == DeviceChoice::Kind::kPath) wanted = choice.value + " is not there and " + wanted;
  if (choice.kind == DeviceChoice::Kind::kName && choice.value != kServedMouseName) {
    wanted = "no device named \"" + choice.value + "\" and " + wanted;
  }
  // The mouse may be among the nodes we cannot read, unless sysfs tells
  // they are no mice.
  std::string nodes;
  int error = 0;
  for (const UnreadableNode& node : scan.unreadable) {
    if (node.pointing == false) continue;
    nodes += (nodes.empty() ? "" : ", ") + NodeName(node.path);
    error = node.error;
  }
  if (nodes.empty()) return wanted;
  return wanted + " (" + Access(error) + nodes + ": " + std::strerror(error) + ")";
}

}  // namespace vantix::agent
