// The agent's loop as a table: each part of the agent that waits on the
// kernel (signals, the endpoint, the served mouse, hot-plug, timers) is one
// row with the descriptors it waits on and what to do when they are ready.
// Descriptors are collected before every wait, since a served mouse comes
// and goes. One poll a wait: with a handful of descriptors it costs what
// epoll would, and a row never has to register or forget its descriptors.
#pragma once

#include <poll.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vantix::agent {

class PollLoop {
 public:
  // Appends the row's descriptors (none is fine).
  using Collect = std::function<void(std::vector<pollfd>& fds)>;
  // The row's descriptors as poll returned them; called only when one of
  // them has something to report.
  using Ready = std::function<void(std::span<const pollfd> fds)>;

  // Rows are dispatched in the order they were added.
  void Add(Collect collect, Ready ready);
  // A row of one fixed descriptor.
  void Watch(int fd, std::function<void(short revents)> ready);
  // Runs after each round of dispatch.
  void AfterEach(std::function<void()> after) { after_ = std::move(after); }
  // Ends the loop after the current round, with the reason (empty: asked to).
  void Stop(std::string reason = {});

  // Waits and dispatches until Stop; returns its reason. A failing poll
  // (other than EINTR) or a descriptor that is not open ends the loop with
  // the reason instead of spinning.
  std::string Run();

 private:
  struct Row {
    Collect collect;
    Ready ready;
  };
  std::vector<Row> rows_;
  std::function<void()> after_;
  bool stopped_ = false;
  std::string reason_;
};

}  // namespace vantix::agent
