// vantixctl apply and vantixctl agent ...: the device agent link from the shell.
#include <iostream>
#include <string>

#include "cli/cli_common.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "settings/profile_store.h"

namespace vantix::cli {

int RunApplyCommand(const Context& context, const Args& args) {
  if (args.size() != 1) return Usage("apply takes no arguments");
  const std::string data_folder = context.DataFolder();
  SettingsBlock live;
  const ProfileStore store(data_folder, live);
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

int RunAgentCommand(const Context& context, const Args& args) {
  if (args.size() < 2) return Usage("agent connect | disconnect | event KIND VALUE | status");
  const std::string_view what = args[1];
  const MessageBus bus;

  if (what == "status") {
    if (args.size() != 2) return Usage("agent status");
    std::cout << "agent: " << (bus.FindWindow(kAgentWindowTitle) ? "running" : "absent") << "\n"
              << "device: " << (ReadConnectionState(context.DataFolder()) ? "connected" : "disconnected")
              << "\n";
    return kExitOk;
  }

  std::uint32_t message = 0;
  std::int64_t wparam = 0;
  std::int64_t lparam = 0;
  if (what == "connect" || what == "disconnect") {
    if (args.size() != 2) return Usage("agent " + std::string(what));
    message = what == "connect" ? kAgentControlConnect : kAgentControlDisconnect;
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
