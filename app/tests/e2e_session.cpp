#include "app/tests/e2e_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "settings/profile_store.h"

namespace vantix::test {

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const std::string& log) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("QT_QPA_PLATFORM");
  for (const auto& [key, value] : env) ::setenv(key.c_str(), value.c_str(), 1);
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ::dup2(out, 1);
  ::dup2(out, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(20ms);
  }
  return std::nullopt;
}

SettingsBlock LoadSavedProfiles(const std::string& data) {
  SettingsBlock unused;
  ProfileStore store(data, unused, SystemFileIo());
  SettingsBlock block;
  InitSettings(block);
  store.LoadProfiles(block);
  return block;
}

E2eSession::E2eSession()
    : runtime(scratch / "run"),
      endpoints(runtime + "/corvane-gaming-mouse"),
      data(scratch / "Documents/Corvane II Gaming Mouse/"),
      log(scratch / "vantix.log") {
  ::mkdir(runtime.c_str(), 0700);
  // The simulated mouse, connected, even where the machine has uinput.
  env = {{"HOME", scratch.path()},
         {"XDG_RUNTIME_DIR", runtime},
         {"DISPLAY", x.display()},
         {"VANTIX_AGENT_BACKEND", "simulated"}};
}

E2eSession::~E2eSession() {
  // Found before vantix goes, whatever it does on its way out.
  const pid_t agent = AgentPid();
  if (app > 0) {
    ::kill(app, SIGTERM);
    // A vantix that hangs must not hold up the rest of the run.
    if (!WaitFor(app, 5s)) {
      ::kill(app, SIGKILL);
      ::waitpid(app, nullptr, 0);
    }
  }
  if (agent > 0) ::kill(agent, SIGTERM);
}

pid_t E2eSession::AgentPid() const {
  const std::string hid = std::string(kProgramDir) + "/hid";
  const std::string mine = "XDG_RUNTIME_DIR=" + runtime;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::filesystem::read_symlink(entry.path() / "exe", ec).string() != hid) continue;
    // The whole variable, not a tail of another one.
    const std::string environ = ReadBytes((entry.path() / "environ").string());
    std::size_t at = 0;
    while (at < environ.size()) {
      const std::size_t end = environ.find('\0', at);
      if (environ.compare(at, end - at, mine) == 0) return static_cast<pid_t>(std::stol(name));
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  return -1;
}

std::string E2eSession::Run(const std::string& command) const {
  const std::string prefix = "export DISPLAY=" + x.display() + " HOME='" + scratch.path() +
                             "' XDG_RUNTIME_DIR='" + runtime + "'; unset XDG_CONFIG_HOME; ";
  std::string out;
  if (FILE* p = ::popen((prefix + command).c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

void E2eSession::MoveTo(int x_pos, int y_pos) {
  Run("xdotool mousemove " + std::to_string(x_pos) + " " + std::to_string(y_pos));
  std::this_thread::sleep_for(150ms);
}

void E2eSession::ClickAt(int x_pos, int y_pos, int clicks) {
  Run("xdotool mousemove " + std::to_string(x_pos) + " " + std::to_string(y_pos) +
      " click --repeat " + std::to_string(clicks) + " --delay 80 1");
  std::this_thread::sleep_for(click_settle);
}

std::string E2eSession::FindWindow(const std::string& title) const {
  return Run("xdotool search --onlyvisible --name '^" + title + "$' | head -1");
}

}  // namespace vantix::test
