#include "tests/vm/agent_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "settings/ini_file.h"

namespace vantix::vmtest {

namespace {

using namespace std::chrono_literals;

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& out_path, const std::string& err_path) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

// The exit status, or 128 + signal; -1 when it did not end within timeout.
int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(5ms);
  }
}

}  // namespace

WindowStandIn::WindowStandIn(const std::string& endpoint_folder) {
  OpenedEndpoint opened = Endpoint::Open(kMainWindowTitle, endpoint_folder);
  if (!opened.status.ok()) {
    throw std::runtime_error("no main window endpoint: " + opened.status.reason());
  }
  endpoint_ = std::move(opened.endpoint);
  thread_ = std::thread([this] {
    for (;;) {
      {
        std::lock_guard lock(mutex_);
        if (stop_) return;
      }
      pollfd p{endpoint_->Fd(), POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      endpoint_->Process([this](const WindowMessage& m) {
        std::lock_guard lock(mutex_);
        inbox_.push_back(m);
        arrived_.notify_all();
        return std::int64_t{0};
      });
    }
  });
}

WindowStandIn::~WindowStandIn() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::optional<WindowMessage> WindowStandIn::Take(const std::function<bool(const WindowMessage&)>& match,
                                                 std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  std::optional<WindowMessage> found;
  arrived_.wait_for(lock, timeout, [&] {
    for (auto it = inbox_.begin(); it != inbox_.end(); ++it) {
      if (!match(*it)) continue;
      found = *it;
      inbox_.erase(it);
      return true;
    }
    return false;
  });
  return found;
}

std::optional<WindowMessage> WindowStandIn::TakeEvent(std::int64_t kind, std::chrono::milliseconds timeout) {
  return Take([kind](const WindowMessage& m) { return m.message == WM_AGENT_EVENT && m.wparam == kind; },
              timeout);
}

std::optional<WindowMessage> WindowStandIn::TakeStatus(std::chrono::milliseconds timeout) {
  return Take([](const WindowMessage& m) { return m.message == WM_AGENT_STATUS; }, timeout);
}

void WindowStandIn::Clear() {
  std::lock_guard lock(mutex_);
  inbox_.clear();
}

AgentSession::AgentSession() {
  static int sessions = 0;
  home_ = "/tmp/session-" + std::to_string(++sessions);
  std::filesystem::remove_all(home_);
  runtime_ = home_ + "/run";
  config_ = home_ + "/config";
  std::filesystem::create_directories(runtime_);
  std::filesystem::create_directories(config_);
  ::chmod(runtime_.c_str(), 0700);
  ::setenv("HOME", home_.c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  data_ = home_ + "/Documents/Corvane II Gaming Mouse/";
  std::filesystem::create_directories(data_ + "MacroDB");
  const std::string endpoints = DefaultEndpointFolder();
  if (const Status prepared = PrepareEndpointFolder(endpoints); !prepared.ok()) {
    throw std::runtime_error("endpoint folder: " + prepared.reason());
  }
  window_ = std::make_unique<WindowStandIn>(endpoints);
}

AgentSession::~AgentSession() {
  if (agent_ > 0) StopAgent(SIGKILL);
  window_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(home_, ignored);
}

std::string AgentSession::ProfileFile(int number) const {
  return data_ + "RSProfile" + std::to_string(number) + ".pfd";
}

std::string AgentSession::MacroFile(const std::string& name) const { return data_ + "MacroDB/" + name + ".MSMACRO"; }

bool AgentSession::StartAgent(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {std::string(kProgramDir) + "hid"};
  argv.insert(argv.end(), args.begin(), args.end());
  agent_ = Spawn(argv, home_ + "/hid.out", home_ + "/hid.log");
  const MessageBus bus;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (bus.FindWindow(kAgentWindowTitle)) return true;
    if (WaitFor(agent_, 0ms) >= 0) {
      agent_ = -1;
      return false;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

int AgentSession::StopAgent(int signal_number, std::chrono::milliseconds timeout) {
  if (agent_ <= 0) return -1;
  ::kill(agent_, signal_number);
  int status = WaitFor(agent_, timeout);
  if (status < 0) {
    ::kill(agent_, SIGKILL);
    WaitFor(agent_, 10s);
  }
  agent_ = -1;
  return status;
}

std::string AgentSession::AgentLog() const { return ReadWhole(home_ + "/hid.log"); }

CommandResult AgentSession::Ctl(const std::vector<std::string>& args) const {
  std::vector<std::string> argv = {std::string(kProgramDir) + "vantixctl"};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string out = home_ + "/ctl.out";
  const std::string err = home_ + "/ctl.err";
  ::unlink(err.c_str());
  CommandResult result;
  result.status = WaitFor(Spawn(argv, out, err), 60s);
  result.out = ReadWhole(out);
  result.err = ReadWhole(err);
  return result;
}

int AgentSession::Setting() const {
  return IniFile(MacroIndexPath(data_), SystemFileIo()).ReadInt(-1, "Device", "Setting");
}

std::string BlockHex(const std::vector<std::uint8_t>& bytes, std::size_t size) {
  std::string hex;
  for (std::size_t i = 0; i < size; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", i < bytes.size() ? bytes[i] : 0);
    hex += pair;
  }
  return hex;
}

bool AgentSession::CtlOk(const std::vector<std::string>& args) const {
  const CommandResult result = Ctl(args);
  if (result.status == 0) return true;
  std::fprintf(stderr, "vantixctl failed (%d): %s\n", result.status, result.err.c_str());
  return false;
}

bool ProfileWriter::Run(const std::vector<std::string>& args) const { return session_.CtlOk(args); }

bool ProfileWriter::SetButton(int button, const Button& setting) const {
  const std::string file = session_.ProfileFile(profile_);
  const std::string section = "ButtonAssigned_" + std::to_string(button);
  return Run({"ini", "write-int", file, section, "ButtonFunc", std::to_string(setting.func)}) &&
         Run({"ini", "write-int", file, section, "LoopNumber", std::to_string(setting.loop_number)}) &&
         Run({"ini", "write-int", file, section, "KeyNumber", std::to_string(setting.key_number)}) &&
         Run({"ini", "write-string", file, section, "MacroName", setting.macro_name}) &&
         Run({"ini", "write-struct", file, "GROUP", section, BlockHex(setting.key_events)});
}

bool ProfileWriter::SetInt(const std::string& key, int value) const {
  return Run({"ini", "write-int", session_.ProfileFile(profile_), "GROUP", key, std::to_string(value)});
}

bool ProfileWriter::SetStages(const std::array<std::array<int, 3>, 6>& stages) const {
  std::vector<std::uint8_t> bytes;
  for (const auto& [enabled, x, y] : stages) {
    for (const int value : {enabled, x, y, 0}) {
      for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  return Run({"ini", "write-struct", session_.ProfileFile(profile_), "GROUP", "DPIStageValue",
              BlockHex(bytes, bytes.size())});
}

bool WriteMacro(const AgentSession& session, const std::string& name, const std::vector<std::uint8_t>& events,
                int loop_type, int loop_time) {
  const std::string file = session.MacroFile(name);
  const auto run = [&session](const std::vector<std::string>& args) { return session.CtlOk(args); };
  return run({"macro", "new", name}) &&
         run({"ini", "write-int", file, "Setting", "LoopType", std::to_string(loop_type)}) &&
         run({"ini", "write-int", file, "Setting", "LoopTime", std::to_string(loop_time)}) &&
         run({"ini", "write-int", file, "Setting", "Count", std::to_string(events.size() / 3)}) &&
         run({"ini", "write-struct", file, "Setting", "MacroSetting_0", BlockHex(events)});
}

}  // namespace vantix::vmtest
