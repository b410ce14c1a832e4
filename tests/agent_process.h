// The real agent as a process of a test, with a test endpoint playing the
// main window: shared by the tests that start hid.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"

namespace vantix::test {

// A child process with its own HOME and runtime folder.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                   const std::string& out_path, const std::string& err_path) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  for (const auto& [key, value] : env) ::setenv(key.c_str(), value.c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ::dup2(out, 1);
  ::dup2(err, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

inline int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// How often the process was scheduled so far: its wake-ups.
inline long ContextSwitches(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  long total = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.find("ctxt_switches:") != std::string::npos) total += std::stol(line.substr(line.find(':') + 1));
  }
  return total;
}

// The main window's endpoint, served on a thread; messages queue up.
class MainWindow {
 public:
  explicit MainWindow(const std::string& folder) {
    OpenedEndpoint opened = Endpoint::Open(kMainWindowTitle, folder);
    if (!opened.status.ok()) throw std::runtime_error(opened.status.reason());
    endpoint_ = std::move(opened.endpoint);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{endpoint_->Fd(), POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        endpoint_->Process([this](const WindowMessage& m) {
          std::lock_guard lock(mutex_);
          inbox_.push_back(m);
          cv_.notify_all();
          return std::int64_t{0};
        });
      }
    });
  }
  ~MainWindow() {
    stop_ = true;
    thread_.join();
  }
  // The next message with this number, waiting at most five seconds.
  std::optional<WindowMessage> Next(std::uint32_t message) {
    std::unique_lock lock(mutex_);
    std::optional<WindowMessage> found;
    cv_.wait_for(lock, std::chrono::seconds(5), [&] {
      for (auto it = inbox_.begin(); it != inbox_.end(); ++it) {
        if (it->message == message) {
          found = *it;
          inbox_.erase(it);
          return true;
        }
      }
      return false;
    });
    return found;
  }

  // Every message that came so far, oldest first.
  std::deque<WindowMessage> TakeAll() {
    std::lock_guard lock(mutex_);
    std::deque<WindowMessage> all;
    all.swap(inbox_);
    return all;
  }

 private:
  std::unique_ptr<Endpoint> endpoint_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<WindowMessage> inbox_;
};

}  // namespace vantix::test
