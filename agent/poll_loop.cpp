#include "agent/poll_loop.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantix::agent {
namespace {

bool SameFds(const std::vector<pollfd>& a, std::span<const pollfd> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const pollfd& x, const pollfd& y) { return x.fd == y.fd && x.events == y.events; });
}

}  // namespace

PollLoop::PollLoop() : epoll_fd_(::epoll_create1(EPOLL_CLOEXEC)) {}

PollLoop::~PollLoop() {
  if (epoll_fd_ >= 0) ::close(epoll_fd_);
}

void PollLoop::Add(Collect collect, Ready ready, Generation generation) {
  rows_.push_back({std::move(collect), std::move(ready), std::move(generation), {}, 0});
}

void PollLoop::Watch(int fd, std::function<void(short revents)> ready) {
  Add([fd](std::vector<pollfd>& fds) { fds.push_back({fd, POLLIN, 0}); },
      [ready = std::move(ready)](std::span<const pollfd> fds) { ready(fds.front().revents); });
}

void PollLoop::Stop(std::string reason) {
  stopped_ = true;
  reason_ = std::move(reason);
}

std::string PollLoop::Register(Row& row, const std::vector<pollfd>& now) {
  // Forgetting fails harmlessly for a descriptor that was closed (the kernel
  // forgot it then) or reopened under the same number.
  for (const pollfd& p : row.registered) ::epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, p.fd, nullptr);
  row.registered.clear();
  for (const pollfd& p : now) {
    epoll_event event{};
    event.events = static_cast<std::uint32_t>(p.events);
    event.data.fd = p.fd;
    if (::epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, p.fd, &event) != 0) {
      // Nobody would ever read a closed descriptor.
      if (errno == EBADF) return "descriptor " + std::to_string(p.fd) + " is not open";
      return std::string("cannot wait for descriptor ") + std::to_string(p.fd) + ": " + std::strerror(errno);
    }
    row.registered.push_back(p);
  }
  return {};
}

std::string PollLoop::Run() {
  if (epoll_fd_ < 0) return std::string("cannot wait: ") + std::strerror(errno);
  std::vector<pollfd> fds;
  std::vector<std::size_t> ends(rows_.size());
  std::vector<epoll_event> ready(8);
  stopped_ = false;
  reason_.clear();
  while (!stopped_) {
    fds.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      Row& row = rows_[i];
      const std::size_t begin = fds.size();
      row.collect(fds);
      ends[i] = fds.size();
      const std::span<const pollfd> now(fds.data() + begin, ends[i] - begin);
      const std::uint64_t generation = row.generation ? row.generation() : 0;
      if (generation == row.registered_generation && SameFds(row.registered, now)) continue;
      row.registered_generation = generation;
      if (std::string error = Register(row, std::vector<pollfd>(now.begin(), now.end())); !error.empty()) {
        return error;
      }
    }
    if (ready.size() < fds.size()) ready.resize(fds.size());
    const int n = ::epoll_wait(epoll_fd_, ready.data(), static_cast<int>(ready.size()), -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::string("waiting failed: ") + std::strerror(errno);
    }
    for (int k = 0; k < n; ++k) {
      for (pollfd& p : fds) {
        if (p.fd == ready[static_cast<std::size_t>(k)].data.fd) {
          p.revents = static_cast<short>(ready[static_cast<std::size_t>(k)].events);
        }
      }
    }
    std::size_t begin = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const std::span<const pollfd> mine(fds.data() + begin, ends[i] - begin);
      begin = ends[i];
      if (std::any_of(mine.begin(), mine.end(), [](const pollfd& p) { return p.revents != 0; })) {
        rows_[i].ready(mine);
      }
    }
    if (after_) after_();
  }
  return reason_;
}

}  // namespace vantix::agent
