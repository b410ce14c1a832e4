#include "devicelink/message_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>
#include <thread>

#include "devicelink/agent_messages.h"

namespace vantix {
namespace {

using Clock = std::chrono::steady_clock;

// More pending peers than this and the oldest is dropped: a flood of idle
// connections must not exhaust descriptors.
constexpr std::size_t kMaxPendingPeers = 256;
// Connections accepted per Process call, so that a flood cannot starve the
// event loop the endpoint lives in.
constexpr int kAcceptsPerProcess = 64;

std::string SocketPath(const std::string& folder, std::string_view title) {
  return folder + "/" + std::string(title);
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.data(), path.size());
  return true;
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  int get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool FolderIsPrivate(const std::string& folder, std::string* why) {
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) {
    if (why) *why = "cannot use " + folder + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISDIR(st.st_mode)) {
    if (why) *why = folder + " is not a folder";
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    if (why) *why = folder + " belongs to another user";
    return false;
  }
  if ((st.st_mode & 077) != 0) {
    if (why) *why = folder + " is open to other users";
    return false;
  }
  return true;
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Connects within the deadline. Absent: nothing listens at the path.
enum class ConnectResult { kConnected, kAbsent, kBusy };
ConnectResult Connect(const std::string& folder, std::string_view title, Clock::time_point deadline,
                      UniqueFd& out) {
  if (!FolderIsPrivate(folder, nullptr)) return ConnectResult::kAbsent;
  sockaddr_un addr{};
  if (!FillAddress(SocketPath(folder, title), addr)) return ConnectResult::kAbsent;
  for (;;) {
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.get() < 0) return ConnectResult::kAbsent;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
      out = std::move(fd);
      return ConnectResult::kConnected;
    }
    // A full backlog: the receiver exists but is busy; try again until the deadline.
    if (errno != EAGAIN && errno != EINTR) return ConnectResult::kAbsent;
    if (RemainingMs(deadline) == 0) return ConnectResult::kBusy;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

bool WriteFrame(int fd, const WindowMessage& m, Clock::time_point deadline) {
  unsigned char frame[kFrameBytes];
  EncodeFrame(m, frame);
  std::size_t done = 0;
  while (done < kFrameBytes) {
    const ssize_t n = ::send(fd, frame + done, kFrameBytes - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      pollfd p{fd, POLLOUT, 0};
      if (::poll(&p, 1, RemainingMs(deadline)) <= 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

void PutLe(unsigned char* p, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint64_t GetLe(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

void EncodeFrame(const WindowMessage& m, unsigned char out[kFrameBytes]) {
  PutLe(out, m.message, 4);
  PutLe(out + 4, m.sent ? kFrameSent : 0u, 4);
  PutLe(out + 8, static_cast<std::uint64_t>(m.wparam), 8);
  PutLe(out + 16, static_cast<std::uint64_t>(m.lparam), 8);
}

bool DecodeFrame(const unsigned char in[kFrameBytes], WindowMessage& m) {
  const auto flags = static_cast<std::uint32_t>(GetLe(in + 4, 4));
  if ((flags & ~kFrameSent) != 0) return false;
  m.message = static_cast<std::uint32_t>(GetLe(in, 4));
  m.sent = (flags & kFrameSent) != 0;
  m.wparam = static_cast<std::int64_t>(GetLe(in + 8, 8));
  m.lparam = static_cast<std::int64_t>(GetLe(in + 16, 8));
  return true;
}

std::string DefaultEndpointFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/corvane-gaming-mouse";
  return "/tmp/corvane-gaming-mouse-" + std::to_string(::geteuid());
}

Status PrepareEndpointFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return Status::Error("cannot create " + folder + ": " + std::strerror(errno));
  }
  std::string why;
  if (!FolderIsPrivate(folder, &why)) return Status::Error(why);
  return Status::Ok();
}

bool MessageBus::FindWindow(std::string_view title) const {
  UniqueFd fd;
  return Connect(folder_, title, Clock::now() + std::chrono::milliseconds(200), fd) !=
         ConnectResult::kAbsent;
}

SendOutcome MessageBus::SendMessage(std::string_view title, std::uint32_t message,
                                    std::int64_t wparam, std::int64_t lparam,
                                    std::chrono::milliseconds timeout) const {
  const auto deadline = Clock::now() + timeout;
  SendOutcome outcome;
  UniqueFd fd;
  switch (Connect(folder_, title, deadline, fd)) {
    case ConnectResult::kAbsent:
      return outcome;
    case ConnectResult::kBusy:
      outcome.state = SendOutcome::State::kNoAnswer;
      return outcome;
    case ConnectResult::kConnected:
      break;
  }
  outcome.state = SendOutcome::State::kNoAnswer;
  if (!WriteFrame(fd.get(), WindowMessage{message, true, wparam, lparam}, deadline)) return outcome;
  unsigned char reply[8];
  std::size_t got = 0;
  while (got < sizeof reply) {
    pollfd p{fd.get(), POLLIN, 0};
    const int ready = ::poll(&p, 1, RemainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return outcome;  // the limit is reached
    const ssize_t n = ::recv(fd.get(), reply + got, sizeof reply - got, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return outcome;  // the receiver went away before answering
    got += static_cast<std::size_t>(n);
  }
  outcome.state = SendOutcome::State::kAnswered;
  outcome.result = static_cast<std::int64_t>(GetLe(reply, 8));
  return outcome;
}

bool MessageBus::PostMessage(std::string_view title, std::uint32_t message, std::int64_t wparam,
                             std::int64_t lparam) const {
  // Posting never waits for the receiver's loop: the frame sits in the
  // socket until the receiver accepts it.
  const auto deadline = Clock::now() + std::chrono::milliseconds(500);
  UniqueFd fd;
  if (Connect(folder_, title, deadline, fd) != ConnectResult::kConnected) return false;
  return WriteFrame(fd.get(), WindowMessage{message, false, wparam, lparam}, deadline);
}

struct Endpoint::Impl {
  struct Peer {
    std::uint64_t order = 0;  // accept order, to drop the oldest
    Clock::time_point deadline;
    unsigned char frame[kFrameBytes];
    std::size_t got = 0;
  };

  std::string path;
  ino_t inode = 0;
  UniqueFd listener;
  UniqueFd epoll;
  UniqueFd timer;
  // The only record of a connection: it leaves when the connection does, so
  // it never holds more than the live peers.
  std::map<int, Peer> peers;  // by descriptor
  std::uint64_t accepted = 0;
  bool processing = false;

  void Drop(int fd) {
    ::epoll_ctl(epoll.get(), EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    peers.erase(fd);
  }

  // Descriptors are reused, so only the accept order tells which is oldest.
  void DropOldest() {
    const auto oldest = std::min_element(peers.begin(), peers.end(), [](const auto& a, const auto& b) {
      return a.second.order < b.second.order;
    });
    if (oldest != peers.end()) Drop(oldest->first);
  }

  void ArmTimer() {
    itimerspec timer_spec{};
    if (!peers.empty()) {
      auto earliest = Clock::time_point::max();
      for (const auto& [fd, peer] : peers) earliest = std::min(earliest, peer.deadline);
      const auto left = std::max<Clock::duration>(earliest - Clock::now(), std::chrono::milliseconds(1));
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
      timer_spec.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
      timer_spec.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
    }
    ::timerfd_settime(timer.get(), 0, &timer_spec, nullptr);
  }

  void Accept() {
    for (int i = 0; i < kAcceptsPerProcess; ++i) {
      const int fd = ::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) return;
      ucred cred{};
      socklen_t len = sizeof cred;
      if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != ::geteuid()) {
        ::close(fd);
        continue;
      }
      if (peers.size() >= kMaxPendingPeers) DropOldest();
      epoll_event ev{};
      ev.events = EPOLLIN | EPOLLRDHUP;
      ev.data.fd = fd;
      if (::epoll_ctl(epoll.get(), EPOLL_CTL_ADD, fd, &ev) != 0) {
        ::close(fd);
        continue;
      }
      Peer& peer = peers[fd];
      peer.order = ++accepted;
      peer.deadline = Clock::now() + kFrameTimeout;
    }
  }

  void Read(int fd, const Handler& handler) {
    const auto it = peers.find(fd);
    if (it == peers.end()) return;
    Peer& peer = it->second;
    const ssize_t n = ::recv(fd, peer.frame + peer.got, kFrameBytes - peer.got, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {  // closed or failed before a whole frame: dropped without effect
      Drop(fd);
      return;
    }
    peer.got += static_cast<std::size_t>(n);
    if (peer.got < kFrameBytes) return;

    WindowMessage message;
    const bool valid = DecodeFrame(peer.frame, message);
    // Take the peer out before the handler runs: the handler may be long,
    // and nothing it does must see this connection again.
    ::epoll_ctl(epoll.get(), EPOLL_CTL_DEL, fd, nullptr);
    peers.erase(it);
    UniqueFd conn(fd);
    if (!valid) return;
    const std::int64_t result = handler(message);
    if (message.sent) {
      unsigned char reply[8];
      PutLe(reply, static_cast<std::uint64_t>(result), 8);
      // 8 bytes always fit a fresh socket's buffer; a vanished sender is ignored.
      [[maybe_unused]] const ssize_t sent = ::send(conn.get(), reply, sizeof reply, MSG_NOSIGNAL | MSG_DONTWAIT);
    }
  }

  void Expire() {
    std::uint64_t ticks = 0;
    [[maybe_unused]] const ssize_t n = ::read(timer.get(), &ticks, sizeof ticks);
    const auto now = Clock::now();
    for (auto it = peers.begin(); it != peers.end();) {
      const int fd = it->first;
      const bool late = it->second.deadline <= now;
      ++it;
      if (late) Drop(fd);
    }
  }
};

Endpoint::Endpoint(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Endpoint::~Endpoint() {
  if (!impl_) return;
  for (const auto& [fd, peer] : impl_->peers) ::close(fd);
  // Remove the socket only while it is still ours: a successor may own the name.
  struct stat st {};
  if (::lstat(impl_->path.c_str(), &st) == 0 && st.st_ino == impl_->inode) {
    ::unlink(impl_->path.c_str());
  }
}

OpenedEndpoint Endpoint::Open(std::string_view title, const std::string& folder) {
  if (Status prepared = PrepareEndpointFolder(folder); !prepared.ok()) {
    return {nullptr, std::move(prepared)};
  }
  const auto refused = [](std::string reason) {
    return OpenedEndpoint{nullptr, Status::Error(std::move(reason))};
  };
  auto impl = std::make_unique<Impl>();
  impl->path = SocketPath(folder, title);
  sockaddr_un addr{};
  if (!FillAddress(impl->path, addr)) {
    return refused("endpoint path too long: " + impl->path);
  }

  struct stat st {};
  if (::lstat(impl->path.c_str(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      return refused(impl->path + " exists and is not a socket");
    }
    UniqueFd probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 ||
        errno == EAGAIN) {
      return refused("another process owns " + impl->path);
    }
    ::unlink(impl->path.c_str());  // stale: its owner is gone
  }

  impl->listener = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (impl->listener.get() < 0 ||
      ::bind(impl->listener.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(impl->listener.get(), SOMAXCONN) != 0) {
    return refused("cannot listen on " + impl->path + ": " + std::strerror(errno));
  }
  if (::lstat(impl->path.c_str(), &st) == 0) impl->inode = st.st_ino;

  impl->epoll = UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
  impl->timer = UniqueFd(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK));
  if (impl->epoll.get() < 0 || impl->timer.get() < 0) {
    return refused(std::string("cannot watch the endpoint: ") + std::strerror(errno));
  }
  for (const int fd : {impl->listener.get(), impl->timer.get()}) {
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = fd;
    ::epoll_ctl(impl->epoll.get(), EPOLL_CTL_ADD, fd, &ev);
  }
  return {std::unique_ptr<Endpoint>(new Endpoint(std::move(impl))), Status::Ok()};
}

int Endpoint::Fd() const { return impl_->epoll.get(); }
const std::string& Endpoint::Path() const { return impl_->path; }

void Endpoint::Process(const Handler& handler) {
  Impl& d = *impl_;
  // A handler that spins a nested event loop must not re-enter.
  if (d.processing) return;
  d.processing = true;
  epoll_event events[64];
  const int n = ::epoll_wait(d.epoll.get(), events, 64, 0);
  for (int i = 0; i < n; ++i) {
    const int fd = events[i].data.fd;
    if (fd == d.listener.get()) {
      d.Accept();
    } else if (fd == d.timer.get()) {
      d.Expire();
    } else {
      d.Read(fd, handler);
    }
  }
  d.ArmTimer();
  d.processing = false;
}

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& folder, std::string_view name) {
  if (!PrepareEndpointFolder(folder).ok()) return nullptr;
  const std::string path = folder + "/" + std::string(name) + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() { ::close(fd_); }

bool BusAgentChannel::FindAgent() { return bus_.FindWindow(kAgentWindowTitle); }

SendOutcome BusAgentChannel::SendToAgent(std::uint32_t message, std::int64_t wparam,
                                         std::int64_t lparam) {
  return bus_.SendMessage(kAgentWindowTitle, message, wparam, lparam, send_limit_);
}

}  // namespace vantix
