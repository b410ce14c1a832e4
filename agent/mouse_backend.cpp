#include "agent/mouse_backend.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <fstream>

#include "agent/input_mapper.h"
#include "devicelink/agent_messages.h"

namespace vantix::agent {
namespace {

constexpr int kSimulatedButtons = 12;

}  // namespace

void MouseBackend::ReportSourceEvent(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  if (listener_ == nullptr) return;
  if (type == EV_KEY && (value == 0 || value == 1)) {
    const auto codes = InputMapper::SourceButtonCodes();
    const auto at = std::find(codes.begin(), codes.end(), code);
    if (at != codes.end()) listener_->SourceButton(static_cast<int>(at - codes.begin()) + 1, value);
  } else if (type == EV_REL && (code == REL_WHEEL || code == REL_HWHEEL) && value != 0) {
    // The wheel's row is the wheel button's: turning and tilting light it.
    listener_->SourceButton(3, static_cast<int>(kSourceNotch));
  }
}

std::vector<InputDeviceInfo> ReadSimulatedDevices(const std::string& path, std::string& errors) {
  std::vector<InputDeviceInfo> devices;
  std::ifstream in(path);
  if (!in) {
    errors = "cannot read " + path;
    return devices;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t tab = line.rfind('\t');
    const std::string count = tab == std::string::npos ? std::string() : line.substr(tab + 1);
    int buttons = 0;
    const bool number_ok = !count.empty() && count.size() <= 3 &&
                           count.find_first_not_of("0123456789") == std::string::npos &&
                           (buttons = std::stoi(count)) >= 1;
    if (tab == 0 || !number_ok) {
      errors += (errors.empty() ? "" : "; ") + std::string("line ") + std::to_string(number) +
                " is not NAME<TAB>BUTTONS";
      continue;
    }
    InputDeviceInfo device;
    device.path = "simulated:" + std::to_string(number);
    device.name = PrintableName(line.substr(0, tab));
    device.buttons = buttons;
    device.pointing = true;
    device.own_virtual = device.name == kVirtualMouseName;
    devices.push_back(std::move(device));
  }
  return devices;
}

std::vector<InputDeviceInfo> DefaultSimulatedDevices() {
  InputDeviceInfo device;
  device.path = "simulated:1";
  device.name = std::string(kServedMouseName);
  device.buttons = kSimulatedButtons;
  device.pointing = true;
  return {device};
}

SimulatedMouse::SimulatedMouse(const AgentConfig& config, std::vector<InputDeviceInfo> devices)
    : devices_(std::move(devices)), choice_(config.device) {
  served_ = ChooseDevice(devices_, choice_);
}

void SimulatedMouse::Reconfigure(const AgentConfig& config) {
  const std::optional<std::size_t> before = served_;
  choice_ = config.device;
  served_ = ChooseDevice(devices_, choice_);
  if (served_ != before && listener_ != nullptr) listener_->MouseChanged();
}

bool SimulatedMouse::PressButton(int button, bool pressed) {
  if (!Connected() || button < 1 || button > std::min(devices_[*served_].buttons, kSimulatedButtons)) {
    return false;
  }
  if (report_buttons_ && listener_ != nullptr) listener_->SourceButton(button, pressed ? 1 : 0);
  return true;
}

AgentState SimulatedMouse::State() const {
  AgentState state;
  state.backend = "simulated";
  state.devices = ServableDevices(devices_);
  if (Connected()) {
    state.served_path = devices_[*served_].path;
    state.served_name = devices_[*served_].name;
  } else if (!connected_) {
    state.reason = "disconnected (vantixctl agent disconnect)";
  } else {
    state.reason = WhyNoneServed(InputScan{devices_, {}}, choice_);
  }
  return state;
}

Status SimulatedMouse::TakesSettings() const {
  return Connected() ? Status::Ok() : Status::Error("mouse not connected");
}

}  // namespace vantix::agent
