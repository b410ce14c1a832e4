// What the agent drives: the mouse. The kernel backend serves a real mouse
// through the kernel's input layer; the simulated one stands in where there
// is none (the machines we build on) and for the tests of the link.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "devicelink/agent_config.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix::agent {

inline constexpr int kMacroSlots = 15;

struct MacroUpload {
  int slot = -1;
  std::string name;
  std::int32_t loop_time = 1;
  std::int32_t loop_type = 0;
  std::int32_t delay_type = 2;
  std::array<std::uint8_t, kKeyEventBytes> events{};
};

class SimulatedMouse;

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
  };

  virtual ~MouseBackend() = default;
  void SetListener(Listener* listener) { listener_ = listener; }

  virtual bool Connected() const = 0;
  // Which device is served, or why none is.
  virtual AgentState State() const = 0;
  virtual Status ApplyProfiles(const SettingsBlock& settings) = 0;
  virtual Status ApplyMacro(const MacroUpload& macro) = 0;
  virtual Status ApplyButton(int profile, int button, const ButtonRecord& record) = 0;
  // The agent's own settings changed (agent.ini).
  virtual void Reconfigure(const AgentConfig& /*config*/) {}
  // Whether report rate and lighting reach the mouse.
  virtual bool ReachesFirmware() const { return true; }
  // Only the simulated mouse is connected and disconnected from the shell.
  virtual SimulatedMouse* Simulated() { return nullptr; }
  // Lets go of the mouse before the agent ends: nothing stays pressed.
  virtual void Shutdown() {}

  // The profile (0..4) a program rule puts in force instead of the settings'
  // current one; none: the current one. The settings keep theirs.
  void SetRuleProfile(std::optional<int> profile) {
    if (profile == rule_profile_) return;
    rule_profile_ = profile;
    RuleProfileChanged();
  }
  std::optional<int> RuleProfile() const { return rule_profile_; }

 protected:
  virtual void RuleProfileChanged() {}

  Listener* listener_ = nullptr;
  std::optional<int> rule_profile_;
};

// Keeps what it is given; connected until told otherwise.
class SimulatedMouse final : public MouseBackend {
 public:
  bool Connected() const override { return connected_; }
  AgentState State() const override;
  void SetConnected(bool connected) { connected_ = connected; }
  Status ApplyProfiles(const SettingsBlock& settings) override;
  Status ApplyMacro(const MacroUpload& macro) override;
  Status ApplyButton(int profile, int button, const ButtonRecord& record) override;
  SimulatedMouse* Simulated() override { return this; }

  const SettingsBlock& Settings() const { return settings_; }

 private:
  Status Refuse() const { return Status::Error("mouse not connected"); }
  bool connected_ = true;
  SettingsBlock settings_{};
  std::array<MacroUpload, kMacroSlots> macros_{};
};

}  // namespace vantix::agent
