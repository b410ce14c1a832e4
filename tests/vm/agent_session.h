// A user's session inside the test machine: a home with the data folder, a
// runtime folder with the window endpoints, a configuration folder, the real
// hid and vantixctl from /opt/vantix, and a stand-in for the main window
// that collects what the agent posts to it.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/message_bus.h"

namespace vantix::vmtest {

// Where the image puts the programs.
inline constexpr const char* kProgramDir = "/opt/vantix/";

struct CommandResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// The main window's endpoint, served on a thread of its own.
class WindowStandIn {
 public:
  explicit WindowStandIn(const std::string& endpoint_folder);
  ~WindowStandIn();
  WindowStandIn(const WindowStandIn&) = delete;
  WindowStandIn& operator=(const WindowStandIn&) = delete;

  // The first message that matches, taken out of the inbox, within timeout.
  std::optional<WindowMessage> Take(const std::function<bool(const WindowMessage&)>& match,
                                    std::chrono::milliseconds timeout);
  std::optional<WindowMessage> TakeEvent(std::int64_t kind, std::chrono::milliseconds timeout);
  std::optional<WindowMessage> TakeStatus(std::chrono::milliseconds timeout);
  void Clear();

 private:
  std::unique_ptr<Endpoint> endpoint_;
  bool stop_ = false;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<WindowMessage> inbox_;
};

class AgentSession {
 public:
  // Makes a fresh home under /tmp and points this process's HOME,
  // XDG_RUNTIME_DIR and XDG_CONFIG_HOME at it, so that the programs and this
  // process agree on every folder.
  AgentSession();
  ~AgentSession();
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  const std::string& DataFolder() const { return data_; }  // ends with '/'
  std::string ProfileFile(int number) const;              // 1..5
  std::string MacroFile(const std::string& name) const;
  WindowStandIn& Window() { return *window_; }

  // Starts hid with args and waits until its endpoint answers.
  bool StartAgent(const std::vector<std::string>& args = {"--backend=kernel"});
  bool AgentRunning() const { return agent_ > 0; }
  pid_t AgentPid() const { return agent_; }
  // Signals the agent and waits for its exit status (128 + signal when killed).
  int StopAgent(int signal_number, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  std::string AgentLog() const;

  CommandResult Ctl(const std::vector<std::string>& args) const;  // vantixctl
  // vantixctl that must succeed; a failure is printed with its reason.
  bool CtlOk(const std::vector<std::string>& args) const;
  // The connection state the agent keeps in the macro index (-1 when absent).
  int Setting() const;

 private:
  std::string home_, runtime_, config_, data_;
  std::unique_ptr<WindowStandIn> window_;
  pid_t agent_ = -1;
};

// The 189-byte key block of a button or the event block of a macro as the
// hexadecimal text that "vantixctl ini write-struct" takes.
std::string BlockHex(const std::vector<std::uint8_t>& bytes, std::size_t size = 189);

// Writes profile files through vantixctl, as a script of the user would.
class ProfileWriter {
 public:
  ProfileWriter(const AgentSession& session, int profile = 1) : session_(session), profile_(profile) {}

  struct Button {
    int func = 16;
    int loop_number = 1;
    int key_number = 0;
    std::vector<std::uint8_t> key_events{};
    std::string macro_name{};
  };
  // button 1..12. False (with the reason logged by gtest) when vantixctl fails.
  bool SetButton(int button, const Button& setting) const;
  bool SetInt(const std::string& key, int value) const;  // in section GROUP
  // Six stages of (enabled, x, y); unlinked.
  bool SetStages(const std::array<std::array<int, 3>, 6>& stages) const;

 private:
  bool Run(const std::vector<std::string>& args) const;
  const AgentSession& session_;
  int profile_;
};

// Creates macro name with the 3-byte events and the loop setting.
bool WriteMacro(const AgentSession& session, const std::string& name,
                const std::vector<std::uint8_t>& events, int loop_type, int loop_time);

}  // namespace vantix::vmtest
