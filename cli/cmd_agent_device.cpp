// vantixctl agent device ...: which mouse the device agent serves, and that
// mouse's own resolution. The choices live in agent.ini, so they hold when
// the agent is not running and across its restarts; a running agent is told
// to read them again.
#include <cstring>
#include <iostream>
#include <string>

#include "agent/input_devices.h"
#include "cli/cli_common.h"
#include "cli/json_out.h"
#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"

namespace vantix::cli {
namespace {

std::optional<std::string> ConfigPathOrComplain() {
  std::optional<std::string> path = AgentConfigPath();
  if (!path) std::cerr << "vantixctl: no home folder for the agent's settings\n";
  return path;
}

int List(bool json, FileIo& io) {
  const AgentState state = RunningAgentState(MessageBus(), io);
  // The running agent's own list, so that the window and we show the same;
  // without an agent, what is there now.
  const agent::InputScan scan = state.backend.empty() ? agent::ScanInputDevices() : agent::InputScan{};
  const std::vector<PublishedDevice> listed =
      state.backend.empty() ? agent::ServableDevices(scan.devices) : state.devices;
  std::string devices = "[";
  for (const PublishedDevice& device : listed) {
    const bool served = !state.served_path.empty() && device.path == state.served_path;
    const std::string resolution = std::to_string(state.resolution) + " dpi (" + state.resolution_source + ")";
    if (json) {
      if (devices.size() > 1) devices += ", ";
      JsonObject object;
      object.String("path", device.path).String("name", device.name).Int("buttons", device.buttons).Bool("served", served);
      if (served) object.Int("resolution", state.resolution).String("resolution_source", state.resolution_source);
      devices += object.Done();
      continue;
    }
    std::cout << device.path << '\t' << device.name << '\t' << device.buttons;
    if (served) std::cout << "\tserved\t" << resolution;
    std::cout << '\n';
  }
  if (json) std::cout << JsonObject().Raw("devices", devices + "]").Done() << '\n';
  // Keyboards and buttons are commonly closed to users: only say so for
  // nodes that may be a mouse.
  for (const agent::UnreadableNode& node : scan.unreadable) {
    if (node.pointing == false) continue;
    std::cerr << "vantixctl: cannot read " << node.path << (node.name.empty() ? "" : " (" + node.name + ")")
              << ": " << std::strerror(node.error) << '\n';
  }
  return kExitOk;
}

// A device that is there now and can never be served is refused at once.
std::optional<std::string> Unservable(const DeviceChoice& choice) {
  const agent::InputScan scan = agent::ScanInputDevices();
  bool found = false;
  for (const agent::InputDeviceInfo& device : scan.devices) {
    if (!agent::ChoiceNames(choice, device)) continue;
    if (agent::Servable(device)) return std::nullopt;
    found = true;
  }
  if (!found) return std::nullopt;
  return choice.value + " is not a mouse the agent can serve (it needs REL_X, REL_Y and BTN_LEFT, "
                        "and is not the agent's own virtual mouse)";
}

int Use(std::string_view what, FileIo& io) {
  if (what.empty()) return Usage("agent device use PATH|NAME|none");
  const DeviceChoice choice = DeviceChoice::Parse(what);
  if (const auto refusal = Unservable(choice)) {
    std::cerr << "vantixctl: " << *refusal << '\n';
    return kExitReadFailed;
  }
  const auto path = ConfigPathOrComplain();
  if (!path) return kExitWriteFailed;
  if (const Status status = WriteDeviceChoice(*path, choice, io); !status.ok()) return WriteFailed(status);
  return TellAgent(kAgentControlReconfigure);
}

int Resolution(std::string_view text, FileIo& io) {
  const auto dpi = ParseInt32(text);
  if (!dpi || *dpi < kMinNativeResolution || *dpi > kMaxNativeResolution) {
    return Usage("agent device resolution: DPI must be a whole number from " +
                 std::to_string(kMinNativeResolution) + " to " + std::to_string(kMaxNativeResolution));
  }
  const auto path = ConfigPathOrComplain();
  if (!path) return kExitWriteFailed;
  if (const Status status = WriteNativeResolution(*path, *dpi, io); !status.ok()) return WriteFailed(status);
  return TellAgent(kAgentControlReconfigure);
}

}  // namespace

int RunAgentDeviceCommand(const Context& context, const Args& args) {
  // args: agent device OPERATION ...
  if (args.size() < 3) return Usage("agent device list | use PATH|NAME|none | resolution DPI");
  const std::string_view what = args[2];
  if (what == "list") {
    if (args.size() != 3) return Usage("agent device list");
    return List(context.json, context.io);
  }
  if (what == "use") {
    if (args.size() != 4) return Usage("agent device use PATH|NAME|none");
    return Use(args[3], context.io);
  }
  if (what == "resolution") {
    if (args.size() != 4) return Usage("agent device resolution DPI");
    return Resolution(args[3], context.io);
  }
  return Usage("agent device: unknown operation " + std::string(what));
}

AgentState RunningAgentState(const MessageBus& bus, FileIo& io) {
  if (!bus.FindWindow(kAgentWindowTitle)) return {};
  return ReadAgentState(AgentStatePath(bus.Folder()), io);
}

int TellAgent(std::uint32_t message) {
  const MessageBus bus;
  const SendOutcome outcome = bus.SendMessage(kAgentWindowTitle, message, 0, 0);
  switch (outcome.state) {
    case SendOutcome::State::kAnswered:
    case SendOutcome::State::kAbsent:
      return kExitOk;
    case SendOutcome::State::kNoAnswer:
      std::cerr << "vantixctl: the device agent did not answer; it reads the setting when it starts again\n";
      return kExitReadFailed;
  }
  return kExitOk;
}

std::string AgentReasonLine(FileIo& io) {
  const AgentState state = RunningAgentState(MessageBus(), io);
  if (!state.served_path.empty() || state.reason.empty()) return {};
  return "reason: " + state.reason + "\n";
}

}  // namespace vantix::cli
