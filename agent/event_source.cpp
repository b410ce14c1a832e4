#include "agent/event_source.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantix::agent {
namespace {

bool BitSet(const SourceKeys::KernelBits& bits, std::size_t code) {
  return ((bits[code / SourceKeys::kLongBits] >> (code % SourceKeys::kLongBits)) & 1UL) != 0;
}

// Reads of a queue that keeps filling while it is thrown away: enough for
// any burst, and never endless.
constexpr int kDrainReads = 64;

}  // namespace

Millis MonotonicNow() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<Millis>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void SourceKeys::Reset(const KernelBits& bits) {
  for (std::size_t code = 0; code < KEY_CNT; ++code) down_[code] = BitSet(bits, code);
}

void SourceKeys::Resync(const KernelBits& bits, Millis at, std::vector<StampedEvent>& out) {
  bool any = false;
  for (std::size_t code = 0; code < KEY_CNT; ++code) {
    const bool down = BitSet(bits, code);
    if (down == down_[code]) continue;
    down_[code] = down;
    out.push_back({{EV_KEY, static_cast<std::uint16_t>(code), down ? 1 : 0}, at});
    any = true;
  }
  if (any) out.push_back({{EV_SYN, SYN_REPORT, 0}, at});
}

std::unique_ptr<EventSource> EventSource::Open(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  SourceKeys::KernelBits bits{};
  int version = 0;
  if (::ioctl(fd, EVIOCGVERSION, &version) != 0 || ::ioctl(fd, EVIOCGKEY(sizeof bits), bits.data()) < 0) {
    error = std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<EventSource> source(new EventSource(fd));
  source->keys_.Reset(bits);
  // The kernel stamps events on the wall clock unless asked otherwise; where
  // it cannot, each batch takes the time it is read.
  int clock = CLOCK_MONOTONIC;
  source->monotonic_stamps_ = ::ioctl(fd, EVIOCSCLOCKID, &clock) == 0;
  return source;
}

EventSource::~EventSource() { ::close(fd_); }

int EventSource::Grab() { return ::ioctl(fd_, EVIOCGRAB, 1) == 0 ? 0 : errno; }

void EventSource::Ungrab() { ::ioctl(fd_, EVIOCGRAB, 0); }

Millis EventSource::StampOf(const input_event& event) const {
  return static_cast<Millis>(event.input_event_sec) * 1000 + event.input_event_usec / 1000;
}

int EventSource::Read(std::vector<StampedEvent>& events) {
  const Millis read_at = monotonic_stamps_ ? 0 : MonotonicNow();
  for (;;) {
    const ssize_t n = ::read(fd_, buffer_.data(), sizeof buffer_);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno == EAGAIN ? 0 : errno;
    }
    // An event device never ends; a read of nothing means it is gone.
    if (n == 0) return ENODEV;
    const std::size_t count = static_cast<std::size_t>(n) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) {
      const input_event& raw = buffer_[i];
      const Millis at = monotonic_stamps_ ? StampOf(raw) : read_at;
      const InputEvent event{raw.type, raw.code, raw.value};
      events.push_back({event, at});
      if (raw.type == EV_SYN && raw.code == SYN_DROPPED) return Recover(at, events);
      keys_.Track(event);
    }
    if (count < buffer_.size()) return 0;
  }
}

int EventSource::Recover(Millis at, std::vector<StampedEvent>& events) {
  // What is still queued was read before the keys are, so it would count
  // twice; the kernel also drops the queued key events when asked for the
  // keys, so everything after this is consistent with them.
  for (int i = 0; i < kDrainReads; ++i) {
    const ssize_t n = ::read(fd_, buffer_.data(), sizeof buffer_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    if (n <= 0) return n == 0 ? ENODEV : errno;
  }
  SourceKeys::KernelBits bits{};
  if (::ioctl(fd_, EVIOCGKEY(sizeof bits), bits.data()) < 0) return errno;
  keys_.Resync(bits, at, events);
  return 0;
}

}  // namespace vantix::agent
