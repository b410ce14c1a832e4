// KBHook.so: reports every key press and release of the whole keyboard to one
// window of the program, as client messages (hook_protocol.h).
//
// The five exports may be called in any order, repeatedly and from any
// thread; each is in effect when it returns. Without an X display, or with a
// server that lacks XInput 2, they do nothing, as if the library were missing.
#include <cstdint>
#include <memory>
#include <mutex>

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

// Destroyed when the library is unloaded or the program exits, which stops
// the watcher before its code goes away.
Hook& State() {
  static Hook hook;
  return hook;
}

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
