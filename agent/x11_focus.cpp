#include "agent/x11_focus.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace vantix::agent {
namespace {

// The property's bytes (at most 4 KiB), empty when absent.
std::string Property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
  xcb_get_property_reply_t* reply =
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr);
  std::string bytes;
  if (reply != nullptr) {
    const int length = xcb_get_property_value_length(reply);
    if (length > 0) bytes.assign(static_cast<const char*>(xcb_get_property_value(reply)), static_cast<std::size_t>(length));
  }
  std::free(reply);
  return bytes;
}

class X11Focus final : public FocusSource {
 public:
  X11Focus(xcb_connection_t* c, xcb_window_t root, Sink sink)
      : c_(c), root_(root), sink_(std::move(sink)) {
    active_ = InternAtom(c_, "_NET_ACTIVE_WINDOW");
    pid_ = InternAtom(c_, "_NET_WM_PID");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
  }
  ~X11Focus() override { xcb_disconnect(c_); }

  std::string Name() const override { return "x11"; }
  int Fd() const override { return c_ != nullptr && problem_.empty() ? xcb_get_file_descriptor(c_) : -1; }
  std::string Problem() const override { return problem_; }

  // The window in front now, told to the sink.
  void Report() {
    const std::string active = Property(c_, root_, active_, XCB_ATOM_WINDOW);
    xcb_window_t window = XCB_WINDOW_NONE;
    if (active.size() >= sizeof window) std::memcpy(&window, active.data(), sizeof window);
    // No window in front (a Wayland window under Xwayland, the desktop):
    // another source may know better, so nothing is said.
    if (window == XCB_WINDOW_NONE) return;
    FocusedProgram program;
    // WM_CLASS: the instance name, then the class name, each ending in NUL.
    const std::string wm_class = Property(c_, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    const std::size_t nul = wm_class.find('\0');
    const std::string instance = wm_class.substr(0, nul);
    std::string klass = nul == std::string::npos ? std::string() : wm_class.substr(nul + 1);
    if (const std::size_t end = klass.find('\0'); end != std::string::npos) klass.resize(end);
    const std::string pid = Property(c_, window, pid_, XCB_ATOM_CARDINAL);
    std::uint32_t pid_value = 0;
    if (pid.size() >= sizeof pid_value) std::memcpy(&pid_value, pid.data(), sizeof pid_value);
    program.names = {klass, instance, ExecutableName(pid_value)};
    sink_(program);
  }

  void Dispatch() override {
    // The round trips of Report may take events off the socket into xcb's
    // queue, where poll would not see them: read until none is left.
    for (;;) {
      bool changed = false;
      while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
          const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
          changed = changed || (notify->window == root_ && notify->atom == active_);
        }
        std::free(event);
      }
      if (xcb_connection_has_error(c_) != 0) {
        problem_ = "x11: the X server went away";
        return;
      }
      // A burst of changes is read as one: only the last one counts.
      if (!changed) return;
      Report();
    }
  }

 private:
  xcb_connection_t* c_;
  xcb_window_t root_;
  Sink sink_;
  xcb_atom_t active_ = XCB_ATOM_NONE;
  xcb_atom_t pid_ = XCB_ATOM_NONE;
  std::string problem_;
};

}  // namespace

xcb_atom_t InternAtom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

std::unique_ptr<FocusSource> StartX11Focus(const std::string& display, FocusSource::Sink sink,
                                           std::string& problem) {
  const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
  if (name == nullptr || *name == '\0') {
    problem = "x11: no DISPLAY";
    return nullptr;
  }
  int screen_number = 0;
  xcb_connection_t* c = xcb_connect(name, &screen_number);
  if (xcb_connection_has_error(c) != 0) {
    xcb_disconnect(c);
    problem = std::string("x11: cannot connect to the X server ") + name;
    return nullptr;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen_number && it.rem > 0; ++i) xcb_screen_next(&it);
  if (it.rem == 0) {
    xcb_disconnect(c);
    problem = std::string("x11: no screen on ") + name;
    return nullptr;
  }
  auto source = std::make_unique<X11Focus>(c, it.data->root, std::move(sink));
  // What is in front already counts from the start.
  source->Report();
  source->Dispatch();
  return source;
}

}  // namespace vantix::agent
