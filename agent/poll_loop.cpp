#include "agent/poll_loop.h"

#include <cerrno>
#include <cstring>

namespace vantix::agent {

void PollLoop::Add(Collect collect, Ready ready) { rows_.push_back({std::move(collect), std::move(ready)}); }

void PollLoop::Watch(int fd, std::function<void(short revents)> ready) {
  Add([fd](std::vector<pollfd>& fds) { fds.push_back({fd, POLLIN, 0}); },
      [ready = std::move(ready)](std::span<const pollfd> fds) { ready(fds.front().revents); });
}

void PollLoop::Stop(std::string reason) {
  stopped_ = true;
  reason_ = std::move(reason);
}

std::string PollLoop::Run() {
  std::vector<pollfd> fds;
  std::vector<std::size_t> ends(rows_.size());
  stopped_ = false;
  reason_.clear();
  while (!stopped_) {
    fds.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      rows_[i].collect(fds);
      ends[i] = fds.size();
    }
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return std::string("waiting failed: ") + std::strerror(errno);
    }
    // Nobody would ever read a closed descriptor: poll would return at once,
    // for ever.
    for (const pollfd& p : fds) {
      if ((p.revents & POLLNVAL) != 0) return "descriptor " + std::to_string(p.fd) + " is not open";
    }
    std::size_t begin = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const std::span<const pollfd> mine(fds.data() + begin, ends[i] - begin);
      begin = ends[i];
      for (const pollfd& p : mine) {
        if (p.revents != 0) {
          rows_[i].ready(mine);
          break;
        }
      }
    }
    if (after_) after_();
  }
  return reason_;
}

}  // namespace vantix::agent
