#include "tests/hook/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "hook/hook_message.h"

namespace vantix::test {
namespace {

using Clock = std::chrono::steady_clock;

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

int CountEntries(const char* folder) {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

Xvfb::Xvfb() {
  if (!OnPath("Xvfb")) {
    error_ = "Xvfb is not installed (Debian package xvfb); the hook tests need it";
    return;
  }
  log_ = (std::filesystem::temp_directory_path() /
          ("vantix-xvfb-" + std::to_string(::getpid()) + ".log"))
             .string();
  const std::string& log = log_;
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    // The server must not outlive a test that crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    const int fd = ::dup(ready[1]);  // without close-on-exec
    const std::string fd_text = std::to_string(fd);
    ::execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-nolisten", "tcp", "-noreset",
             "-screen", "0", "1280x1024x24", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  if (pid_ < 0) {
    ::close(ready[0]);
    error_ = "fork failed";
    return;
  }
  // Xvfb writes the display number it took, then a newline, once it listens.
  std::string number;
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
    pollfd p{ready[0], POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
    char buffer[32];
    const ssize_t n = ::read(ready[0], buffer, sizeof buffer);
    if (n <= 0) break;
    number.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(ready[0]);
  if (number.find('\n') == std::string::npos) {
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    error_ = "Xvfb did not start; its output:\n" + text.str();
    Kill();
    return;
  }
  display_ = ":" + number.substr(0, number.find('\n'));
}

Xvfb::~Xvfb() {
  Kill();
  if (!log_.empty()) ::unlink(log_.c_str());
}

void Xvfb::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void Xvfb::Stop() {
  if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void Xvfb::Continue() {
  if (pid_ > 0) ::kill(pid_, SIGCONT);
}

XClient::XClient(const std::string& display) {
  int screen_number = 0;
  conn_ = xcb_connect(display.c_str(), &screen_number);
  if (xcb_connection_has_error(conn_)) return;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(conn_));
  for (int i = 0; i < screen_number; ++i) xcb_screen_next(&screens);
  screen_ = screens.data;
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      conn_,
      xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(kHookMessageAtom)),
                      kHookMessageAtom),
      nullptr);
  if (atom == nullptr) return;
  hook_atom_ = atom->atom;
  std::free(atom);
  ok_ = true;
}

// Only closes the socket: after the server is gone nothing may be written.
XClient::~XClient() { xcb_disconnect(conn_); }

xcb_window_t XClient::CreateWindow(bool mapped) {
  const xcb_window_t window = xcb_generate_id(conn_);
  xcb_create_window(conn_, XCB_COPY_FROM_PARENT, window, screen_->root, 0, 0, 200, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
  if (mapped) xcb_map_window(conn_, window);
  Sync();
  return window;
}

void XClient::DestroyWindow(xcb_window_t window) {
  xcb_destroy_window(conn_, window);
  Sync();
}

void XClient::FocusAndPoint(xcb_window_t window) {
  xcb_warp_pointer(conn_, XCB_NONE, window, 0, 0, 0, 0, 50, 50);
  xcb_set_input_focus(conn_, XCB_INPUT_FOCUS_NONE, window, XCB_CURRENT_TIME);
  Sync();
}

void XClient::Press(std::uint32_t evdev) {
  xcb_test_fake_input(conn_, XCB_KEY_PRESS, static_cast<std::uint8_t>(evdev + 8), XCB_CURRENT_TIME,
                      XCB_NONE, 0, 0, 0);
}

void XClient::Release(std::uint32_t evdev) {
  xcb_test_fake_input(conn_, XCB_KEY_RELEASE, static_cast<std::uint8_t>(evdev + 8),
                      XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void XClient::Flush() { xcb_flush(conn_); }

void XClient::Sync() {
  std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
}

void XClient::Drain() {
  while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
    if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
      const auto* cm = reinterpret_cast<const xcb_client_message_event_t*>(event);
      ClientMessage message{cm->type, cm->format, {}};
      for (std::size_t i = 0; i < message.data.size(); ++i) message.data[i] = cm->data.data32[i];
      if (const auto m = HookKeyMessage(message, hook_atom_)) {
        received_.push_back({cm->window, *m});
      } else {
        ++foreign_;
      }
    }
    std::free(event);
  }
}

std::vector<Received> XClient::Wait(std::size_t count, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  Drain();
  while (received_.size() < count && Clock::now() < deadline && !xcb_connection_has_error(conn_)) {
    pollfd p{xcb_get_file_descriptor(conn_), POLLIN, 0};
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    ::poll(&p, 1, static_cast<int>(left.count()) + 1);
    Drain();
  }
  std::vector<Received> out;
  out.swap(received_);
  return out;
}

std::vector<Received> XClient::TakeQueued() {
  Sync();
  Drain();
  std::vector<Received> out;
  out.swap(received_);
  return out;
}

int ThreadCount() { return CountEntries("/proc/self/task"); }

int FdCount() { return CountEntries("/proc/self/fd"); }

}  // namespace vantix::test
