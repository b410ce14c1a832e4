// hid: the device agent. Owns the endpoint "Corvane_II_GamingMouse_HID",
// applies the files the utility writes to the mouse and reports device-side
// changes to the main window. One line on stderr per message handled.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "agent/device_agent.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/folders.h"

namespace {

void Log(const std::string& line) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char stamp[40];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
  std::fprintf(stderr, "%s.%03d hid: %s\n", stamp, static_cast<int>(ms), line.c_str());
  std::fflush(stderr);
}

void MakeFolder(const std::string& path) {
  std::string partial;
  for (std::size_t i = 0; i < path.size(); ++i) {
    partial += path[i];
    if ((path[i] == '/' && i > 0) || i + 1 == path.size()) ::mkdir(partial.c_str(), 0777);
  }
}

// Why the instance lock could not be taken, other than another copy holding
// it: empty when the lock file is a regular file (held by that copy).
std::string LockFileProblem(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    return "cannot open the lock file " + path + ": " + std::strerror(errno);
  }
  if (S_ISLNK(st.st_mode)) return "the lock file " + path + " is a symbolic link";
  if (S_ISDIR(st.st_mode)) return "the lock file " + path + " is a folder";
  if (!S_ISREG(st.st_mode)) return "the lock file " + path + " is not a regular file";
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return "cannot open the lock file " + path + ": " + std::strerror(errno);
  ::close(fd);
  return {};
}

}  // namespace

int main() {
  const vantix::Folders folders = vantix::ResolveFolders();
  // The agent owns the "Device" section of the macro index, so it makes the
  // folders that index lives in.
  MakeFolder(folders.DataFolder);
  MakeFolder(folders.DataFolder + "MacroDB/");

  const std::string endpoint_folder = vantix::DefaultEndpointFolder();
  if (const vantix::Status status = vantix::PrepareEndpointFolder(endpoint_folder); !status.ok()) {
    Log("refusing to start: " + status.reason());
    return 1;
  }
  const auto lock = vantix::InstanceLock::Acquire(endpoint_folder, vantix::kAgentLockName);
  if (!lock) {
    // Only a lock file held by a running copy means "already running"; any
    // other failure would leave the mouse without an agent, silently.
    const std::string path =
        endpoint_folder + "/" + std::string(vantix::kAgentLockName) + ".lock";
    if (const std::string problem = LockFileProblem(path); !problem.empty()) {
      Log("refusing to start: " + problem);
      return 1;
    }
    return 0;  // another copy runs
  }

  vantix::Status error;
  const auto endpoint = vantix::Endpoint::Open(vantix::kAgentWindowTitle, endpoint_folder, error);
  if (!endpoint) {
    Log("cannot own the endpoint: " + error.reason());
    return 1;
  }

  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signal_fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
  ::signal(SIGPIPE, SIG_IGN);

  const vantix::MessageBus bus(endpoint_folder);
  vantix::agent::SimulatedMouse mouse;
  vantix::agent::DeviceAgent agent(
      folders.DataFolder, mouse,
      [&bus](std::uint32_t message, std::int64_t w, std::int64_t l) {
        bus.PostMessage(vantix::kMainWindowTitle, message, w, l);
      },
      Log);
  Log("running; data folder " + folders.DataFolder);
  agent.Start();

  const auto handler = [&agent](const vantix::WindowMessage& m) { return agent.Handle(m); };
  for (;;) {
    pollfd fds[2] = {{endpoint->Fd(), POLLIN, 0}, {signal_fd, POLLIN, 0}};
    if (::poll(fds, signal_fd >= 0 ? 2 : 1, -1) < 0) continue;
    if (signal_fd >= 0 && (fds[1].revents & POLLIN) != 0) break;
    endpoint->Process(handler);
    agent.Flush();
  }
  agent.Stop();
  Log("stopped");
  return 0;
}
