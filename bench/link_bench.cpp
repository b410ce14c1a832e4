// The agent link's costs: one sent message's round trip, and a whole Apply
// from saving the profiles to the agent's "apply done" event.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"

namespace {

using namespace vantix;

std::string TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vantix-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

// An endpoint on its own thread that counts what arrives.
class Window {
 public:
  Window(const std::string& folder, std::string_view title) {
    endpoint_ = Endpoint::Open(title, folder).endpoint;
    if (!endpoint_) std::abort();
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{endpoint_->Fd(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        endpoint_->Process([this](const WindowMessage& m) {
          if (m.message == WM_AGENT_EVENT && m.wparam == kEventApplyDone) {
            std::lock_guard lock(mutex_);
            ++applied_;
            cv_.notify_all();
          }
          return m.wparam;
        });
      }
    });
  }
  ~Window() {
    stop_ = true;
    thread_.join();
  }
  void WaitApplied(long count) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return applied_ >= count; });
  }

 private:
  std::unique_ptr<Endpoint> endpoint_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable cv_;
  long applied_ = 0;
};

void BM_SentMessageRoundTrip(benchmark::State& state) {
  const std::string root = TempFolder();
  const std::string folder = root + "/run";
  Window window(folder, "Bench");
  const MessageBus bus(folder);
  for (auto _ : state) {
    const SendOutcome outcome = bus.SendMessage("Bench", 1, 2, 3);
    if (outcome.state != SendOutcome::State::kAnswered) state.SkipWithError("no answer");
  }
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_SentMessageRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_ApplyUntilApplyDone(benchmark::State& state) {
  const std::string root = TempFolder();
  const std::string runtime = root + "/run";
  ::mkdir(runtime.c_str(), 0700);
  const std::string folder = runtime + "/corvane-gaming-mouse";
  const std::string data = root + "/Documents/Corvane II Gaming Mouse/";
  Window window(folder, kMainWindowTitle);

  const pid_t agent = ::fork();
  if (agent == 0) {
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    ::execl(HID_PATH, HID_PATH, nullptr);
    ::_exit(127);
  }
  const MessageBus bus(folder);
  while (!bus.FindWindow(kAgentWindowTitle)) std::this_thread::sleep_for(std::chrono::milliseconds(5));

  SettingsBlock init;
  InitSettings(init);
  SettingsBlock live;
  ValidateSettings(init, live);
  const ProfileStore store(data, live, vantix::SystemFileIo());
  BusAgentChannel channel(bus);
  long applies = 0;
  for (auto _ : state) {
    live.Profiles[0].DPI = static_cast<std::int32_t>(applies % 6);  // a real change every time
    const ApplyOutcome outcome = ApplyProfiles(store, channel);
    if (!outcome.saved.ok() || outcome.notified.state != SendOutcome::State::kAnswered) {
      state.SkipWithError("apply failed");
      break;
    }
    window.WaitApplied(++applies);
  }
  ::kill(agent, SIGTERM);
  ::waitpid(agent, nullptr, 0);
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_ApplyUntilApplyDone)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
