// What hid decides as it starts, apart from its loop.
#pragma once

#include <functional>
#include <string>

#include "agent/mouse_backend.h"

namespace vantix::agent {

// The line for a second copy that exits: another agent runs, and with which
// backend (from the state it publishes in the endpoint folder).
std::string AnotherAgentRuns(const std::string& endpoint_folder);

// The simulated mouse with the devices of VANTIX_SIMULATED_DEVICES, or the
// product's mouse alone; lines of the file it cannot read are logged.
SimulatedMouse MakeSimulatedMouse(const AgentConfig& config,
                                  const std::function<void(const std::string&)>& log);

}  // namespace vantix::agent
