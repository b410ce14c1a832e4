// The device agent's own settings and what it tells about itself.
//
// agent.ini in $XDG_CONFIG_HOME/vantix/ (default ~/.config/vantix/) keeps
// which mouse the agent serves and that mouse's own resolution across
// restarts; vantixctl writes it and asks the agent to read it again. The
// agent publishes the device it serves, or why it serves none, in a state
// file beside its endpoint, which vantixctl reads while the agent runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_io.h"
#include "settings/status.h"

namespace vantix {

// The name the agent serves without being told, and the name of its own
// virtual device, which it never serves.
inline constexpr std::string_view kServedMouseName = "Corvane II Gaming Mouse";
inline constexpr std::string_view kVirtualMouseName = "Vantix virtual mouse";

inline constexpr int kDefaultNativeResolution = 1000;
inline constexpr int kMinNativeResolution = 100;
inline constexpr int kMaxNativeResolution = 50000;

// Which mouse the user chose: none yet (the agent serves the mouse above when
// present), none at all, an event node or a device name.
struct DeviceChoice {
  enum class Kind { kAutomatic, kNone, kPath, kName };
  Kind kind = Kind::kAutomatic;
  std::string value;  // the path or the name
  bool operator==(const DeviceChoice&) const = default;

  // "none", "/dev/input/..." (anything starting with '/') or a name.
  static DeviceChoice Parse(std::string_view text);
  // The form Parse reads; empty for kAutomatic.
  std::string Text() const;
};

// Where the mouse's own resolution comes from: nobody yet (the default),
// the user, the udev hardware database, or the agent, which matched it to
// the active stage when it first served a mouse.
enum class ResolutionSource { kDefault, kUser, kUdev, kStage };
// "default", "set", "udev", "stage": the words of the state file and of
// vantixctl agent device list.
std::string_view ResolutionSourceName(ResolutionSource source);

struct AgentConfig {
  DeviceChoice device;
  int native_resolution = kDefaultNativeResolution;
  ResolutionSource resolution_source = ResolutionSource::kDefault;  // kUser or kStage when read
  bool operator==(const AgentConfig&) const = default;
};

// $XDG_CONFIG_HOME/vantix/agent.ini, with ~/.config when the variable is
// unset or not absolute. Nothing when there is no home either.
std::optional<std::string> AgentConfigPath(
    const std::function<std::optional<std::string>(const char*)>& getenv);
std::optional<std::string> AgentConfigPath();

// A missing file or key reads as the defaults; a resolution out of range
// reads as the default.
// Makes the folder and those above it (0700) where missing.
Status MakeConfigFolder(const std::string& folder);

AgentConfig ReadAgentConfig(const std::string& path, FileIo& io);
// Creates the folder when missing. Only the given values are written.
Status WriteDeviceChoice(const std::string& path, const DeviceChoice& choice, FileIo& io);
// from: kUser (vantixctl, the window) or kStage (the agent's first match).
Status WriteNativeResolution(const std::string& path, int dpi, FileIo& io,
                             ResolutionSource from = ResolutionSource::kUser);

// A pointing device the agent can serve, as it publishes them.
struct PublishedDevice {
  std::string path;
  std::string name;
  int buttons = 0;
  bool operator==(const PublishedDevice&) const = default;
};

// How many programs lately in front the agent remembers.
inline constexpr std::size_t kRecentPrograms = 8;

// What the running agent publishes about itself.
struct AgentState {
  std::string backend;      // "kernel" or "simulated"
  std::string served_path;  // empty: no mouse served
  std::string served_name;
  std::string reason;       // why none is served, for the user; may be empty
  std::vector<PublishedDevice> devices = {};  // what it can serve, in node order
  int resolution = 0;                 // the served mouse's own resolution; 0: not told
  std::string resolution_source = {};  // ResolutionSourceName
  int profile = 0;          // the profile served now, 1..5; 0 while unknown
  std::string program = {};  // the program whose rule put it in force; empty: the user's choice
  std::string focus = {};    // the focus sources at work ("x11"), empty when none
  std::string focus_problem = {};  // why none works, or why one does not
  std::vector<std::string> recent = {};  // programs lately in front, newest first
  bool operator==(const AgentState&) const = default;
  bool Simulated() const { return backend == "simulated"; }
};

// The state file beside the agent's endpoint in the endpoint folder.
std::string AgentStatePath(const std::string& endpoint_folder);
Status WriteAgentState(const std::string& path, const AgentState& state, FileIo& io);
// A missing file reads as an empty state.
AgentState ReadAgentState(const std::string& path, FileIo& io);

}  // namespace vantix
