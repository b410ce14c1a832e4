// vantixctl apply and vantixctl agent ...: the device agent link from the shell.
#include <chrono>
#include <iostream>
#include <thread>
#include <string>

#include "cli/cli_common.h"
#include "cli/json_out.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "settings/profile_store.h"

namespace vantix::cli {

int RunApplyCommand(const Context& context, const Args& args) {
  if (args.size() != 1) return Usage("apply takes no arguments");
  const std::string data_folder = context.DataFolder();
  SettingsBlock live;
  ProfileStore store(data_folder, live, context.io);
  // Read and written as one step, so that no other writer's change falls
  // between and is undone.
  const FolderLock lock = store.Lock();
  if (!lock.held()) return WriteFailed(lock.status());
  store.ReloadProfiles();

  const MessageBus bus;
  BusAgentChannel agent(bus);
  const ApplyOutcome outcome = ApplyProfiles(store, agent);
  switch (outcome.notified.state) {
    case SendOutcome::State::kAnswered: std::cout << "notified\n"; break;
    case SendOutcome::State::kNoAnswer: std::cout << "no answer\n"; break;
    case SendOutcome::State::kAbsent: std::cout << "no agent\n"; break;
  }
  std::cout.flush();
  return outcome.saved.ok() ? kExitOk : WriteFailed(outcome.saved);
}

namespace {

// Asks the agent to stop and waits until its endpoint is gone.
int StopAgent(const MessageBus& bus) {
  const SendOutcome outcome = bus.SendMessage(kAgentWindowTitle, kAgentControlStop, 0, 0);
  if (outcome.state == SendOutcome::State::kAbsent) {
    std::cerr << "vantixctl: the device agent is not running\n";
    return kExitOk;
  }
  if (outcome.state == SendOutcome::State::kNoAnswer) {
    std::cerr << "vantixctl: the device agent did not answer\n";
    return kExitReadFailed;
  }
  // It lets go of the mouse before it closes its endpoint.
  const auto deadline = std::chrono::steady_clock::now() + kSendTimeout;
  while (bus.FindWindow(kAgentWindowTitle)) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::cerr << "vantixctl: the device agent did not stop\n";
      return kExitReadFailed;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return kExitOk;
}

}  // namespace

int RunAgentCommand(const Context& context, const Args& args) {
  if (args.size() < 2) {
    return Usage("agent status | stop | device ... | connect | disconnect | simulate press|release N | event KIND VALUE");
  }
  const std::string_view what = args[1];
  const MessageBus bus;

  if (what == "status") {
    if (args.size() != 2) return Usage("agent status");
    const bool running = bus.FindWindow(kAgentWindowTitle);
    const bool connected = ReadConnectionState(context.DataFolder(), context.io);
    const std::string reason_line = connected ? std::string() : AgentReasonLine(context.io);
    const AgentState state = running ? RunningAgentState(bus, context.io) : AgentState{};
    // Said only when nothing tells the agent the program in front, and why.
    const std::string focus =
        state.focus.empty() && !state.focus_problem.empty() ? "none (" + state.focus_problem + ")" : std::string();
    // A simulated mouse is a demo, not a connected mouse.
    const bool simulated = connected && running && state.Simulated();
    const char* device = simulated ? "simulated" : connected ? "connected" : "disconnected";
    if (context.json) {
      JsonObject status;
      status.String("agent", running ? "running" : "absent").String("device", device);
      // "reason: ...\n" without its label and line end.
      if (reason_line.size() > 9) status.String("reason", reason_line.substr(8, reason_line.size() - 9));
      if (state.profile > 0) status.Int("profile", state.profile);
      if (!state.program.empty()) status.String("program", state.program);
      if (!focus.empty()) status.String("focus", focus);
      std::cout << status.Done() << '\n';
      return kExitOk;
    }
    std::cout << "agent: " << (running ? "running" : "absent") << "\n"
              << "device: " << device << "\n"
              << reason_line;
    if (state.profile > 0) std::cout << "profile: " << state.profile << "\n";
    if (!state.program.empty()) std::cout << "program: " << state.program << "\n";
    if (!focus.empty()) std::cout << "focus: " << focus << "\n";
    return kExitOk;
  }
  if (what == "device") return RunAgentDeviceCommand(context, args);
  if (what == "stop") {
    if (args.size() != 2) return Usage("agent stop");
    return StopAgent(bus);
  }

  std::uint32_t message = 0;
  std::int64_t wparam = 0;
  std::int64_t lparam = 0;
  if (what == "connect" || what == "disconnect") {
    if (args.size() != 2) return Usage("agent " + std::string(what));
    message = what == "connect" ? kAgentControlConnect : kAgentControlDisconnect;
  } else if (what == "simulate") {
    // agent simulate press|release N
    const auto button = args.size() == 4 ? ParseDecimal(args[3]) : std::nullopt;
    if (args.size() != 4 || (args[2] != "press" && args[2] != "release") || !button || *button < 1 ||
        *button > kButtonCount) {
      return Usage("agent simulate press N | agent simulate release N, N from 1 to 12");
    }
    message = kAgentControlSimulateButton;
    wparam = *button;
    lparam = args[2] == "press" ? 1 : 0;
  } else if (what == "event") {
    if (args.size() != 4) return Usage("agent event KIND VALUE");
    const auto kind = ParseDecimal(args[2]);
    const auto value = ParseDecimal(args[3]);
    if (!kind || !value) return Usage("agent event: KIND and VALUE must be decimal integers");
    message = kAgentControlEvent;
    wparam = *kind;
    lparam = *value;
  } else {
    return Usage("agent: unknown operation " + std::string(what));
  }
  const SendOutcome outcome = bus.SendMessage(kAgentWindowTitle, message, wparam, lparam);
  switch (outcome.state) {
    case SendOutcome::State::kAnswered:
      if (message == kAgentControlSimulateButton && outcome.result != 1) {
        std::cerr << "vantixctl: the agent serves no simulated mouse with a button " << wparam << '\n';
        return kExitReadFailed;
      }
      return kExitOk;
    case SendOutcome::State::kNoAnswer:
      std::cerr << "vantixctl: the device agent did not answer\n";
      return kExitReadFailed;
    case SendOutcome::State::kAbsent:
      break;
  }
  std::cerr << "vantixctl: the device agent is not running\n";
  return kExitReadFailed;
}

}  // namespace vantix::cli
