// The keyboard watcher behind the hook library: its own X connection,
// selected for XInput 2 raw key events on the root window, and its own
// thread, which reads them and reports each mapped key to the target window
// as a client message. Only that thread touches the connection, from
// connecting to closing, so nothing here depends on Xlib's or the host
// program's thread setup.
//
// Each call returns once its change is in effect on the watcher thread; the
// watcher makes a round trip to the server first, so that it knows which key
// events the server produced before the call.
#pragma once

#include <xcb/xcb.h>

#include <bitset>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace vantix::hook {

class KeyWatcher {
 public:
  // Nothing without a display, or when the server has no XInput 2.
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
  struct Change {
    enum Kind { kWindow, kEnabled, kStop } kind;
    std::uint32_t value;
  };

  KeyWatcher(std::uint32_t window, bool enabled);
  void Submit(Change change);
  void Run();
  bool Connect();
  void Loop();
  void Apply(const Change& change);
  void ReadEvents();
  void RoundTrip();
  void MarkLost();
  void Handle(const xcb_generic_event_t* event, bool deliver);
  void Report(std::uint8_t code, std::uint32_t flags);

  int wake_read_ = -1;
  int wake_write_ = -1;
  std::thread thread_;

  std::mutex mutex_;
  std::condition_variable cv_;
  bool started_ = false;         // guarded: Connect has finished
  bool start_ok_ = false;        // guarded
  bool broken_ = false;          // guarded
  std::deque<Change> changes_;   // guarded
  std::uint64_t submitted_ = 0;  // guarded
  std::uint64_t applied_ = 0;    // guarded

  // The watcher thread's own.
  xcb_connection_t* conn_ = nullptr;
  xcb_atom_t message_atom_ = XCB_ATOM_NONE;
  std::uint8_t xi_opcode_ = 0;
  bool lost_ = false;
  std::uint32_t window_;
  bool enabled_;
  std::bitset<256> down_;  // X key codes held, to keep a held key to one press
};

}  // namespace vantix::hook
