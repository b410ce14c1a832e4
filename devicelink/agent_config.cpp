#include "devicelink/agent_config.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "settings/ini_file.h"

namespace vantix {
namespace {

constexpr std::string_view kDeviceSection = "Device";
constexpr std::string_view kUseKey = "Use";
constexpr std::string_view kResolutionKey = "Resolution";
constexpr std::string_view kResolutionFromKey = "ResolutionFrom";
constexpr std::string_view kStateSection = "Agent";
constexpr std::string_view kDevicesSection = "Devices";
// More would only be a broken file: no machine has that many mice.
constexpr int kMaxPublishedDevices = 64;

Status WriteConfigValues(const std::string& path,
                         std::initializer_list<std::pair<std::string_view, std::string>> values,
                         FileIo& io) {
  if (Status made = MakeConfigFolder(FolderOf(path)); !made.ok()) return made;
  IniBatch batch = IniFile(path, io).Edit();
  for (const auto& [key, value] : values) batch.WriteString(kDeviceSection, key, value);
  return batch.Commit();
}

}  // namespace

Status MakeConfigFolder(const std::string& folder) {
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    const std::string prefix = folder.substr(0, pos);
    if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      const int e = errno;
      return Status::Error("cannot create " + prefix + ": " + std::strerror(e));
    }
  }
  return Status::Ok();
}

DeviceChoice DeviceChoice::Parse(std::string_view text) {
  if (text.empty()) return {};
  if (text == "none") return {Kind::kNone, {}};
  if (text.front() == '/') return {Kind::kPath, std::string(text)};
  return {Kind::kName, std::string(text)};
}

std::string DeviceChoice::Text() const {
  switch (kind) {
    case Kind::kAutomatic: return {};
    case Kind::kNone: return "none";
    case Kind::kPath:
    case Kind::kName: return value;
  }
  return {};
}

std::optional<std::string> AgentConfigPath(
    const std::function<std::optional<std::string>(const char*)>& getenv) {
  std::string config = getenv("XDG_CONFIG_HOME").value_or("");
  if (config.empty() || config.front() != '/') {
    std::string home = getenv("HOME").value_or("");
    if (home.empty()) {
      if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) home = pw->pw_dir;
    }
    if (home.empty()) return std::nullopt;
    config = home + "/.config";
  }
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  return config + "/vantix/agent.ini";
}

std::optional<std::string> AgentConfigPath() {
  return AgentConfigPath([](const char* name) -> std::optional<std::string> {
    const char* v = std::getenv(name);
    if (v == nullptr) return std::nullopt;
    return std::string(v);
  });
}

std::string_view ResolutionSourceName(ResolutionSource source) {
  switch (source) {
    case ResolutionSource::kDefault: return "default";
    case ResolutionSource::kUser: return "set";
    case ResolutionSource::kUdev: return "udev";
    case ResolutionSource::kStage: return "stage";
  }
  return "default";
}

AgentConfig ReadAgentConfig(const std::string& path, FileIo& io) {
  const IniSnapshot file = IniFile(path, io).Load();
  AgentConfig config;
  config.device = DeviceChoice::Parse(file.ReadString(kDeviceSection, kUseKey, ""));
  // A missing key reads as 0: the resolution is nobody's choice yet.
  const int dpi = file.ReadInt(0, kDeviceSection, kResolutionKey);
  if (dpi >= kMinNativeResolution && dpi <= kMaxNativeResolution) {
    config.native_resolution = dpi;
    config.resolution_source = file.ReadString(kDeviceSection, kResolutionFromKey, "") == "stage"
                                   ? ResolutionSource::kStage
                                   : ResolutionSource::kUser;
  }
  return config;
}

Status WriteDeviceChoice(const std::string& path, const DeviceChoice& choice, FileIo& io) {
  return WriteConfigValues(path, {{kUseKey, choice.Text()}}, io);
}

Status WriteNativeResolution(const std::string& path, int dpi, FileIo& io, ResolutionSource from) {
  if (dpi < kMinNativeResolution || dpi > kMaxNativeResolution) {
    return Status::Error("resolution out of range");
  }
  return WriteConfigValues(path,
                           {{kResolutionKey, std::to_string(dpi)},
                            {kResolutionFromKey, from == ResolutionSource::kStage ? "stage" : "user"}},
                           io);
}

std::string AgentStatePath(const std::string& endpoint_folder) {
  return endpoint_folder + "/Corvane_II_GamingMouse_HID.state";
}

Status WriteAgentState(const std::string& path, const AgentState& state, FileIo& io) {
  IniBatch batch = IniFile(path, io).Edit();
  batch.WriteString(kStateSection, "Backend", state.backend);
  batch.WriteString(kStateSection, "Served", state.served_path);
  batch.WriteString(kStateSection, "ServedName", state.served_name);
  batch.WriteString(kStateSection, "Reason", state.reason);
  batch.WriteInt(kStateSection, "Resolution", state.resolution);
  batch.WriteString(kStateSection, "ResolutionFrom", state.resolution_source);
  batch.WriteInt(kStateSection, "Devices", static_cast<std::int32_t>(state.devices.size()));
  for (std::size_t i = 0; i < state.devices.size(); ++i) {
    const PublishedDevice& d = state.devices[i];
    batch.WriteString(kDevicesSection, std::to_string(i + 1),
                      d.path + '\t' + d.name + '\t' + std::to_string(d.buttons));
  }
  batch.WriteInt(kStateSection, "Profile", state.profile);
  batch.WriteString(kStateSection, "Program", state.program);
  batch.WriteString(kStateSection, "Focus", state.focus);
  batch.WriteString(kStateSection, "FocusProblem", state.focus_problem);
  // Every place written, so that a shorter list leaves none of a longer one.
  for (std::size_t i = 0; i < kRecentPrograms; ++i) {
    batch.WriteString(kStateSection, "Recent" + std::to_string(i + 1),
                      i < state.recent.size() ? state.recent[i] : std::string());
  }
  return batch.Commit(false);
}

AgentState ReadAgentState(const std::string& path, FileIo& io) {
  const IniSnapshot file = IniFile(path, io).Load();
  AgentState state;
  state.backend = file.ReadString(kStateSection, "Backend", "");
  state.served_path = file.ReadString(kStateSection, "Served", "");
  state.served_name = file.ReadString(kStateSection, "ServedName", "");
  state.reason = file.ReadString(kStateSection, "Reason", "");
  state.resolution = file.ReadInt(0, kStateSection, "Resolution");
  state.resolution_source = file.ReadString(kStateSection, "ResolutionFrom", "");
  const int count = std::clamp(file.ReadInt(0, kStateSection, "Devices"), 0, kMaxPublishedDevices);
  for (int i = 1; i <= count; ++i) {
    const std::string line = file.ReadString(kDevicesSection, std::to_string(i), "");
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) continue;
    PublishedDevice device{line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1), 0};
    device.buttons = std::atoi(line.c_str() + tab2 + 1);
    state.devices.push_back(std::move(device));
  }
  state.profile = file.ReadInt(0, kStateSection, "Profile");
  state.program = file.ReadString(kStateSection, "Program", "");
  state.focus = file.ReadString(kStateSection, "Focus", "");
  state.focus_problem = file.ReadString(kStateSection, "FocusProblem", "");
  for (std::size_t i = 0; i < kRecentPrograms; ++i) {
    std::string name = file.ReadString(kStateSection, "Recent" + std::to_string(i + 1), "");
    if (!name.empty()) state.recent.push_back(std::move(name));
  }
  return state;
}

}  // namespace vantix
