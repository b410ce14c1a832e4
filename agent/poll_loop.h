// The agent's loop as a table: each part of the agent that waits on the
// kernel (signals, the endpoint, the served mouse, hot-plug, timers) is one
// row with the descriptors it waits on and what to do when they are ready.
//
// The wait is epoll's: the descriptors are registered once, and a wake-up
// costs the kernel only the descriptor that is ready, where poll would
// register and unregister every one of them each time. Rows are asked for
// their descriptors before every wait (a served mouse comes and goes) and
// only a change is registered; a row whose descriptor may be closed and
// another opened under the same number gives a generation that changes
// with it, since the number alone cannot tell.
#pragma once

#include <poll.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vantix::agent {

class PollLoop {
 public:
  // Appends the row's descriptors (none is fine), with the events (POLLIN).
  using Collect = std::function<void(std::vector<pollfd>& fds)>;
  // The row's descriptors with what is ready in revents; called only when
  // one of them has something to report.
  using Ready = std::function<void(std::span<const pollfd> fds)>;
  // Changes whenever the row's descriptors may have been reopened.
  using Generation = std::function<std::uint64_t()>;

  PollLoop();
  ~PollLoop();
  PollLoop(const PollLoop&) = delete;
  PollLoop& operator=(const PollLoop&) = delete;

  // Rows are dispatched in the order they were added; all are added before
  // Run.
  void Add(Collect collect, Ready ready, Generation generation = {});
  // A row of one fixed descriptor.
  void Watch(int fd, std::function<void(short revents)> ready);
  // Runs after each round of dispatch.
  void AfterEach(std::function<void()> after) { after_ = std::move(after); }
  // Ends the loop after the current round, with the reason (empty: asked to).
  void Stop(std::string reason = {});

  // Waits and dispatches until Stop; returns its reason. A failing wait
  // (other than EINTR) or a descriptor that is not open ends the loop with
  // the reason instead of spinning.
  std::string Run();

 private:
  struct Row {
    Collect collect;
    Ready ready;
    Generation generation;
    std::vector<pollfd> registered;
    std::uint64_t registered_generation = 0;
  };
  // Registers what changed in the row; the reason when the kernel refuses.
  std::string Register(Row& row, const std::vector<pollfd>& now);

  int epoll_fd_ = -1;
  std::vector<Row> rows_;
  std::function<void()> after_;
  bool stopped_ = false;
  std::string reason_;
};

}  // namespace vantix::agent
