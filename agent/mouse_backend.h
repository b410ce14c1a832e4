// What the agent drives: the mouse. The kernel backend serves a real mouse
// through the kernel's input layer; the simulated one stands in where there
// is none (the machines we build on) and for the tests of the link.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "agent/input_devices.h"
#include "agent/mapper_types.h"
#include "devicelink/agent_config.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix::agent {

class MouseBackend {
 public:
  // What a backend reports on its own, between messages.
  class Listener {
   public:
    virtual ~Listener() = default;
    // A mouse came or went (Connected or the served device changed). A mouse
    // that came wants the files read and applied again.
    virtual void MouseChanged() = 0;
    // A change on the device side for the main window (0x1515 kind, value).
    virtual void DeviceEvent(std::int64_t kind, std::int64_t value) = 0;
    // A button of the served mouse (1..12) pressed (1) or released (0), or
    // a wheel notch (button 3, kSourceNotch); only while reports are on.
    virtual void SourceButton(int /*button*/, int /*state*/) {}
  };

  virtual ~MouseBackend() = default;
  void SetListener(Listener* listener) { listener_ = listener; }

  virtual bool Connected() const = 0;
  // Which device is served, or why none is.
  virtual AgentState State() const = 0;
  // Why the mouse takes no settings now, for the agent to report; Ok when
  // it takes them.
  virtual Status TakesSettings() const { return Status::Ok(); }
  // The profile in force and the macros by slot, whenever either changed:
  // served from now on.
  virtual void Install(const ProfileRecord& profile, std::span<const MacroUpload> macros) = 0;
  // The agent's own settings changed (agent.ini).
  virtual void Reconfigure(const AgentConfig& /*config*/) {}
  // The served mouse's own resolution, which the stages scale motion against.
  virtual void SetNativeResolution(int /*dpi*/) {}
  // Whether report rate and lighting reach the mouse.
  virtual bool ReachesFirmware() const { return true; }
  // Lets go of the mouse before the agent ends: nothing stays pressed.
  virtual void Shutdown() {}
  // Whether the served mouse's buttons go to the listener (a window shows
  // them). Off, they cost one test of this flag per event.
  void SetReportButtons(bool on) { report_buttons_ = on; }

 protected:
  // A source event, when reports are on: the buttons and wheels in it go to
  // the listener.
  void ReportSourceEvent(std::uint16_t type, std::uint16_t code, std::int32_t value);

  Listener* listener_ = nullptr;
  bool report_buttons_ = false;
};

// The devices of VANTIX_SIMULATED_DEVICES: one a line, NAME<TAB>BUTTONS.
// Lines that are not are skipped and named in errors. The devices are
// pointing devices at "simulated:N", N their line's number.
std::vector<InputDeviceInfo> ReadSimulatedDevices(const std::string& path, std::string& errors);
// Without the list: the product's own mouse, with its twelve buttons.
std::vector<InputDeviceInfo> DefaultSimulatedDevices();

// Connected until told otherwise (or stopped), and takes settings only then.
// It serves one of its devices by the kernel backend's rules of choice.
class SimulatedMouse final : public MouseBackend {
 public:
  explicit SimulatedMouse(const AgentConfig& config = {},
                          std::vector<InputDeviceInfo> devices = DefaultSimulatedDevices());
  bool Connected() const override { return connected_ && served_.has_value(); }
  AgentState State() const override;
  void SetConnected(bool connected) { connected_ = connected; }
  void Reconfigure(const AgentConfig& config) override;
  // Button 1..12 of the served device pressed or released; false (nothing
  // reported) when no device is served or it has fewer buttons.
  bool PressButton(int button, bool pressed);
  Status TakesSettings() const override;
  // Nothing to drive: the mouse is only pressed from the shell.
  void Install(const ProfileRecord& /*profile*/, std::span<const MacroUpload> /*macros*/) override {}
  void Shutdown() override { connected_ = false; }

 private:
  std::vector<InputDeviceInfo> devices_;
  DeviceChoice choice_;
  std::optional<std::size_t> served_;
  bool connected_ = true;
};

}  // namespace vantix::agent
