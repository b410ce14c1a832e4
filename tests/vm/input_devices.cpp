#include "tests/vm/input_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <tuple>

namespace vantix::vmtest {

namespace {

input_event RawEvent(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  input_event event{};
  event.type = type;
  event.code = code;
  event.value = value;
  return event;
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

std::vector<std::string> EventNodes() {
  std::vector<std::string> nodes;
  if (DIR* dir = ::opendir("/dev/input")) {
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strncmp(entry->d_name, "event", 5) == 0) nodes.push_back(std::string("/dev/input/") + entry->d_name);
    }
    ::closedir(dir);
  }
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

std::string NodeName(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  char name[256] = {};
  const int got = ::ioctl(fd, EVIOCGNAME(sizeof name - 1), name);
  ::close(fd);
  return got < 0 ? std::string() : std::string(name);
}

}  // namespace

std::string Describe(const Event& event) {
  const char* type = libevdev_event_type_get_name(event.type);
  const char* code = libevdev_event_code_get_name(event.type, event.code);
  return std::string(type ? type : "?") + " " + (code ? code : std::to_string(event.code)) + " " +
         std::to_string(event.value);
}

std::string Describe(const std::vector<Event>& events) {
  std::string text;
  for (const Event& event : events) text += "\n  " + Describe(event);
  return text.empty() ? "(none)" : text;
}

const std::vector<std::uint16_t>& TwelveButtons() {
  static const std::vector<std::uint16_t> buttons = {
      BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, BTN_FORWARD,
      BTN_BACK, BTN_TASK,  BTN_0,      BTN_1,    BTN_2,     BTN_3};
  return buttons;
}

std::unique_ptr<SourceDevice> SourceDevice::Create(const Spec& spec, std::string& error) {
  std::unique_ptr<SourceDevice> device(new SourceDevice);
  device->dev_ = libevdev_new();
  libevdev_set_name(device->dev_, spec.name.c_str());
  libevdev_set_id_bustype(device->dev_, BUS_USB);
  libevdev_set_id_vendor(device->dev_, 0x1b1c);
  libevdev_set_id_product(device->dev_, 0x1b5e);
  libevdev_enable_event_type(device->dev_, EV_SYN);
  if (!spec.buttons.empty() || !spec.keys.empty()) libevdev_enable_event_type(device->dev_, EV_KEY);
  for (const std::uint16_t code : spec.buttons) libevdev_enable_event_code(device->dev_, EV_KEY, code, nullptr);
  for (const std::uint16_t code : spec.keys) libevdev_enable_event_code(device->dev_, EV_KEY, code, nullptr);
  if (spec.pointer) {
    libevdev_enable_event_type(device->dev_, EV_REL);
    for (const std::uint16_t code : {REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) {
      libevdev_enable_event_code(device->dev_, EV_REL, code, nullptr);
    }
  }
  const int rc = libevdev_uinput_create_from_device(device->dev_, LIBEVDEV_UINPUT_OPEN_MANAGED, &device->uinput_);
  if (rc != 0) {
    error = "cannot create uinput device \"" + spec.name + "\": " + std::strerror(-rc);
    return nullptr;
  }
  const char* node = libevdev_uinput_get_devnode(device->uinput_);
  if (node == nullptr) {
    error = "uinput device \"" + spec.name + "\" has no event node";
    return nullptr;
  }
  device->node_ = node;
  return device;
}

SourceDevice::~SourceDevice() {
  if (uinput_ != nullptr) libevdev_uinput_destroy(uinput_);
  if (dev_ != nullptr) libevdev_free(dev_);
}

void SourceDevice::Emit(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  libevdev_uinput_write_event(uinput_, type, code, value);
}

void SourceDevice::Button(std::uint16_t code, bool down) {
  Emit(EV_KEY, code, down ? 1 : 0);
  Sync();
}

void SourceDevice::Move(std::int32_t dx, std::int32_t dy) {
  // One write for the frame, as a mouse's report arrives whole.
  input_event frame[3]{};
  std::size_t n = 0;
  if (dx != 0) frame[n++] = RawEvent(EV_REL, REL_X, dx);
  if (dy != 0) frame[n++] = RawEvent(EV_REL, REL_Y, dy);
  frame[n++] = RawEvent(EV_SYN, SYN_REPORT, 0);
  std::ignore = ::write(libevdev_uinput_get_fd(uinput_), frame, n * sizeof(input_event));
}

std::unique_ptr<EventReader> EventReader::Open(const std::string& node, std::string& error) {
  std::unique_ptr<EventReader> reader(new EventReader);
  reader->fd_ = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (reader->fd_ < 0) {
    error = "cannot open " + node + ": " + std::strerror(errno);
    return nullptr;
  }
  const int rc = libevdev_new_from_fd(reader->fd_, &reader->dev_);
  if (rc != 0) {
    error = "libevdev cannot read " + node + ": " + std::strerror(-rc);
    return nullptr;
  }
  return reader;
}

EventReader::~EventReader() {
  if (dev_ != nullptr) libevdev_free(dev_);
  if (fd_ >= 0) ::close(fd_);
}

bool EventReader::Grab() { return libevdev_grab(dev_, LIBEVDEV_GRAB) == 0; }

std::string EventReader::Name() const { return libevdev_get_name(dev_); }

std::optional<Event> EventReader::Next(milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    input_event raw{};
    int rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_NORMAL, &raw);
    if (rc == LIBEVDEV_READ_STATUS_SYNC) {
      // The kernel's buffer overflowed: report it as it came, then resync
      // the state so later reads go on.
      const Event dropped{EV_SYN, SYN_DROPPED, 0, Clock::now(), 0};
      input_event skip{};
      while (libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_SYNC, &skip) == LIBEVDEV_READ_STATUS_SYNC) {
      }
      return dropped;
    }
    if (rc == LIBEVDEV_READ_STATUS_SUCCESS) {
      return Event{raw.type, raw.code, raw.value, Clock::now(),
                   static_cast<std::int64_t>(raw.input_event_sec) * 1000000 + raw.input_event_usec};
    }
    if (rc != -EAGAIN) return std::nullopt;  // the device went away
    const int wait = RemainingMs(deadline);
    pollfd p{fd_, POLLIN, 0};
    if (wait == 0 || ::poll(&p, 1, wait) <= 0) return std::nullopt;
    if ((p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0 && (p.revents & POLLIN) == 0) return std::nullopt;
  }
}

std::vector<Event> EventReader::Drain(milliseconds quiet, milliseconds limit) {
  std::vector<Event> events;
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    const auto event = Next(quiet);
    if (!event) break;
    events.push_back(*event);
  }
  return events;
}

std::vector<Event> EventReader::ReadThrough(const Event& last, milliseconds timeout) {
  std::vector<Event> events;
  const auto deadline = Clock::now() + timeout;
  while (const auto event = Next(milliseconds(RemainingMs(deadline)))) {
    events.push_back(*event);
    if (*event == last) break;
  }
  return events;
}

bool EventReader::KeyDown(std::uint16_t code) const { return libevdev_get_event_value(dev_, EV_KEY, code) != 0; }

std::vector<std::uint16_t> EventReader::KeysDown() const {
  std::vector<std::uint16_t> down;
  for (std::uint16_t code = 0; code <= KEY_MAX; ++code) {
    if (libevdev_has_event_code(dev_, EV_KEY, code) && KeyDown(code)) down.push_back(code);
  }
  return down;
}

MiceReader::MiceReader() : fd_(::open("/dev/input/mice", O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

MiceReader::~MiceReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<int> MiceReader::ButtonsAfter(milliseconds quiet) {
  std::optional<int> buttons;
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) return buttons;
    unsigned char packet[3];  // PS/2: buttons and sign bits, dx, dy
    while (::read(fd_, packet, sizeof packet) == static_cast<ssize_t>(sizeof packet)) buttons = packet[0] & 7;
  }
}

std::optional<std::string> WaitForDevice(const std::string& name, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    for (const std::string& node : EventNodes()) {
      if (NodeName(node) == name) return node;
    }
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(milliseconds(20));
  }
}

bool WaitForNoDevice(const std::string& name, milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const auto nodes = EventNodes();
    if (std::none_of(nodes.begin(), nodes.end(), [&](const std::string& n) { return NodeName(n) == name; })) {
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(milliseconds(20));
  }
}

std::vector<Event> WithoutSyn(const std::vector<Event>& events) {
  std::vector<Event> kept;
  std::copy_if(events.begin(), events.end(), std::back_inserter(kept),
               [](const Event& e) { return !(e.type == EV_SYN && e.code == SYN_REPORT); });
  return kept;
}

}  // namespace vantix::vmtest
