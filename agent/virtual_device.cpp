#include "agent/virtual_device.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <tuple>
#include <vector>

#include "devicelink/agent_config.h"

namespace vantix::agent {
namespace {

// Writes the kernel refuses for the moment before the failure counts.
constexpr int kRetries = 3;

constexpr unsigned kRelAxes[] = {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES};
// The mouse buttons a desktop knows, whatever the profile does with them.
constexpr unsigned kMouseButtons[] = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE,
                                      BTN_EXTRA, BTN_FORWARD, BTN_BACK, BTN_TASK};

}  // namespace

std::unique_ptr<VirtualDevice> VirtualDevice::Create(const std::string& uinput_path, Status& error) {
  const int fd = ::open(uinput_path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    error = Status::Error((e == EACCES || e == EPERM ? "no write access to " : "cannot open ") + uinput_path +
                          ": " + std::strerror(e));
    return nullptr;
  }
  libevdev* device = libevdev_new();
  libevdev_set_name(device, std::string(kVirtualMouseName).c_str());
  libevdev_set_id_bustype(device, BUS_VIRTUAL);
  libevdev_enable_event_type(device, EV_SYN);
  libevdev_enable_event_type(device, EV_KEY);
  libevdev_enable_event_type(device, EV_REL);
  for (unsigned code : kRelAxes) libevdev_enable_event_code(device, EV_REL, code, nullptr);
  for (unsigned code : kMouseButtons) libevdev_enable_event_code(device, EV_KEY, code, nullptr);
  for (std::uint16_t code : InputMapper::SourceButtonCodes()) libevdev_enable_event_code(device, EV_KEY, code, nullptr);
  for (std::uint16_t code : InputMapper::EmittableKeys()) libevdev_enable_event_code(device, EV_KEY, code, nullptr);
  libevdev_uinput* uinput = nullptr;
  if (const int rc = libevdev_uinput_create_from_device(device, fd, &uinput); rc != 0) {
    error = Status::Error("cannot create the virtual mouse on " + uinput_path + ": " + std::strerror(-rc));
    libevdev_free(device);
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<VirtualDevice>(new VirtualDevice(device, uinput, fd));
}

VirtualDevice::~VirtualDevice() {
  ReleaseHeld();
  libevdev_uinput_destroy(uinput_);
  libevdev_free(device_);
  ::close(fd_);
}

Status VirtualDevice::Emit(std::span<const InputEvent> events) {
  if (events.empty()) return Status::Ok();
  raw_.resize(events.size());
  for (std::size_t i = 0; i < events.size(); ++i) {
    raw_[i] = {};
    raw_[i].type = events[i].type;
    raw_[i].code = events[i].code;
    raw_[i].value = events[i].value;
    if (events[i].type != EV_KEY || events[i].code >= KEY_CNT) continue;
    if (events[i].value == 0) {
      held_.reset(events[i].code);
    } else if (events[i].value == 1) {
      held_.set(events[i].code);
    }
  }
  const char* bytes = reinterpret_cast<const char*>(raw_.data());
  std::size_t left = raw_.size() * sizeof(input_event);
  int refused = 0;
  while (left > 0) {
    const ssize_t n = ::write(fd_, bytes, left);
    if (n < 0 && (errno == EINTR || ((errno == EAGAIN || errno == ENOSPC) && ++refused <= kRetries))) continue;
    if (n <= 0) {
      const int e = n == 0 ? EIO : errno;
      return Status::Error(std::string("cannot write to the virtual mouse: ") + std::strerror(e));
    }
    bytes += n;
    left -= static_cast<std::size_t>(n);
  }
  return Status::Ok();
}

void VirtualDevice::ReleaseHeld() {
  if (held_.none()) return;
  std::vector<InputEvent> release;
  for (std::size_t code = 0; code < held_.size(); ++code) {
    if (held_[code]) release.push_back({EV_KEY, static_cast<std::uint16_t>(code), 0});
  }
  release.push_back({EV_SYN, SYN_REPORT, 0});
  std::ignore = Emit(release);
}

std::string VirtualDevice::Node() const {
  const char* node = libevdev_uinput_get_devnode(uinput_);
  return node == nullptr ? std::string() : std::string(node);
}

}  // namespace vantix::agent
