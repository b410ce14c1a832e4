#include "hook/key_watcher.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <bitset>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

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

class KeyWatcher::Core {
 public:
  struct Change {
    enum Kind { kWindow, kEnabled, kStop } kind;
    std::uint32_t value;
  };
  using Clock = std::chrono::steady_clock;

  Core(std::uint32_t window, bool enabled) : window_(window), enabled_(enabled) {}
  ~Core() {
    if (wake_read_ >= 0) ::close(wake_read_);
    if (wake_write_ >= 0) ::close(wake_write_);
  }
  bool OpenWakePipe();

  // The caller's side. Each wait ends by the deadline; the ones that must
  // know the outcome shut the socket down when the server has not answered
  // by then and wait a little more for the thread, which fails at once.
  bool WaitStarted(Clock::time_point deadline);  // false: abandoned
  void Submit(Change change);
  bool WaitFinished();
  bool Broken();

  // The watcher thread.
  void Run();

 private:
  bool Connect();
  void Loop();
  void Apply(const Change& change);
  void ReadEvents();
  void RoundTrip();
  void MarkLost();
  void Handle(const xcb_generic_event_t* event, bool deliver);
  void Report(std::uint8_t code, std::uint32_t flags);
  void Disconnect();
  // Waits for pred, at most kServerWait, then shuts the socket down and
  // waits a little more. True when pred came true.
  template <typename Pred>
  bool WaitOrGiveUp(std::unique_lock<std::mutex>& lock, Pred pred);

  int wake_read_ = -1;
  int wake_write_ = -1;

  std::mutex mutex_;
  std::condition_variable cv_;
  bool started_ = false;         // guarded: Connect has finished
  bool start_ok_ = false;        // guarded
  bool abandoned_ = false;       // guarded: nobody waits for the start any more
  bool finished_ = false;        // guarded: the thread is done with everything
  bool broken_ = false;          // guarded
  int socket_fd_ = -1;           // guarded: the connection's socket while open
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

std::unique_ptr<KeyWatcher> KeyWatcher::Start(std::uint32_t window, bool enabled) {
  auto core = std::make_shared<Core>(window, enabled);
  if (!core->OpenWakePipe()) return nullptr;
  std::unique_ptr<KeyWatcher> watcher(new KeyWatcher(core));

  // The thread takes no signals: they belong to the host program, and a
  // write to a server that went away must fail with EPIPE rather than kill
  // the program with SIGPIPE.
  sigset_t all;
  sigset_t old;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &old);
  try {
    watcher->thread_ = std::thread([core] { core->Run(); });
  } catch (...) {
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return nullptr;
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);

  if (!core->WaitStarted(Core::Clock::now() + kServerWait)) {
    // A server that accepts the connection but never answers: the thread
    // stays blocked in the connection set-up, which cannot be interrupted
    // from here. It ends by itself once the server answers or goes away.
    watcher->thread_.detach();
    return nullptr;
  }
  if (watcher->Broken()) return nullptr;  // the thread has ended: joined here
  return watcher;
}

KeyWatcher::~KeyWatcher() {
  if (!thread_.joinable()) return;
  core_->Submit({Core::Change::kStop, 0});
  if (core_->WaitFinished()) {
    thread_.join();
  } else {
    thread_.detach();  // the thread keeps its core and ends on its own
  }
}

void KeyWatcher::SetWindow(std::uint32_t window) { core_->Submit({Core::Change::kWindow, window}); }

void KeyWatcher::SetEnabled(bool enabled) {
  core_->Submit({Core::Change::kEnabled, enabled ? 1u : 0u});
}

bool KeyWatcher::Broken() { return core_->Broken(); }

bool KeyWatcher::Core::OpenWakePipe() {
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  wake_read_ = wake[0];
  wake_write_ = wake[1];
  return true;
}

bool KeyWatcher::Core::WaitStarted(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  const auto started = [&] { return started_; };
  if (cv_.wait_until(lock, deadline, started)) return true;
  // Past the set-up the socket is known, and shutting it down ends the wait.
  if (socket_fd_ >= 0) {
    ::shutdown(socket_fd_, SHUT_RDWR);
    if (cv_.wait_for(lock, kServerWait / 4, started)) return true;
  }
  abandoned_ = true;
  return false;
}

template <typename Pred>
bool KeyWatcher::Core::WaitOrGiveUp(std::unique_lock<std::mutex>& lock, Pred pred) {
  if (cv_.wait_for(lock, kServerWait, pred)) return true;
  // Under the lock: the thread closes the socket only under it, so the
  // descriptor cannot meanwhile belong to another file.
  if (socket_fd_ >= 0) ::shutdown(socket_fd_, SHUT_RDWR);
  return cv_.wait_for(lock, kServerWait / 4, pred);
}

bool KeyWatcher::Core::Broken() {
  std::lock_guard lock(mutex_);
  return broken_ || !start_ok_;
}

void KeyWatcher::Core::Submit(Change change) {
  std::unique_lock lock(mutex_);
  changes_.push_back(change);
  const std::uint64_t ticket = ++submitted_;
  // One byte wakes the thread; a full pipe already holds one.
  const char byte = 1;
  while (::write(wake_write_, &byte, 1) < 0 && errno == EINTR) {
  }
  if (change.kind == Change::kStop) return;  // the caller waits for the end instead
  WaitOrGiveUp(lock, [&] { return applied_ >= ticket || finished_; });
}

bool KeyWatcher::Core::WaitFinished() {
  std::unique_lock lock(mutex_);
  return WaitOrGiveUp(lock, [&] { return finished_; });
}

void KeyWatcher::Core::Run() {
  const bool ok = Connect();
  bool abandoned = false;
  {
    std::lock_guard lock(mutex_);
    started_ = true;
    start_ok_ = ok;
    abandoned = abandoned_;
  }
  cv_.notify_all();
  if (ok && !abandoned) Loop();
  Disconnect();
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  cv_.notify_all();
}

void KeyWatcher::Core::Disconnect() {
  if (conn_ == nullptr) return;
  {
    std::lock_guard lock(mutex_);
    socket_fd_ = -1;
  }
  xcb_disconnect(conn_);
  conn_ = nullptr;
}

bool KeyWatcher::Core::Connect() {
  int screen_number = 0;
  conn_ = xcb_connect(nullptr, &screen_number);
  const auto fail = [this] {
    Disconnect();
    return false;
  };
  if (xcb_connection_has_error(conn_)) return fail();
  // The host program may start other programs; they must not inherit it.
  ::fcntl(xcb_get_file_descriptor(conn_), F_SETFD, FD_CLOEXEC);
  {
    std::lock_guard lock(mutex_);
    socket_fd_ = xcb_get_file_descriptor(conn_);
  }

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

void KeyWatcher::Core::Loop() {
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

void KeyWatcher::Core::Apply(const Change& change) {
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
void KeyWatcher::Core::ReadEvents() {
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

void KeyWatcher::Core::MarkLost() {
  lost_ = true;
  std::lock_guard lock(mutex_);
  broken_ = true;
}

void KeyWatcher::Core::RoundTrip() {
  Reply<xcb_get_input_focus_reply_t> reply(
      xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr));
  if (!reply || xcb_connection_has_error(conn_)) MarkLost();
}

void KeyWatcher::Core::Handle(const xcb_generic_event_t* event, bool deliver) {
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

void KeyWatcher::Core::Report(std::uint8_t code, std::uint32_t flags) {
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
