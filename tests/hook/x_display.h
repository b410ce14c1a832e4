// An X server of the test's own (Xvfb) and a client of it that owns the
// windows the hook reports to and types on the XTest keyboard.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/window_message.h"

namespace vantix::test {

class Xvfb {
 public:
  // Starts Xvfb on a display that is free; error() says why not.
  Xvfb();
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;

  const std::string& display() const { return display_; }  // ":N"
  const std::string& error() const { return error_; }      // empty when it runs
  // Ends the server at once, as a crash would.
  void Kill();
  // Freezes the server (SIGSTOP): it keeps its connections but answers
  // nothing until Continue.
  void Stop();
  void Continue();

 private:
  pid_t pid_ = -1;
  std::string log_;
  std::string display_;
  std::string error_;
};

struct Received {
  xcb_window_t window;
  WindowMessage message;
};

class XClient {
 public:
  explicit XClient(const std::string& display);
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool ok() const { return ok_; }
  xcb_window_t CreateWindow(bool mapped = false);
  void DestroyWindow(xcb_window_t window);
  // Gives a mapped window the keyboard focus and puts the pointer in it.
  void FocusAndPoint(xcb_window_t window);

  // X key code = evdev + 8.
  void Press(std::uint32_t evdev);
  void Release(std::uint32_t evdev);
  void Tap(std::uint32_t evdev) {
    Press(evdev);
    Release(evdev);
  }
  // Sends what is buffered, without waiting.
  void Flush();
  // A round trip: the server has done everything asked before, and every
  // event it sent this client until then is queued here.
  void Sync();

  // Hook messages, translated as the program does, in the order they came.
  // Waits until count have come or the timeout passes.
  std::vector<Received> Wait(std::size_t count,
                             std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // After a round trip: what has come so far.
  std::vector<Received> TakeQueued();
  // Client messages that were not the hook's.
  int foreign() const { return foreign_; }

 private:
  void Drain();

  xcb_connection_t* conn_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  xcb_atom_t hook_atom_ = XCB_ATOM_NONE;
  bool ok_ = false;
  std::vector<Received> received_;
  int foreign_ = 0;
};

// Threads of this process, and its open file descriptors.
int ThreadCount();
int FdCount();

}  // namespace vantix::test
