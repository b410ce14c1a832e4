// KBHook.so: reports every key press and release of the whole keyboard to one
// window of the program, as client messages (hook_protocol.h).
//
// The five exports may be called in any order, repeatedly and from any
// thread; each is in effect when it returns. Without an X display, or with a
// server that lacks XInput 2, they do nothing, as if the library were missing.
// None waits for the X server longer than about a second: a server that does
// not answer counts as gone (key_watcher.h).
#include <pthread.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <tuple>

#include "hook/key_watcher.h"

#define KBHOOK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Hook {
  std::mutex mutex;  // one export at a time
  std::unique_ptr<vantix::hook::KeyWatcher> watcher;
  // Kept apart from the watcher: enablehook before installhook, or across
  // removehook, still decides whether the next watcher delivers.
  bool enabled = false;
};

// The state of this process. A forked child has none of the parent's
// threads: it starts afresh, leaving the parent's watcher (whose thread
// exists only there) and lock (which another thread may have held at the
// fork) untouched, so that nothing in the child waits for them.
class States {
 public:
  States() { ::pthread_atfork(nullptr, nullptr, &States::InChild); }
  // When the library is unloaded or the program exits: stops the watcher
  // before its code goes away.
  ~States() { delete current_.load(); }
  States(const States&) = delete;
  States& operator=(const States&) = delete;

  Hook& Current() { return *current_.load(); }

 private:
  static void InChild();

  std::atomic<Hook*> current_{new Hook};
};

States& Instance() {
  static States states;
  return states;
}

void States::InChild() {
  States& states = Instance();
  Hook* parent = states.current_.load();
  auto* fresh = new Hook;
  fresh->enabled = parent->enabled;
  // Never destroyed in the child: its destructor would wait for a thread that
  // is not there. The parent's Hook itself is left as it is (a small leak).
  std::ignore = parent->watcher.release();
  states.current_.store(fresh);
}

Hook& State() { return Instance().Current(); }

// Nothing may leave an export as an exception: the caller is C.
template <typename F>
void Locked(F&& f) noexcept {
  try {
    Hook& hook = State();
    std::lock_guard lock(hook.mutex);
    f(hook);
  } catch (...) {
  }
}

}  // namespace

KBHOOK_EXPORT void installhook(std::uint32_t window) {
  Locked([window](Hook& hook) {
    // A watcher whose server went away is replaced, so that a restarted
    // server is watched again.
    if (hook.watcher && hook.watcher->Broken()) hook.watcher.reset();
    if (hook.watcher) {
      hook.watcher->SetWindow(window);
    } else {
      hook.watcher = vantix::hook::KeyWatcher::Start(window, hook.enabled);
    }
  });
}

KBHOOK_EXPORT void enablehook(std::int32_t on) {
  Locked([on](Hook& hook) {
    hook.enabled = on != 0;
    if (hook.watcher) hook.watcher->SetEnabled(hook.enabled);
  });
}

KBHOOK_EXPORT void removehook(void) {
  Locked([](Hook& hook) { hook.watcher.reset(); });
}

// The program looks these up but never calls them; there is no mouse hook.
KBHOOK_EXPORT void installmousehook(void) {}

KBHOOK_EXPORT void removemousehook(void) {}
