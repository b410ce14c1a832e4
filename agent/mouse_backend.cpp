#include "agent/mouse_backend.h"

namespace vantix::agent {

AgentState SimulatedMouse::State() const {
  AgentState state;
  state.backend = "simulated";
  if (connected_) state.served_name = std::string(kServedMouseName);
  return state;
}

Status SimulatedMouse::ApplyProfiles(const SettingsBlock& settings) {
  if (!connected_) return Refuse();
  settings_ = settings;
  return Status::Ok();
}

Status SimulatedMouse::ApplyMacro(const MacroUpload& macro) {
  if (!connected_) return Refuse();
  if (macro.slot < 0 || macro.slot >= static_cast<int>(macros_.size())) {
    return Status::Error("no such macro slot");
  }
  macros_[static_cast<std::size_t>(macro.slot)] = macro;
  return Status::Ok();
}

Status SimulatedMouse::ApplyButton(int profile, int button, const ButtonRecord& record) {
  if (!connected_) return Refuse();
  if (profile < 0 || profile >= kProfileCount || button < 0 || button >= kButtonCount) {
    return Status::Error("no such button");
  }
  settings_.Profiles[profile].Buttons[button] = record;
  return Status::Ok();
}

}  // namespace vantix::agent
