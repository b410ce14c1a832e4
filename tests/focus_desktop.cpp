#include "tests/focus_desktop.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "agent/x11_focus.h"
#include "tests/test_support.h"

namespace vantix::test {
namespace {

using namespace std::chrono_literals;

// A child on display with its stdout in out_path; ends with the test.
pid_t Start(const std::vector<std::string>& argv, const std::string& display, const std::string& out_path) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  ::setenv("DISPLAY", display.c_str(), 1);
  const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int null = ::open("/dev/null", O_WRONLY);
  ::dup2(out, 1);
  ::dup2(null, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

void End(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}


}  // namespace

FocusDesktop::FocusDesktop(std::string focus_client)
    : focus_client_(std::move(focus_client)), xvfb_(std::make_unique<Xvfb>()), display_(xvfb_->display()) {
  if (!xvfb_->error().empty()) {
    error_ = xvfb_->error();
    return;
  }
  if (!std::filesystem::exists("/usr/bin/openbox")) {
    error_ = "openbox is not installed (Debian package openbox); the X11 focus tests need it";
    return;
  }
  if (!MakeFolder()) return;
  // No configuration of the user's: openbox's own defaults.
  wm_ = Start({"openbox", "--sm-disable", "--config-file", folder_ + "/none.xml"}, display(), folder_ + "/wm.out");
  Connect("openbox");
}

FocusDesktop::FocusDesktop(std::string focus_client, std::string display)
    : focus_client_(std::move(focus_client)), display_(std::move(display)) {
  if (display_.empty()) {
    error_ = "no DISPLAY to open the clients on";
    return;
  }
  if (MakeFolder()) Connect("the desktop's window manager");
}

bool FocusDesktop::MakeFolder() {
  char folder[] = "/tmp/vantix-focus-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    error_ = "mkdtemp failed";
    return false;
  }
  folder_ = folder;
  return true;
}

void FocusDesktop::Connect(const std::string& wm_name) {
  c_ = xcb_connect(display().c_str(), nullptr);
  if (xcb_connection_has_error(c_) != 0) {
    error_ = "cannot connect to " + display();
    return;
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  active_ = agent::InternAtom(c_, "_NET_ACTIVE_WINDOW");
  const xcb_atom_t check = agent::InternAtom(c_, "_NET_SUPPORTING_WM_CHECK");
  const bool managed = WaitFor(
      [&] {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, root_, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
        const bool there = reply != nullptr && xcb_get_property_value_length(reply) == 4;
        std::free(reply);
        return there;
      },
      10s, "the window manager");
  if (!managed) error_ = wm_name + " did not start";
}

FocusDesktop::~FocusDesktop() {
  for (const pid_t client : clients_) End(client);
  End(wm_);
  if (c_ != nullptr) xcb_disconnect(c_);
  if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

xcb_window_t FocusDesktop::Open(const std::string& window_class) {
  const std::string out = folder_ + "/" + std::to_string(clients_.size()) + ".out";
  clients_.push_back(Start({focus_client_, window_class}, display(), out));
  xcb_window_t window = XCB_WINDOW_NONE;
  WaitFor(
      [&] {
        const std::string text = ReadBytes(out);
        if (text.empty() || text.back() != '\n') return false;
        window = static_cast<xcb_window_t>(std::strtoul(text.c_str(), nullptr, 10));
        return true;
      },
      5s, "the client's window");
  // Managed, or an activation now would be lost.
  const xcb_atom_t clients = agent::InternAtom(c_, "_NET_CLIENT_LIST");
  WaitFor(
      [&] {
        xcb_get_property_reply_t* reply =
            xcb_get_property_reply(c_, xcb_get_property(c_, 0, root_, clients, XCB_ATOM_WINDOW, 0, 1024), nullptr);
        bool listed = false;
        if (reply != nullptr) {
          const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
          const int count = xcb_get_property_value_length(reply) / 4;
          listed = std::find(ids, ids + count, window) != ids + count;
        }
        std::free(reply);
        return listed;
      },
      5s, "the window manager to take the window");
  return window;
}

void FocusDesktop::Activate(xcb_window_t window) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = active_;
  message.data.data32[0] = 2;  // from a pager: no focus-stealing rules apply
  message.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c_, 0, root_, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c_);
}

xcb_window_t FocusDesktop::Active() {
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(c_, xcb_get_property(c_, 0, root_, active_, XCB_ATOM_WINDOW, 0, 1), nullptr);
  xcb_window_t window = XCB_WINDOW_NONE;
  if (reply != nullptr && xcb_get_property_value_length(reply) == 4) {
    std::memcpy(&window, xcb_get_property_value(reply), 4);
  }
  std::free(reply);
  return window;
}

}  // namespace vantix::test
