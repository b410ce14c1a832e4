// The keyboard watcher behind the hook library: its own X connection,
// selected for XInput 2 raw key events on the root window, and its own
// thread, which reads them and reports each mapped key to the target window
// as a client message. Only that thread touches the connection, from
// connecting to closing, so nothing here depends on Xlib's or the host
// program's thread setup.
//
// Each call returns once its change is in effect on the watcher thread; the
// watcher makes a round trip to the server first, so that it knows which key
// events the server produced before the call. A server that does not answer
// (stopped, hung) is given up on after kServerWait: the calls return all the
// same, the watcher counts as broken and reports nothing more. Giving up
// shuts the connection's socket down, which wakes the thread from any wait on
// the server; the connection itself is still only the thread's.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace vantix::hook {

class KeyWatcher {
 public:
  // How long a call waits for the server before it stops waiting.
  static constexpr std::chrono::milliseconds kServerWait{1000};

  // Nothing without a display, when the server has no XInput 2, or when it
  // does not answer within kServerWait.
  static std::unique_ptr<KeyWatcher> Start(std::uint32_t window, bool enabled);
  // When it returns, the thread has ended and the connection is closed.
  ~KeyWatcher();
  KeyWatcher(const KeyWatcher&) = delete;
  KeyWatcher& operator=(const KeyWatcher&) = delete;

  // Keys the server produced before the call but not yet reported still go
  // to the old window.
  void SetWindow(std::uint32_t window);
  // Keys the server produced before the call but not yet reported are
  // dropped when delivery was or becomes off.
  void SetEnabled(bool enabled);
  // The connection is lost: nothing will be reported again.
  bool Broken();

 private:
  // What the watcher thread works on. The thread holds it too, so that a
  // thread that had to be left behind (its server never answered) still has
  // it when it wakes up.
  class Core;

  explicit KeyWatcher(std::shared_ptr<Core> core) : core_(std::move(core)) {}

  std::shared_ptr<Core> core_;
  std::thread thread_;
};

}  // namespace vantix::hook
