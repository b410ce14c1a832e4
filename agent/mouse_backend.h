// What the agent drives: the mouse. There is no USB mouse on the machines we
// build on, so the agent runs a simulated one; a USB backend implements the
// same interface.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix::agent {

struct MacroUpload {
  int slot = -1;
  std::string name;
  std::int32_t loop_time = 1;
  std::int32_t loop_type = 0;
  std::int32_t delay_type = 2;
  std::array<std::uint8_t, kKeyEventBytes> events{};
};

class MouseBackend {
 public:
  virtual ~MouseBackend() = default;
  virtual bool Connected() const = 0;
  virtual Status ApplyProfiles(const SettingsBlock& settings) = 0;
  virtual Status ApplyMacro(const MacroUpload& macro) = 0;
  virtual Status ApplyButton(int profile, int button, const ButtonRecord& record) = 0;
};

// Keeps what it is given; connected until told otherwise.
class SimulatedMouse final : public MouseBackend {
 public:
  bool Connected() const override { return connected_; }
  void SetConnected(bool connected) { connected_ = connected; }
  Status ApplyProfiles(const SettingsBlock& settings) override;
  Status ApplyMacro(const MacroUpload& macro) override;
  Status ApplyButton(int profile, int button, const ButtonRecord& record) override;

  const SettingsBlock& Settings() const { return settings_; }

 private:
  Status Refuse() const { return Status::Error("mouse not connected"); }
  bool connected_ = true;
  SettingsBlock settings_{};
  std::array<MacroUpload, 15> macros_{};
};

}  // namespace vantix::agent
