#include "agent/kernel_mouse.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "devicelink/agent_messages.h"

namespace vantix::agent {
namespace {

std::string Described(const InputDeviceInfo& device) { return device.path + " (" + device.name + ")"; }

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

KernelMouse::KernelMouse(const AgentConfig& config, Logger log, Paths paths)
    : config_(config), log_(std::move(log)), paths_(std::move(paths)) {
  mapper_.SetNativeResolution(config_.native_resolution);
  timer_fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  watch_fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_fd_ >= 0) {
    // The folder of /dev/uinput: the node may come later (module loaded,
    // access granted), and so may /dev/input itself.
    ::inotify_add_watch(watch_fd_, FolderName(paths_.uinput).c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO);
    WatchInputFolder();
  } else {
    const int e = errno;
    log_(std::string("cannot watch for mice coming and going: ") + std::strerror(e));
  }
  Reselect();
  announced_path_ = served_.path;
}

KernelMouse::~KernelMouse() {
  Shutdown();
  if (watch_fd_ >= 0) ::close(watch_fd_);
  if (timer_fd_ >= 0) ::close(timer_fd_);
}

void KernelMouse::WatchInputFolder() {
  if (watch_fd_ < 0 || input_watch_ >= 0) return;
  input_watch_ = ::inotify_add_watch(watch_fd_, paths_.input_folder.c_str(),
                                     IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM);
}

void KernelMouse::AppendPollFds(std::vector<pollfd>& fds) const {
  if (source_) fds.push_back({source_->Fd(), POLLIN, 0});
  if (watch_fd_ >= 0) fds.push_back({watch_fd_, POLLIN, 0});
  if (timer_fd_ >= 0) fds.push_back({timer_fd_, POLLIN, 0});
}

int KernelMouse::SourceFd() const { return source_ ? source_->Fd() : -1; }

void KernelMouse::Dispatch(std::span<const pollfd> fds) {
  for (const pollfd& p : fds) {
    if (p.revents == 0) continue;
    if (source_ && p.fd == source_->Fd()) {
      ReadSource();
    } else if (p.fd == timer_fd_) {
      OnTimer();
    } else if (p.fd == watch_fd_) {
      ReadWatch();
    }
  }
  Announce();
}

void KernelMouse::Announce() {
  // Compared with what was announced last, not copied before each batch:
  // motion costs no string.
  if (served_.path == announced_path_) return;
  announced_path_ = served_.path;
  if (listener_ != nullptr) listener_->MouseChanged();
}

void KernelMouse::SetReason(const std::string& reason) {
  if (reason == reason_) return;
  reason_ = reason;
  if (!reason.empty()) log_("no mouse served: " + reason);
}

bool KernelMouse::MakeVirtualDevice() {
  if (virtual_) return true;
  Status error;
  virtual_ = VirtualDevice::Create(paths_.uinput, error);
  if (!virtual_) {
    SetReason(error.reason());
    return false;
  }
  log_("virtual mouse \"" + std::string(kVirtualMouseName) + "\" created" +
       (virtual_->Node().empty() ? "" : " at " + virtual_->Node()));
  return true;
}

void KernelMouse::Reselect() {
  const InputScan scan = ScanInputDevices(paths_.input_folder);
  servable_ = ServableDevices(scan.devices);
  const std::optional<std::size_t> chosen = ChooseDevice(scan.devices, config_.device);
  if (chosen && Connected() && scan.devices[*chosen].path == served_.path) return;
  const std::string why = WhyNoneServed(scan, config_.device);
  if (Connected()) Unserve(chosen ? "another device was chosen" : why);
  if (!fault_.empty()) {
    const bool still_there = std::any_of(scan.devices.begin(), scan.devices.end(),
                                         [this](const InputDeviceInfo& d) { return d.path == fault_path_; });
    if (still_there) {
      SetReason(fault_);
      return;
    }
    fault_.clear();
  }
  // The mouse is opened before the virtual device appears, so that whoever
  // waits for that device finds every event of the mouse from then on taken
  // in by us; it is grabbed only once the virtual device is there, since a
  // grabbed mouse with nowhere to emit would be dead.
  std::string open_error;
  const bool opened = chosen && Open(scan.devices[*chosen], open_error);
  // Without the virtual device, that is the reason, whatever the mouse.
  if (!MakeVirtualDevice()) {
    if (opened) Close();
    return;
  }
  if (!chosen || !opened) {
    SetReason(chosen ? open_error : why);
    return;
  }
  Grab();
}

bool KernelMouse::Open(const InputDeviceInfo& device, std::string& error) {
  std::string why;
  std::unique_ptr<EventSource> source = EventSource::Open(device.path, why);
  if (!source) {
    const bool denied = why == std::strerror(EACCES) || why == std::strerror(EPERM);
    error = (denied ? "no read access to " : "cannot open ") + Described(device) + ": " + why;
    return false;
  }
  source_ = std::move(source);
  ++source_generation_;
  served_ = device;
  return true;
}

void KernelMouse::Grab() {
  if (const int e = source_->Grab(); e != 0) {
    const std::string what = Described(served_);
    Close();
    SetReason("cannot grab " + what + " (another program holds it?): " + std::strerror(e));
    return;
  }
  reason_.clear();
}

void KernelMouse::Close() {
  source_.reset();
  ++source_generation_;
  served_ = {};
}

void KernelMouse::Unserve(const std::string& reason) {
  if (source_) {
    mapper_.ReleaseAll(out_);
    // A write that fails here ends in Fail, which has unserved already.
    Flush();
    if (source_) {
      if (virtual_) virtual_->ReleaseHeld();
      source_->Ungrab();
      Close();
    }
  }
  SetReason(fault_.empty() ? reason : fault_);
}

void KernelMouse::Fail(const std::string& reason, bool drop_virtual) {
  fault_ = reason;
  fault_path_ = served_.path;
  // A virtual device that refuses writes is no use any more; removing it
  // makes the kernel release whatever it held.
  if (drop_virtual) virtual_.reset();
  Unserve(reason);
}

void KernelMouse::ReadSource() {
  batch_.clear();
  const int error = source_->Read(batch_);
  for (const StampedEvent& e : batch_) {
    if (report_buttons_) ReportSourceEvent(e.event.type, e.event.code, e.event.value);
    mapper_.Feed(e.event, e.at, out_);
  }
  Flush();
  if (error == 0 || !source_) return;
  const std::string what = Described(served_);
  if (error == ENODEV) {
    Unserve(what + " went away");
    Reselect();
  } else {
    Fail("cannot read " + what + ": " + std::strerror(error), false);
  }
}

void KernelMouse::ReadWatch() {
  alignas(inotify_event) char buffer[4096];
  bool rescan = false;
  for (;;) {
    const ssize_t n = ::read(watch_fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      const std::string name = event->len > 0 ? event->name : "";
      if (event->wd == input_watch_) {
        rescan = true;
        if ((event->mask & IN_IGNORED) != 0) input_watch_ = -1;
      } else if (name == BaseName(paths_.input_folder)) {
        WatchInputFolder();
        rescan = true;
      } else if (name == BaseName(paths_.uinput) && !virtual_) {
        rescan = true;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (rescan) Reselect();
}

void KernelMouse::OnTimer() {
  std::uint64_t expirations = 0;
  std::ignore = ::read(timer_fd_, &expirations, sizeof expirations);
  // The timer has fired and is disarmed now.
  armed_.reset();
  mapper_.Tick(MonotonicNow(), out_);
  Flush();
}

void KernelMouse::Flush() {
  if (!out_.empty()) {
    const Status status = virtual_ ? virtual_->Emit(out_) : Status::Ok();
    out_.clear();
    if (!status.ok()) {
      // Fail flushes the release of everything, then the notices.
      Fail(status.reason(), true);
      return;
    }
  }
  for (const MapperNotice& notice : mapper_.TakeNotices()) {
    if (listener_ != nullptr) listener_->DeviceEvent(notice.kind, notice.value);
  }
  ArmTimer();
}

void KernelMouse::ArmTimer() {
  if (timer_fd_ < 0) return;
  // Most events leave the deadline as it was: no system call for them.
  const std::optional<Millis> next = mapper_.NextDeadline();
  if (next == armed_) return;
  armed_ = next;
  itimerspec timer{};
  if (const std::optional<Millis> deadline = next) {
    // An absolute time of zero would disarm the timer instead.
    const Millis at = std::max<Millis>(*deadline, 1);
    timer.it_value.tv_sec = at / 1000;
    timer.it_value.tv_nsec = (at % 1000) * 1000000;
  }
  ::timerfd_settime(timer_fd_, TFD_TIMER_ABSTIME, &timer, nullptr);
}

void KernelMouse::Install(const ProfileRecord& profile, std::span<const MacroUpload> macros) {
  mapper_.SetProfile(profile, macros);
  Flush();
}

AgentState KernelMouse::State() const {
  AgentState state;
  state.backend = "kernel";
  state.served_path = served_.path;
  state.served_name = served_.name;
  state.reason = Connected() ? std::string() : reason_;
  state.devices = servable_;
  return state;
}

void KernelMouse::Reconfigure(const AgentConfig& config) {
  config_ = config;
  // The user chose again: a fault no longer holds the mouse back.
  fault_.clear();
  mapper_.SetNativeResolution(config_.native_resolution);
  Reselect();
  Announce();
}

void KernelMouse::Shutdown() {
  if (Connected()) Unserve("the agent stopped");
  virtual_.reset();
}

}  // namespace vantix::agent
