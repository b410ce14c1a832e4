// KBHook.so end to end: a real X server (Xvfb), a plain window as the
// receiver, keys typed on the XTest keyboard. Reports arrive asynchronously,
// so the tests wait for what must come, and prove that nothing else comes by
// the order of the reports: the library reports keys in the order the server
// produced them, so anything stray would arrive before a key typed later.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "assign/key_names.h"
#include "hook/hook_link.h"
#include "hook/key_map.h"
#include "tests/hook/x_display.h"

// Set in a forked child of a test. The child inherits the parent's memory
// but not its threads, so what only those threads still point at looks lost
// to the leak checker at the child's exit; the parent is checked as usual.
static bool in_forked_child = false;
extern "C" int __lsan_is_turned_off() { return in_forked_child ? 1 : 0; }

namespace vantix {
namespace {

using test::FdCount;
using test::Received;
using test::ThreadCount;
using test::XClient;
using test::Xvfb;

// evdev codes of a few keys.
constexpr std::uint32_t kA = 30, kB = 48, kC = 46, kD = 32, kEnter = 28;

struct HookApi {
  void (*installhook)(std::uint32_t) = nullptr;
  void (*enablehook)(std::int32_t) = nullptr;
  void (*removehook)() = nullptr;
  void (*installmousehook)() = nullptr;
  void (*removemousehook)() = nullptr;
};

// The library stays loaded, as in the program.
HookApi LoadHook() {
  HookApi api;
  void* module = ::dlopen(KBHOOK_PATH, RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return api;
  api.installhook = reinterpret_cast<void (*)(std::uint32_t)>(::dlsym(module, "installhook"));
  api.enablehook = reinterpret_cast<void (*)(std::int32_t)>(::dlsym(module, "enablehook"));
  api.removehook = reinterpret_cast<void (*)()>(::dlsym(module, "removehook"));
  api.installmousehook = reinterpret_cast<void (*)()>(::dlsym(module, "installmousehook"));
  api.removemousehook = reinterpret_cast<void (*)()>(::dlsym(module, "removemousehook"));
  return api;
}

std::string Describe(std::int64_t code, std::int64_t flags) {
  std::ostringstream out;
  out << code << " " << KeyName(static_cast<KeyCode>(code), KeyLanguage::kEnglish)
      << ((flags & 0x80) != 0 ? " up" : " down") << ((flags & 0x01) != 0 ? " E0" : "");
  if ((flags & ~0x81) != 0) out << " flags " << flags;
  return out.str();
}

// The reports as text, marked when they went to another window.
std::vector<std::string> Describe(const std::vector<Received>& received, xcb_window_t window) {
  std::vector<std::string> out;
  for (const Received& r : received) {
    out.push_back(Describe(r.message.wparam, r.message.lparam) +
                  (r.window == window ? "" : " to another window"));
  }
  return out;
}

// The reports of one tap of an evdev key.
std::vector<std::string> TapReports(std::uint32_t evdev) {
  const auto key = hook::MapEvdevKey(evdev);
  const int e0 = key->extended ? 1 : 0;
  return {Describe(key->code, e0), Describe(key->code, 0x80 | e0)};
}

// gtest shows only the start of a long vector: say where the two part.
testing::AssertionResult SameReports(const std::vector<std::string>& got,
                                     const std::vector<std::string>& expected) {
  std::size_t i = 0;
  while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
  if (i == got.size() && i == expected.size()) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << expected.size() << " reports expected, " << got.size() << " came; report " << i
         << " should be " << (i < expected.size() ? expected[i] : "none") << " but is "
         << (i < got.size() ? got[i] : "none");
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

class HookLibrary : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.error().empty()) << xvfb_.error();
    ::setenv("DISPLAY", xvfb_.display().c_str(), 1);
    client_ = std::make_unique<XClient>(xvfb_.display());
    ASSERT_TRUE(client_->ok()) << "cannot connect to Xvfb on " << xvfb_.display();
    hook_ = LoadHook();
    ASSERT_NE(hook_.removehook, nullptr) << ::dlerror();
    threads_ = ThreadCount();
    fds_ = FdCount();
  }
  void TearDown() override {
    if (hook_.removehook != nullptr) hook_.removehook();
  }
  // One tap of the key reaches the window, and nothing else does.
  void ExpectTapReported(xcb_window_t window, std::uint32_t evdev) {
    client_->Tap(evdev);
    client_->Sync();
    EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(evdev)));
  }

  Xvfb xvfb_;
  std::unique_ptr<XClient> client_;
  HookApi hook_;
  int threads_ = 0;  // before the hook was installed
  int fds_ = 0;
};

TEST_F(HookLibrary, ReportsEveryMappedKeyInOrder) {
  // Through the program's own link, as a capturing dialog does it.
  HookLink link;
  LoadHookLink(link, std::filesystem::path(KBHOOK_PATH).parent_path().string() + "/");
  const xcb_window_t window = client_->CreateWindow();
  link.InstallHook(window);
  link.EnableHook(true);

  std::vector<std::string> expected;
  client_->Tap(86);  // the ISO key beside left Shift: no KeyCode
  for (const hook::MappedKey& key : hook::kKeyMap) {
    client_->Tap(key.evdev);
    Append(expected, TapReports(key.evdev));
    if (key.evdev == 43) {
      // Keypad =, F13, an unused code: not reported.
      for (std::uint32_t unmapped : {117u, 183u, 84u}) client_->Tap(unmapped);
    }
  }
  // A held key is one press and one release, however often it is pressed.
  client_->Press(kA);
  client_->Press(kA);
  client_->Press(kA);
  client_->Release(kA);
  Append(expected, TapReports(kA));
  client_->Sync();

  EXPECT_TRUE(SameReports(Describe(client_->Wait(expected.size()), window), expected));
  EXPECT_EQ(client_->foreign(), 0);
  link.EnableHook(false);
  link.RemoveHook();
}

TEST_F(HookLibrary, NoKeyFromBeforeOrWhileOffArrivesLater) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.installhook(window);  // delivery is off until enabled
  client_->Tap(kA);
  client_->Sync();
  hook_.enablehook(1);

  // Many keys, so that delivery often goes off while the library still has
  // some of them to report.
  std::vector<std::string> typed;
  for (int round = 0; round < 100; ++round) {
    for (std::uint32_t evdev = 16; evdev <= 25; ++evdev) {
      client_->Tap(evdev);
      Append(typed, TapReports(evdev));
    }
  }
  client_->Sync();  // the server has produced them all
  hook_.enablehook(0);
  // What the library sent before enablehook(0) returned is here now.
  const std::vector<std::string> before = Describe(client_->TakeQueued(), window);
  ASSERT_LE(before.size(), typed.size());
  EXPECT_TRUE(
      SameReports(before, std::vector<std::string>(typed.begin(), typed.begin() + before.size())));
  RecordProperty("reported_before_disable", static_cast<int>(before.size()));

  // Keys typed while off are dropped, and so is the rest of the keys typed
  // before: turning delivery on again brings back none of them.
  client_->Tap(kB);
  client_->Sync();
  hook_.enablehook(0);  // repeated: no change
  hook_.enablehook(1);
  client_->Tap(kEnter);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kEnter)));
}

TEST_F(HookLibrary, SecondInstallOnlyMovesDelivery) {
  const xcb_window_t first = client_->CreateWindow();
  const xcb_window_t second = client_->CreateWindow();
  hook_.installhook(first);
  hook_.enablehook(1);
  client_->Tap(kA);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), first), TapReports(kA)));

  hook_.installhook(second);  // delivery stays on
  client_->Tap(kB);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), second), TapReports(kB)));

  // A target window that is gone gets nothing and breaks nothing.
  client_->DestroyWindow(second);
  client_->Tap(kC);
  client_->Sync();
  hook_.installhook(first);
  client_->Tap(kD);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), first), TapReports(kD)));
  EXPECT_EQ(ThreadCount(), threads_ + 1) << "one watcher, however often installed";
}

TEST_F(HookLibrary, NoKeyGoesToTheWindowUnderThePointerOrWithTheFocus) {
  // To SendEvent, windows 0 and 1 mean "under the pointer" and "focused".
  const xcb_window_t window = client_->CreateWindow(/*mapped=*/true);
  client_->FocusAndPoint(window);
  hook_.enablehook(1);
  for (std::uint32_t pseudo : {0u, 1u}) {
    hook_.installhook(pseudo);
    client_->Tap(kA);
    client_->Sync();
  }
  hook_.installhook(window);
  client_->Tap(kB);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kB)));
}

TEST_F(HookLibrary, RemoveEndsTheWatcherAndItsConnection) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.installhook(window);
  hook_.enablehook(1);
  EXPECT_EQ(ThreadCount(), threads_ + 1);
  client_->Tap(kA);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kA)));

  hook_.removehook();
  EXPECT_EQ(ThreadCount(), threads_);
  EXPECT_EQ(FdCount(), fds_);
  client_->Tap(kB);
  EXPECT_TRUE(client_->TakeQueued().empty());
  hook_.removehook();  // again: nothing to do

  // Installed again, it watches again; enablehook's state was kept.
  hook_.installhook(window);
  client_->Tap(kC);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kC)));
}

TEST_F(HookLibrary, CallsInAnyOrderAreSafe) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.removehook();
  hook_.removehook();
  hook_.installmousehook();
  hook_.removemousehook();
  hook_.enablehook(0);
  hook_.enablehook(1);  // before installhook: in effect once installed
  EXPECT_EQ(ThreadCount(), threads_);
  hook_.installhook(window);
  client_->Tap(kA);
  client_->Sync();
  // Enabling again while on loses no key the server has already produced.
  hook_.enablehook(1);
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kA)));
  hook_.installmousehook();
  hook_.removemousehook();

  // All five at once from several threads while keys are typed.
  std::vector<std::thread> callers;
  for (int t = 0; t < 4; ++t) {
    callers.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        switch ((i + t) % 5) {
          case 0:
            hook_.installhook(window);
            break;
          case 1:
            hook_.enablehook(i % 3 != 0);
            break;
          case 2:
            hook_.removehook();
            break;
          case 3:
            hook_.installmousehook();
            break;
          default:
            hook_.removemousehook();
            break;
        }
      }
    });
  }
  for (std::uint32_t i = 0; i < 50; ++i) client_->Tap(16 + i % 10);  // Q..P
  client_->Sync();
  for (std::thread& caller : callers) caller.join();

  // Whatever came in between went to the window, as whole reports; the
  // library still works afterwards.
  hook_.installhook(window);
  hook_.enablehook(1);
  client_->Tap(kEnter);
  client_->Sync();
  // Keys typed in between may come first, but Enter comes last.
  std::vector<Received> got;
  const auto ends_with_enter = [&] {
    return got.size() >= 2 && Describe({got.end() - 2, got.end()}, window) == TapReports(kEnter);
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!ends_with_enter() && std::chrono::steady_clock::now() < deadline) {
    for (const Received& r : client_->Wait(1, std::chrono::milliseconds(100))) got.push_back(r);
  }
  EXPECT_TRUE(ends_with_enter());
  for (const Received& r : got) EXPECT_EQ(r.window, window);
  EXPECT_EQ(client_->foreign(), 0);
  hook_.removehook();
  EXPECT_EQ(ThreadCount(), threads_);
}

TEST_F(HookLibrary, ServerGoingAwayIsSurvived) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.installhook(window);
  hook_.enablehook(1);
  client_->Tap(kA);
  client_->Sync();
  EXPECT_TRUE(SameReports(Describe(client_->Wait(2), window), TapReports(kA)));

  xvfb_.Kill();
  // Every call returns; a new installhook finds no server and does nothing.
  hook_.enablehook(0);
  hook_.enablehook(1);
  hook_.installhook(window);
  hook_.installhook(window);
  hook_.removehook();
  EXPECT_EQ(ThreadCount(), threads_);
  hook_.removehook();
}

// How long any call may take, whatever the server does.
constexpr auto kCallLimit = std::chrono::seconds(2);

TEST_F(HookLibrary, EveryCallReturnsInTimeWhileTheServerIsFrozen) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.installhook(window);
  hook_.enablehook(1);
  ExpectTapReported(window, kA);

  // Each call on a thread of its own: one that blocks is reported, and the
  // server is let go so that the test ends.
  const auto timed = [&](const char* what, const std::function<void()>& call) {
    std::promise<void> done;
    std::future<void> returned = done.get_future();
    const auto start = std::chrono::steady_clock::now();
    std::thread caller([&] {
      call();
      done.set_value();
    });
    if (returned.wait_for(kCallLimit + std::chrono::seconds(3)) != std::future_status::ready) {
      xvfb_.Continue();
    }
    caller.join();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, kCallLimit) << what << " took "
                                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                                << " ms";
  };
  xvfb_.Stop();
  // On a watcher that was connected, then on one started while frozen.
  timed("enablehook(0)", [&] { hook_.enablehook(0); });
  timed("enablehook(1)", [&] { hook_.enablehook(1); });
  timed("installhook", [&] { hook_.installhook(window); });
  timed("removehook", [&] { hook_.removehook(); });
  timed("installhook on a frozen server", [&] { hook_.installhook(window); });
  timed("enablehook(0) after it", [&] { hook_.enablehook(0); });
  timed("removehook after it", [&] { hook_.removehook(); });
  xvfb_.Continue();

  // The server is back: the next installhook watches again, and whatever
  // was left waiting on the frozen server ends.
  hook_.installhook(window);
  hook_.enablehook(1);
  ExpectTapReported(window, kB);
  hook_.removehook();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ThreadCount() != threads_ && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(ThreadCount(), threads_);
}

TEST_F(HookLibrary, AForkedChildCallsWithoutWaitingForTheParentsWatcher) {
  const xcb_window_t window = client_->CreateWindow();
  hook_.installhook(window);
  hook_.enablehook(1);

  const pid_t child = ::fork();
  if (child == 0) {
    in_forked_child = true;
    // The child has none of the parent's threads. Exit status: the number of
    // the first call that was slow.
    int call = 0;
    for (const auto& step : std::vector<std::function<void()>>{
             [&] { hook_.enablehook(0); }, [&] { hook_.enablehook(1); },
             [&] { hook_.installhook(window); }, [&] { hook_.removehook(); }}) {
      ++call;
      const auto start = std::chrono::steady_clock::now();
      step();
      if (std::chrono::steady_clock::now() - start >= kCallLimit) ::_exit(call);
    }
    std::exit(0);  // with the library's own clean-up at exit
  }
  ASSERT_GT(child, 0);
  int status = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (::waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
      FAIL() << "the child blocked in the hook library";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "call " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1) << " of the child was slow";

  ExpectTapReported(window, kC);  // the parent's watcher is unharmed
}

TEST(HookLibraryWithoutDisplay, LoadsAndDoesNothing) {
  const HookApi hook = LoadHook();
  ASSERT_NE(hook.installhook, nullptr) << ::dlerror();
  const int threads = ThreadCount();
  const int fds = FdCount();
  // No DISPLAY at all, then one where no server listens.
  for (const char* display : {static_cast<const char*>(nullptr), ":4242"}) {
    if (display == nullptr) {
      ::unsetenv("DISPLAY");
    } else {
      ::setenv("DISPLAY", display, 1);
    }
    hook.removehook();
    hook.enablehook(1);
    hook.installhook(0x200001);
    hook.enablehook(0);
    hook.installhook(0x200002);
    hook.installmousehook();
    hook.removemousehook();
    hook.removehook();
    hook.removehook();
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_EQ(FdCount(), fds);
  }
}

}  // namespace
}  // namespace vantix
