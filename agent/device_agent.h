// The device agent's message handling: reads the files the utility wrote,
// drives the mouse, keeps the connection state in the macro index and tells
// the main window about changes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agent/focus_source.h"
#include "agent/mouse_backend.h"
#include "devicelink/message_bus.h"
#include "devicelink/program_rules.h"
#include "macro/macro_files.h"
#include "settings/file_io.h"
#include "settings/profile_store.h"

namespace vantix::agent {

class DeviceAgent final : public MouseBackend::Listener {
 public:
  // Posts to the main window; absent windows are skipped.
  using Poster = std::function<void(std::uint32_t, std::int64_t, std::int64_t)>;
  using Logger = std::function<void(const std::string&)>;

  // config_path: agent.ini, read again when vantixctl asks; none without one.
  // simulated: the backend, when it is the simulated mouse, which the shell
  // also connects, disconnects and presses.
  DeviceAgent(std::string data_folder, FileIo& io, MouseBackend& mouse, Poster post, Logger log,
              std::optional<std::string> config_path = std::nullopt,
              SimulatedMouse* simulated = nullptr);
  ~DeviceAgent() override;

  // Applies the saved files, writes the connection state and announces it;
  // run once at start.
  void Start();
  // On a clean stop: the mouse is no longer served.
  void Stop();

  // The endpoint's handler. Messages for the main window that a message
  // causes are queued and go out in Flush, after its result was returned.
  std::int64_t Handle(const WindowMessage& message);
  void Flush();
  // vantixctl agent stop asked for the end.
  bool StopRequested() const { return stop_requested_; }
  // Whether the mouse or the device reported a change since the last call:
  // what the agent publishes may differ. Plain motion reports none.
  bool TakeChange() { return std::exchange(changed_, false); }
  // What the agent publishes: the backend's state and the resolution.
  AgentState State() const;
  // Whether a window listens for the served mouse's buttons (at start: is
  // there a main window; later the window says so itself).
  void SetListening(bool listening) { mouse_.SetReportButtons(listening); }

  // The program in front changed: the profile its rule names is served,
  // else the settings' current one; the window hears of a change (kind 9).
  void FocusChanged(const FocusedProgram& program);
  // Which focus sources are at work ("x11"; empty: none) and what keeps
  // the others (or all) from working.
  void SetFocusSources(std::string names, std::string problem);
  // Adds the profile served, the rule behind it and the focus sources to
  // what the agent publishes.
  void DescribeFocus(AgentState& state) const;

  // MouseBackend::Listener
  void MouseChanged() override;
  void DeviceEvent(std::int64_t kind, std::int64_t value) override;
  void SourceButton(int button, int state) override;

 private:
  std::string HandleApply();
  std::string HandleMacroChanged(std::int64_t slot);
  std::string HandleMacroAssigned(std::int64_t profile, std::int64_t button);
  std::string HandleReconfigure();
  // Takes the macro of one slot of the index (or forgets the slot), without
  // installing it yet.
  std::string LoadMacroSlot(const MacroFiles& files, const MacroSlots& slots, int slot);
  // Profiles and every macro from the files, as at Apply.
  Status ApplySavedFiles(int& current_profile);
  // Hands the profile in force and the macros to the mouse, once there are
  // profiles.
  void Install();
  void SetSimulatedConnection(bool connected);
  void LogServing(const Status& applied, int current_profile);
  // Stores and announces Connected() when it differs from what was stored.
  void ConnectionMayHaveChanged();
  void WriteConnectionState();
  // The served mouse's own resolution: the user's (or the one matched
  // before), else udev's MOUSE_DPI, else the active stage's, which is kept.
  void ResolveResolution();
  std::string HandleSimulateButton(std::int64_t button, std::int64_t pressed, std::int64_t& result);
  std::string HandleProgramRules();
  // Serves what the rules say for the program in front; tells the window
  // when the profile or the rule behind it changed.
  void Follow();
  // The profile in force: the rule's, else the settings' current one.
  int ServedProfile() const { return rule_profile_.value_or(files_profile_); }

  std::string data_folder_;
  FileIo& io_;
  MouseBackend& mouse_;
  SimulatedMouse* simulated_;
  // What the mouse serves: the profiles and macros last read. The profiles
  // count only once read (have_settings_).
  SettingsBlock settings_{};
  ProfileStore store_{data_folder_, settings_, io_};
  bool have_settings_ = false;
  std::array<MacroUpload, kMacroSlots> macros_{};
  // The profile (0..4) a program rule puts in force instead of the settings'
  // current one; none: the current one. The settings keep theirs.
  std::optional<int> rule_profile_;
  Poster post_;
  Logger log_;
  std::optional<std::string> config_path_;
  AgentConfig config_;
  int resolution_ = kDefaultNativeResolution;
  ResolutionSource resolution_source_ = ResolutionSource::kDefault;
  int active_stage_dpi_ = 0;  // of the profiles last applied; 0: none
  std::optional<std::string> rules_path_;
  ProgramRules rules_;
  FocusedProgram focus_;
  std::string rule_program_;  // the rule's name of the program followed now
  std::vector<std::string> recent_;
  std::string focus_sources_, focus_problem_;
  int files_profile_ = 0;  // the settings' current profile
  bool stored_connected_ = false;
  bool stop_requested_ = false;
  bool changed_ = true;
  struct Pending {
    std::uint32_t message;
    std::int64_t wparam, lparam;
  };
  std::vector<Pending> outbox_;
};

}  // namespace vantix::agent
