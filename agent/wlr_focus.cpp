#include "agent/wlr_focus.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <list>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace vantix::agent {
namespace {

// The newest version whose events we understand; a compositor offering less
// sends a subset of them.
constexpr std::uint32_t kManagerVersion = 3;

// A window as the compositor last described it; its events take effect
// together at "done".
class WlrFocus;
struct Toplevel {
  WlrFocus* source = nullptr;
  zwlr_foreign_toplevel_handle_v1* handle = nullptr;
  std::string app_id, pending_app_id;
  bool activated = false, pending_activated = false;
  // Order of activation: the last one activated is in front, should two
  // seats each have one.
  std::uint64_t activated_at = 0;
};

class WlrFocus final : public FocusSource {
 public:
  WlrFocus(wl_display* display, Sink sink) : display_(display), sink_(std::move(sink)) {}
  ~WlrFocus() override {
    for (Toplevel& toplevel : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(toplevel.handle);
    if (manager_ != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
  }

  std::string Name() const override { return "wlroots"; }
  int Fd() const override { return problem_.empty() ? wl_display_get_fd(display_) : -1; }
  std::string Problem() const override { return problem_; }

  // Finds the manager among the compositor's globals and takes the windows
  // it lists; false, with problem set, when it offers none.
  bool Bind(std::string& problem) {
    static const wl_registry_listener kRegistry = {&WlrFocus::OnGlobal, &WlrFocus::OnGlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistry, this);
    if (wl_display_roundtrip(display_) < 0) {
      problem = "wlroots: the compositor closed the connection";
      return false;
    }
    if (manager_ == nullptr) {
      problem = "wlroots: the compositor does not list its windows (no wlr-foreign-toplevel-management)";
      return false;
    }
    // The windows there are, each with its first description.
    if (wl_display_roundtrip(display_) < 0) {
      problem = "wlroots: the compositor closed the connection";
      return false;
    }
    Report();
    return true;
  }

  void Dispatch() override {
    // Events already queued (by a round trip) are handled before reading;
    // then whatever the socket holds, without blocking.
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) return Lost();
    }
    if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) return Lost();
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) return Lost();
    Report();
  }

 private:
  void Lost() {
    const int error = wl_display_get_error(display_);
    problem_ = error == EPIPE || error == 0 || error == ECONNRESET
                   ? "wlroots: the compositor went away"
                   : std::string("wlroots: the compositor's connection failed: ") + std::strerror(error);
  }

  // Tells the sink when the window in front changed: a burst of changes is
  // read as one, only the last counts. No window activated (the desktop, a
  // window this protocol does not list) says nothing: another source may
  // know better.
  void Report() {
    const Toplevel* front = nullptr;
    for (const Toplevel& toplevel : toplevels_) {
      if (toplevel.activated && (front == nullptr || toplevel.activated_at > front->activated_at)) front = &toplevel;
    }
    if (front == nullptr) {
      reported_ = nullptr;
      return;
    }
    if (front->handle == reported_ && front->app_id == reported_app_id_) return;
    reported_ = front->handle;
    reported_app_id_ = front->app_id;
    sink_(FocusedProgram{{front->app_id}});
  }

  static void OnGlobal(void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
    auto* source = static_cast<WlrFocus*>(self);
    if (source->manager_ != nullptr ||
        std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) != 0) {
      return;
    }
    static const zwlr_foreign_toplevel_manager_v1_listener kManager = {&WlrFocus::OnToplevel,
                                                                        &WlrFocus::OnFinished};
    source->manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
        registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, kManagerVersion)));
    zwlr_foreign_toplevel_manager_v1_add_listener(source->manager_, &kManager, source);
  }
  static void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

  static void OnToplevel(void* self, zwlr_foreign_toplevel_manager_v1*, zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener kHandle = {
        .title = [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
        .app_id = [](void* data, zwlr_foreign_toplevel_handle_v1*,
                     const char* app_id) { static_cast<Toplevel*>(data)->pending_app_id = app_id; },
        .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .state =
            [](void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
              auto* toplevel = static_cast<Toplevel*>(data);
              toplevel->pending_activated = false;
              const auto* state = static_cast<const std::uint32_t*>(states->data);
              for (std::size_t i = 0; i < states->size / sizeof *state; ++i) {
                if (state[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) toplevel->pending_activated = true;
              }
            },
        .done = &WlrFocus::OnDone,
        .closed = &WlrFocus::OnClosed,
        .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
    };
    auto* source = static_cast<WlrFocus*>(self);
    Toplevel& toplevel = source->toplevels_.emplace_back();
    toplevel.source = source;
    toplevel.handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandle, &toplevel);
  }

  // The manager is gone while the compositor still runs: no more windows
  // will be told.
  static void OnFinished(void* self, zwlr_foreign_toplevel_manager_v1*) {
    auto* source = static_cast<WlrFocus*>(self);
    zwlr_foreign_toplevel_manager_v1_destroy(source->manager_);
    source->manager_ = nullptr;
    source->problem_ = "wlroots: the compositor stopped listing its windows";
  }

  static void OnDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* toplevel = static_cast<Toplevel*>(data);
    if (toplevel->pending_activated && !toplevel->activated) toplevel->activated_at = ++toplevel->source->activations_;
    toplevel->activated = toplevel->pending_activated;
    toplevel->app_id = toplevel->pending_app_id;
  }

  static void OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* toplevel = static_cast<Toplevel*>(data);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    toplevel->source->toplevels_.remove_if([handle](const Toplevel& t) { return t.handle == handle; });
  }

  wl_display* display_;
  Sink sink_;
  wl_registry* registry_ = nullptr;
  zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
  std::list<Toplevel> toplevels_;
  const void* reported_ = nullptr;
  std::string reported_app_id_;
  std::string problem_;
  std::uint64_t activations_ = 0;
};

}  // namespace

std::unique_ptr<FocusSource> StartWlrFocus(const std::string& display, FocusSource::Sink sink,
                                           std::string& problem) {
  const char* name = display.empty() ? std::getenv("WAYLAND_DISPLAY") : display.c_str();
  if (name == nullptr || *name == '\0') {
    problem = "wlroots: no WAYLAND_DISPLAY";
    return nullptr;
  }
  wl_display* connection = wl_display_connect(name);
  if (connection == nullptr) {
    problem = std::string("wlroots: cannot connect to the Wayland compositor ") + name;
    return nullptr;
  }
  auto source = std::make_unique<WlrFocus>(connection, std::move(sink));
  if (!source->Bind(problem)) return nullptr;
  return source;
}

}  // namespace vantix::agent
