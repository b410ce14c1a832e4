#include "agent/agent_start.h"

#include <cstdlib>

#include "settings/file_io.h"

namespace vantix::agent {

std::string AnotherAgentRuns(const std::string& endpoint_folder) {
  const AgentState state = ReadAgentState(AgentStatePath(endpoint_folder), SystemFileIo());
  std::string line = "another agent already runs";
  if (!state.backend.empty()) line += " (" + state.backend + " backend)";
  line += "; this one exits. vantixctl agent stop ends the other.";
  return line;
}

SimulatedMouse MakeSimulatedMouse(const AgentConfig& config,
                                  const std::function<void(const std::string&)>& log) {
  const char* list = std::getenv("VANTIX_SIMULATED_DEVICES");
  if (list == nullptr || *list == '\0') return SimulatedMouse(config);
  std::string errors;
  std::vector<InputDeviceInfo> devices = ReadSimulatedDevices(list, errors);
  if (!errors.empty()) log("VANTIX_SIMULATED_DEVICES: " + errors);
  return SimulatedMouse(config, std::move(devices));
}

}  // namespace vantix::agent
