// hid: the device agent. Owns the endpoint "Corvane_II_GamingMouse_HID",
// applies the files the utility writes to the mouse and reports device-side
// changes to the main window. One line on stderr per message handled.
//
//   hid [--backend=kernel|simulated]
//
// The kernel backend serves a real mouse; without the option it runs when
// the machine has uinput at all, else the simulated mouse does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "agent/agent_start.h"
#include "agent/device_agent.h"
#include "agent/focus_source.h"
#include "agent/kernel_mouse.h"
#include "agent/poll_loop.h"
#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/folders.h"
#include "settings/macro_model.h"

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

enum class Backend { kKernel, kSimulated };

constexpr const char* kUsage = "usage: hid [--backend=kernel|simulated]\n       hid --version\n";

// Without a choice: the kernel backend where uinput exists. A node we may not
// open still means a real machine, where the kernel backend says why it
// serves nothing instead of a simulated mouse pretending to be connected.
Backend DefaultBackend() {
  const int fd = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return Backend::kKernel;
  }
  return errno == EACCES || errno == EPERM ? Backend::kKernel : Backend::kSimulated;
}

// Serves until a signal, vantixctl agent stop or a fault ends it; returns the
// reason of a fault (empty otherwise). After each round the agent's state is
// published and its pending work done.
std::string Serve(int signal_fd, vantix::Endpoint& endpoint, vantix::agent::KernelMouse* kernel,
                  vantix::agent::FocusSources& focus, vantix::agent::DeviceAgent& agent,
                  const std::function<void()>& publish) {
  // A sender that waits for the answer (vantixctl agent device use) finds the
  // new state once it has it.
  const auto handler = [&agent, &publish](const vantix::WindowMessage& m) {
    const std::int64_t result = agent.Handle(m);
    publish();
    return result;
  };
  vantix::agent::PollLoop loop;
  // Whether a round did more than map the mouse's events: only then may what
  // the agent publishes have changed, so plain motion builds no state.
  bool unsettled = true;
  loop.Watch(signal_fd, [&loop](short) { loop.Stop(); });
  // The mouse before the endpoint: its events are the ones someone waits for.
  if (kernel) {
    loop.Add([kernel](std::vector<pollfd>& fds) { kernel->AppendPollFds(fds); },
             [kernel, &unsettled](std::span<const pollfd> fds) {
               const int source = kernel->SourceFd();
               for (const pollfd& p : fds) {
                 if (p.revents != 0 && p.fd != source) unsettled = true;
               }
               kernel->Dispatch(fds);
             },
             [kernel] { return kernel->DescriptorGeneration(); });
  }
  // A focus source that stopped working has no descriptor left to wait on;
  // started again, it may have another under the same number.
  for (std::size_t i = 0; i < focus.Count(); ++i) {
    loop.Add(
        [&focus, i](std::vector<pollfd>& fds) {
          if (focus.Fd(i) >= 0) fds.push_back({focus.Fd(i), POLLIN, 0});
        },
        [&focus, i, &unsettled](std::span<const pollfd>) {
          focus.Dispatch(i);
          unsettled = true;
        },
        [&focus, i] { return focus.Generation(i); });
  }
  loop.Watch(focus.TimerFd(), [&focus, &unsettled](short) {
    focus.Retry();
    unsettled = true;
  });
  loop.Watch(endpoint.Fd(), [&](short revents) {
    if ((revents & POLLIN) != 0) {
      endpoint.Process(handler);
    } else {
      // An error without anything to read would wake the loop for ever.
      loop.Stop("the endpoint failed");
    }
  });
  loop.AfterEach([&] {
    const bool changed = agent.TakeChange();
    if (std::exchange(unsettled, false) || changed) publish();
    agent.Flush();
    if (agent.StopRequested()) loop.Stop();
  });
  return loop.Run();
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Backend> backend;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::fputs("hid " VANTIX_VERSION "\n", stdout);
      return 0;
    }
    if (arg == "--backend=kernel") {
      backend = Backend::kKernel;
    } else if (arg == "--backend=simulated") {
      backend = Backend::kSimulated;
    } else {
      std::fprintf(stderr, "hid: unknown option %s\n%s", arg.c_str(), kUsage);
      return 2;
    }
  }

  const vantix::Folders folders = vantix::ResolveFolders();
  // No window to keep responsive: the agent waits patiently for other writers.
  vantix::FileIo& io = vantix::SystemFileIo();
  // The agent owns the "Device" section of the macro index, so it makes the
  // folders that index lives in.
  MakeFolder(folders.DataFolder);
  MakeFolder(folders.DataFolder + std::string(vantix::kMacroFolderName));

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
    Log(vantix::agent::AnotherAgentRuns(endpoint_folder));
    return 0;
  }

  const vantix::OpenedEndpoint opened =
      vantix::Endpoint::Open(vantix::kAgentWindowTitle, endpoint_folder);
  if (!opened.status.ok()) {
    Log("cannot own the endpoint: " + opened.status.reason());
    return 1;
  }
  const auto& endpoint = opened.endpoint;

  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signal_fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
  if (signal_fd < 0) {
    // Blocked signals and nowhere to read them: the agent could not be
    // stopped, and would leave whatever it holds pressed when killed.
    Log(std::string("refusing to start: cannot receive signals: ") + std::strerror(errno));
    return 1;
  }
  ::signal(SIGPIPE, SIG_IGN);

  const vantix::MessageBus bus(endpoint_folder);
  const std::optional<std::string> config_path = vantix::AgentConfigPath();
  const vantix::AgentConfig config =
      config_path ? vantix::ReadAgentConfig(*config_path, io) : vantix::AgentConfig{};
  // The environment stands in for the option where the agent is started by
  // another program (the window's tests on a machine with uinput).
  if (const char* chosen = std::getenv("VANTIX_AGENT_BACKEND"); !backend && chosen != nullptr) {
    if (std::string_view(chosen) == "kernel") backend = Backend::kKernel;
    if (std::string_view(chosen) == "simulated") backend = Backend::kSimulated;
  }
  if (!backend) backend = DefaultBackend();
  Log(std::string("running with the ") + (*backend == Backend::kKernel ? "kernel" : "simulated") +
      " backend; data folder " + folders.DataFolder);

  vantix::agent::SimulatedMouse simulated = vantix::agent::MakeSimulatedMouse(config, Log);
  std::unique_ptr<vantix::agent::KernelMouse> kernel;
  if (*backend == Backend::kKernel) kernel = std::make_unique<vantix::agent::KernelMouse>(config, Log);
  vantix::agent::MouseBackend& mouse =
      kernel ? static_cast<vantix::agent::MouseBackend&>(*kernel) : simulated;
  vantix::agent::DeviceAgent agent(
      folders.DataFolder, io, mouse,
      [&bus](std::uint32_t message, std::int64_t w, std::int64_t l) {
        bus.PostMessage(vantix::kMainWindowTitle, message, w, l);
      },
      Log, config_path, kernel ? nullptr : &simulated);

  // What vantixctl agent status and device list show: the device served or
  // why there is none.
  const std::string state_path = vantix::AgentStatePath(endpoint_folder);
  std::optional<vantix::AgentState> published;
  // Set once the focus sources run: tells the agent which of them work.
  std::function<void()> describe_focus_sources = [] {};
  const auto publish = [&] {
    vantix::AgentState state = agent.State();
    describe_focus_sources();
    agent.DescribeFocus(state);
    if (published == state) return;
    if (const vantix::Status status = vantix::WriteAgentState(state_path, state, io); !status.ok()) {
      Log("cannot publish the agent's state: " + status.reason());
    }
    // The window reads it again when told, within the same turn of our loop.
    if (published) bus.PostMessage(vantix::kMainWindowTitle, vantix::WM_AGENT_STATE, 0, 0);
    published = state;
  };
  // Published before anything is announced, so that whoever hears the
  // announcement finds the state that goes with it.
  publish();
  agent.SetListening(bus.FindWindow(vantix::kMainWindowTitle));
  agent.Start();
  // The program in front picks the profile where a rule names it.
  vantix::agent::FocusSources focus(
      vantix::agent::FocusSources::OfTheSession(),
      [&agent](const vantix::agent::FocusedProgram& program) { agent.FocusChanged(program); });
  // Which sources work, and why the others do not; a source may start or
  // stop working (a desktop's first call, a lost connection).
  const auto describe_focus = [&focus, &agent] {
    const std::string names = focus.Working(), problems = focus.Problems();
    agent.SetFocusSources(names, problems);
    return names.empty() ? "no program focus followed: " + problems : "following the program in front through " + names;
  };
  // Logged whenever it changes: a source that died or came back.
  std::string focus_line = describe_focus();
  Log(focus_line);
  describe_focus_sources = [&describe_focus, &focus_line] {
    if (std::string line = describe_focus(); line != focus_line) Log(focus_line = std::move(line));
  };
  agent.Flush();
  publish();

  const std::string fault = Serve(signal_fd, *endpoint, kernel.get(), focus, agent, publish);
  if (!fault.empty()) Log("stopping: " + fault);
  ::unlink(state_path.c_str());
  agent.Stop();
  Log("stopped");
  return fault.empty() ? 0 : 1;
}
