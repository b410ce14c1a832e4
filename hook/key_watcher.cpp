#include "hook/key_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/xinput.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "hook/hook_protocol.h"
#include "hook/key_map.h"

namespace vantix::hook {
namespace {

// SendEvent reads destinations 0 and 1 as "the window under the pointer" and
// "the focus window": a key sent there would reach whichever program that is.
bool IsWindow(std::uint32_t window) { return window > 1; }

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

std::unique_ptr<KeyWatcher> KeyWatcher::Start(std::uint32_t window, bool enabled) {
  std::unique_ptr<KeyWatcher> watcher(new KeyWatcher(window, enabled));
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  watcher->wake_read_ = wake[0];
  watcher->wake_write_ = wake[1];

  // The thread takes no signals: they belong to the host program, and a
  // write to a server that went away must fail with EPIPE rather than kill
  // the program with SIGPIPE.
  sigset_t all;
  sigset_t old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  try {
    watcher->thread_ = std::thread(&KeyWatcher::Run, watcher.get());
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return nullptr;
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);

  bool ok = false;
  {
    std::unique_lock lock(watcher->mutex_);
    watcher->cv_.wait(lock, [&] { return watcher->started_; });
    ok = watcher->start_ok_;
  }
  if (!ok) {
    watcher->thread_.join();
    return nullptr;
  }
  return watcher;
}

KeyWatcher::KeyWatcher(std::uint32_t window, bool enabled) : window_(window), enabled_(enabled) {}

KeyWatcher::~KeyWatcher() {
  if (thread_.joinable()) {
    Submit({Change::kStop, 0});
    thread_.join();
  }
  if (wake_read_ >= 0) ::close(wake_read_);
  if (wake_write_ >= 0) ::close(wake_write_);
}

void KeyWatcher::SetWindow(std::uint32_t window) { Submit({Change::kWindow, window}); }

void KeyWatcher::SetEnabled(bool enabled) { Submit({Change::kEnabled, enabled ? 1u : 0u}); }

bool KeyWatcher::Broken() {
  std::lock_guard lock(mutex_);
  return broken_;
}

void KeyWatcher::Submit(Change change) {
  std::unique_lock lock(mutex_);
  changes_.push_back(change);
  const std::uint64_t ticket = ++submitted_;
  // One byte wakes the thread; a full pipe already holds one.
  const char byte = 1;
  while (::write(wake_write_, &byte, 1) < 0 && errno == EINTR) {
  }
  if (change.kind == Change::kStop) return;  // the caller joins instead
  cv_.wait(lock, [&] { return applied_ >= ticket; });
}

void KeyWatcher::Run() {
  const bool ok = Connect();
  {
    std::lock_guard lock(mutex_);
    started_ = true;
    start_ok_ = ok;
  }
  cv_.notify_all();
  if (!ok) return;
  Loop();
  xcb_disconnect(conn_);
  conn_ = nullptr;
}

bool KeyWatcher::Connect() {
  int screen_number = 0;
  conn_ = xcb_connect(nullptr, &screen_number);
  const auto fail = [this] {
    xcb_disconnect(conn_);
    conn_ = nullptr;
    return false;
  };
  if (xcb_connection_has_error(conn_)) return fail();
  // The host program may start other programs; they must not inherit it.
  ::fcntl(xcb_get_file_descriptor(conn_), F_SETFD, FD_CLOEXEC);

  const xcb_query_extension_reply_t* xi = xcb_get_extension_data(conn_, &xcb_input_id);
  if (xi == nullptr || !xi->present) return fail();
  xi_opcode_ = xi->major_opcode;
  Reply<xcb_input_xi_query_version_reply_t> version(
      xcb_input_xi_query_version_reply(conn_, xcb_input_xi_query_version(conn_, 2, 2), nullptr));
  if (!version || version->major_version < 2) return fail();

  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(conn_));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) return fail();
  const xcb_window_t root = screens.data->root;

  Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
      conn_,
      xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(kHookMessageAtom)),
                      kHookMessageAtom),
      nullptr));
  if (!atom) return fail();
  message_atom_ = atom->atom;

  // Raw events come from the master keyboard, once per key whichever
  // keyboard it is on, and whatever window has the focus or a grab.
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{};
  mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
  mask.head.mask_len = 1;
  mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
  // The check waits for the server: the next key after installhook returns
  // is seen.
  xcb_generic_error_t* error =
      xcb_request_check(conn_, xcb_input_xi_select_events_checked(conn_, root, 1, &mask.head));
  if (error != nullptr) {
    std::free(error);
    return fail();
  }
  return !xcb_connection_has_error(conn_) || fail();
}

void KeyWatcher::Loop() {
  for (;;) {
    if (!lost_) ReadEvents();
    pollfd fds[2] = {{wake_read_, POLLIN, 0},
                     {lost_ ? -1 : xcb_get_file_descriptor(conn_), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;  // EINTR; the loop polls again
    if ((fds[0].revents & POLLIN) == 0) continue;

    char sink[64];
    while (::read(wake_read_, sink, sizeof sink) > 0) {
    }
    std::deque<Change> changes;
    {
      std::lock_guard lock(mutex_);
      changes.swap(changes_);
    }
    for (const Change& change : changes) {
      if (change.kind == Change::kStop) return;
      Apply(change);
      {
        std::lock_guard lock(mutex_);
        ++applied_;
      }
      cv_.notify_all();
    }
  }
}

void KeyWatcher::Apply(const Change& change) {
  if (!lost_) {
    RoundTrip();
    // Every key the server produced before the call is now queued. Those keys
    // belong to the state before the change; turning delivery off drops them
    // even when it was on, so that none arrives after enablehook(0) returns.
    const bool deliver = enabled_ && !(change.kind == Change::kEnabled && change.value == 0);
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(conn_)) {
      Handle(event, deliver);
      std::free(event);
    }
    // Whatever the flush queues is read before the next poll.
    xcb_flush(conn_);
  }
  if (change.kind == Change::kWindow) window_ = change.value;
  if (change.kind == Change::kEnabled) enabled_ = change.value != 0;
}

// Sending the reports may have to wait for the server, and XCB reads events
// into its queue meanwhile, where poll cannot see them: so this goes on until
// a flush leaves the queue empty.
void KeyWatcher::ReadEvents() {
  for (;;) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(conn_)) {
      Handle(event, enabled_);
      std::free(event);
    }
    xcb_flush(conn_);
    xcb_generic_event_t* queued = xcb_poll_for_queued_event(conn_);
    if (queued == nullptr) break;
    Handle(queued, enabled_);
    std::free(queued);
  }
  if (xcb_connection_has_error(conn_)) MarkLost();
}

void KeyWatcher::MarkLost() {
  lost_ = true;
  std::lock_guard lock(mutex_);
  broken_ = true;
}

void KeyWatcher::RoundTrip() {
  Reply<xcb_get_input_focus_reply_t> reply(
      xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
  if (!reply || xcb_connection_has_error(conn_)) MarkLost();
}

void KeyWatcher::Handle(const xcb_generic_event_t* event, bool deliver) {
  // Errors (a target window that is gone) and everything else but raw key
  // events are of no interest.
  if ((event->response_type & 0x7F) != XCB_GE_GENERIC) return;
  const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
  if (generic->extension != xi_opcode_) return;
  const bool press = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
  if (!press && generic->event_type != XCB_INPUT_RAW_KEY_RELEASE) return;

  const std::uint32_t keycode =
      reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event)->detail;
  if (keycode >= down_.size()) return;
  const bool repeat = press && down_[keycode];
  down_[keycode] = press;
  if (!deliver || repeat || !IsWindow(window_)) return;

  const std::optional<ReportedKey> key = MapXKeycode(keycode);
  if (!key) return;
  Report(key->code, (press ? 0 : kHookKeyReleased) | (key->extended ? kHookKeyExtended : 0));
}

void KeyWatcher::Report(std::uint8_t code, std::uint32_t flags) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window_;
  message.type = message_atom_;
  message.data.data32[kHookDataMessage] = WM_HOOK_KEY;
  message.data.data32[kHookDataKeyCode] = code;
  message.data.data32[kHookDataFlags] = flags;
  // No event mask: the message goes to the program that created the window.
  xcb_send_event(conn_, 0, window_, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&message));
}

}  // namespace vantix::hook
