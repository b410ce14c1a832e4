// An X desktop of a test's own for the focus sources: Xvfb, a window
// manager that keeps _NET_ACTIVE_WINDOW (openbox) and small X clients of
// chosen classes, activated the way a pager or a task bar asks for it.
// Or the Xwayland display of a running desktop (KWin, GNOME Shell), whose
// compositor is the window manager.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/hook/x_display.h"

namespace vantix::test {

class FocusDesktop {
 public:
  // focus_client: the path of the small client program.
  explicit FocusDesktop(std::string focus_client);
  // display: a running display with a window manager of its own.
  FocusDesktop(std::string focus_client, std::string display);
  ~FocusDesktop();
  FocusDesktop(const FocusDesktop&) = delete;
  FocusDesktop& operator=(const FocusDesktop&) = delete;

  // Empty when the desktop runs; else why not (a test skips then).
  const std::string& error() const { return error_; }
  const std::string& display() const { return display_; }

  // Starts a client whose window has this class; its window, or none.
  xcb_window_t Open(const std::string& window_class);
  // Asks the window manager to bring the window to the front.
  void Activate(xcb_window_t window);
  // The window manager's _NET_ACTIVE_WINDOW now.
  xcb_window_t Active();

 private:
  std::string focus_client_;
  std::unique_ptr<Xvfb> xvfb_;
  std::string display_;
  std::string error_;
  std::string folder_;
  pid_t wm_ = -1;
  std::vector<pid_t> clients_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t active_ = XCB_ATOM_NONE;

  // The folder of the clients' output.
  bool MakeFolder();
  // Connects to display_ and waits for its window manager.
  void Connect(const std::string& wm_name);
};

}  // namespace vantix::test
