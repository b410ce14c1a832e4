#include "agent/device_agent.h"

#include "agent/udev_dpi.h"
#include <cstdio>
#include <cstring>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "settings/settings_schema.h"

namespace vantix::agent {
namespace {

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

}  // namespace

DeviceAgent::DeviceAgent(std::string data_folder, FileIo& io, MouseBackend& mouse, Poster post,
                         Logger log, std::optional<std::string> config_path,
                         SimulatedMouse* simulated)
    : data_folder_(std::move(data_folder)),
      io_(io),
      mouse_(mouse),
      simulated_(simulated),
      post_(std::move(post)),
      log_(std::move(log)),
      config_path_(std::move(config_path)) {
  if (config_path_) rules_path_ = ProgramRulesPathBeside(*config_path_);
  mouse_.SetListener(this);
}

DeviceAgent::~DeviceAgent() { mouse_.SetListener(nullptr); }

void DeviceAgent::Start() {
  if (config_path_) config_ = ReadAgentConfig(*config_path_, io_);
  if (rules_path_) HandleProgramRules();
  int current = 0;
  if (const Status status = ApplySavedFiles(current); !status.ok()) {
    log_("saved profiles not applied: " + status.reason());
  }
  stored_connected_ = mouse_.Connected();
  ResolveResolution();
  if (stored_connected_ && !mouse_.State().served_path.empty()) LogServing(Status::Ok(), current);
  WriteConnectionState();
  post_(WM_AGENT_STATUS, 0, 0);
}

void DeviceAgent::Stop() {
  mouse_.Shutdown();
  if (!stored_connected_) return;
  stored_connected_ = false;
  WriteConnectionState();
  post_(WM_AGENT_STATUS, 0, 0);
}

void DeviceAgent::WriteConnectionState() {
  const Status status = vantix::WriteConnectionState(data_folder_, io_, stored_connected_);
  if (!status.ok()) log_("cannot store the connection state: " + status.reason());
}

void DeviceAgent::ConnectionMayHaveChanged() {
  if (mouse_.Connected() == stored_connected_) return;
  stored_connected_ = mouse_.Connected();
  WriteConnectionState();
  outbox_.push_back({WM_AGENT_STATUS, 0, 0});
}

void DeviceAgent::SetSimulatedConnection(bool connected) {
  simulated_->SetConnected(connected);
  // Stored even when unchanged, as a device that reports itself again would.
  // Connected only with a device chosen among its devices.
  const bool changed = stored_connected_ != mouse_.Connected();
  stored_connected_ = mouse_.Connected();
  WriteConnectionState();
  if (changed) outbox_.push_back({WM_AGENT_STATUS, 0, 0});
}

void DeviceAgent::MouseChanged() {
  changed_ = true;
  // A mouse that is served again keeps its settings: the saved files apply
  // at once, with no Apply needed.
  if (mouse_.Connected()) {
    int current = 0;
    const Status status = ApplySavedFiles(current);
    ResolveResolution();
    LogServing(status, current);
  }
  // A backend says itself why it serves none.
  ConnectionMayHaveChanged();
}

void DeviceAgent::LogServing(const Status& applied, int current_profile) {
  const AgentState state = mouse_.State();
  log_("serving " + state.served_path + " (" + state.served_name + ")" +
       (applied.ok() ? ", profile " + std::to_string(current_profile + 1) + " applied"
                     : ", profiles not applied: " + applied.reason()));
}

void DeviceAgent::DeviceEvent(std::int64_t kind, std::int64_t value) {
  changed_ = true;
  outbox_.push_back({WM_AGENT_EVENT, kind, value});
}

void DeviceAgent::SourceButton(int button, int state) {
  outbox_.push_back({WM_AGENT_SOURCE_BUTTON, button, state});
}

AgentState DeviceAgent::State() const {
  AgentState state = mouse_.State();
  state.resolution = resolution_;
  state.resolution_source = std::string(ResolutionSourceName(resolution_source_));
  return state;
}

void DeviceAgent::ResolveResolution() {
  int dpi = config_.native_resolution;
  ResolutionSource source = config_.resolution_source;
  if (source == ResolutionSource::kDefault && mouse_.Connected()) {
    if (const std::optional<int> udev = UdevMouseDpi(mouse_.State().served_path)) {
      dpi = *udev;
      source = ResolutionSource::kUdev;
    } else if (active_stage_dpi_ >= kMinNativeResolution && active_stage_dpi_ <= kMaxNativeResolution) {
      // The first mouse served moves as it did before: the active stage
      // scales by one. Kept, so that the stages keep their meaning later.
      dpi = active_stage_dpi_;
      source = ResolutionSource::kStage;
      config_.native_resolution = dpi;
      config_.resolution_source = source;
      if (config_path_) {
        if (const Status status = WriteNativeResolution(*config_path_, dpi, io_, source); !status.ok()) {
          log_("cannot keep the resolution: " + status.reason());
        }
      }
    }
  }
  if (dpi == resolution_ && source == resolution_source_) return;
  resolution_ = dpi;
  resolution_source_ = source;
  mouse_.SetNativeResolution(dpi);
  log_("the mouse's own resolution: " + std::to_string(dpi) + " (" +
       std::string(ResolutionSourceName(source)) + ")");
}

std::int64_t DeviceAgent::Handle(const WindowMessage& m) {
  std::string outcome;
  std::int64_t result = 0;
  switch (m.message) {
    case WM_AGENT_APPLY:
      outcome = HandleApply();
      result = 1;
      break;
    case WM_AGENT_MACRO_CHANGED:
      outcome = HandleMacroChanged(m.wparam);
      break;
    case WM_AGENT_MACRO_ASSIGNED:
      outcome = HandleMacroAssigned(m.wparam, m.lparam);
      break;
    case kAgentControlConnect:
    case kAgentControlDisconnect:
      if (simulated_ == nullptr) {
        outcome = "ignored: a real mouse comes and goes by itself";
        break;
      }
      SetSimulatedConnection(m.message == kAgentControlConnect);
      outcome = m.message == kAgentControlConnect ? "device connected" : "device disconnected";
      result = 1;
      break;
    case kAgentControlEvent:
      outbox_.push_back({WM_AGENT_EVENT, m.wparam, m.lparam});
      outcome = "event kind " + std::to_string(m.wparam) + " value " + std::to_string(m.lparam) +
                " for the main window";
      result = 1;
      break;
    case kAgentControlReconfigure:
      outcome = HandleReconfigure();
      result = mouse_.Connected() ? 1 : 0;
      break;
    case kAgentControlListen:
      SetListening(m.wparam != 0);
      outcome = m.wparam != 0 ? "a window listens for the mouse's buttons" : "no window listens";
      result = 1;
      break;
    case kAgentControlSimulateButton:
      outcome = HandleSimulateButton(m.wparam, m.lparam, result);
      break;
    case kAgentControlProgramRules:
      outcome = HandleProgramRules();
      result = 1;
      break;
    case kAgentControlStop:
      stop_requested_ = true;
      outcome = "stopping";
      result = 1;
      break;
    default:
      outcome = "ignored";
      break;
  }
  log_(Hex(m.message) + (m.sent ? " sent" : " posted") + " w=" + std::to_string(m.wparam) +
       " l=" + std::to_string(m.lparam) + ": " + outcome);
  return result;
}

void DeviceAgent::Flush() {
  // Copy first: a post never calls back into us, but keep the loop simple.
  std::vector<Pending> pending;
  pending.swap(outbox_);
  for (const Pending& p : pending) post_(p.message, p.wparam, p.lparam);
}

Status DeviceAgent::ApplySavedFiles(int& current_profile) {
  const MacroFiles files(data_folder_, io_);
  const MacroSlots slots = files.ReadSlots();
  for (int slot = 0; slot < kMacroSlots; ++slot) LoadMacroSlot(files, slots, slot);
  current_profile = store_.ReloadProfiles();
  have_settings_ = true;
  const ProfileRecord& profile = settings_.Profiles[static_cast<std::size_t>(current_profile)];
  const int stage = profile.DPI >= 0 && profile.DPI < kStageCount ? profile.DPI : 0;
  const std::int32_t stage_value = profile.Stages[static_cast<std::size_t>(stage)].X;
  active_stage_dpi_ = IsStageValue(stage_value) ? StageToDpi(stage_value) : 0;
  files_profile_ = current_profile >= 0 && current_profile < kProfileCount ? current_profile : 0;
  // Macros and profiles go over together: the profile finds its macros in
  // place.
  Install();
  return mouse_.TakesSettings();
}

void DeviceAgent::Install() {
  if (!have_settings_) return;
  const int served = ServedProfile();
  const int index = served >= 0 && served < kProfileCount ? served : 0;
  mouse_.Install(settings_.Profiles[static_cast<std::size_t>(index)], macros_);
}

std::string DeviceAgent::HandleApply() {
  int current = 0;
  const Status status = ApplySavedFiles(current);
  // The main window keeps its buttons disabled until it hears the apply is
  // over, so it hears it whatever the outcome.
  outbox_.push_back({WM_AGENT_EVENT, kEventApplyDone, 0});
  if (!mouse_.ReachesFirmware()) {
    log_("report rate and lighting are kept by the mouse's firmware, which the kernel's input "
         "layer cannot reach: they stay as they are");
  }
  if (!status.ok()) return "profiles not applied: " + status.reason();
  return "applied profiles 1-5, profile " + std::to_string(current + 1) + " current" +
         (mouse_.Connected() ? "" : " (kept for when a mouse is served)");
}

std::string DeviceAgent::HandleSimulateButton(std::int64_t button, std::int64_t pressed,
                                              std::int64_t& result) {
  if (simulated_ == nullptr) return "ignored: only the simulated mouse is pressed from the shell";
  if (button < 1 || button > kButtonCount || !simulated_->PressButton(static_cast<int>(button), pressed != 0)) {
    return "refused: the served simulated mouse has no button " + std::to_string(button);
  }
  result = 1;
  return "button " + std::to_string(button) + (pressed != 0 ? " pressed" : " released");
}

std::string DeviceAgent::HandleReconfigure() {
  if (!config_path_) return "no agent settings file";
  const AgentConfig config = ReadAgentConfig(*config_path_, io_);
  config_ = config;
  mouse_.Reconfigure(config);
  ResolveResolution();
  const std::string device =
      config.device.kind == DeviceChoice::Kind::kAutomatic ? "automatic" : config.device.Text();
  return "agent settings read: device " + device + ", resolution " +
         std::to_string(config.native_resolution);
}

std::string DeviceAgent::LoadMacroSlot(const MacroFiles& files, const MacroSlots& slots, int slot) {
  MacroUpload macro;
  macro.slot = slot;
  macro.name = slots[static_cast<std::size_t>(slot)];
  // A slot without a usable macro is handed on empty, so that the mouse
  // forgets what it had there.
  const auto forget = [&](std::string outcome) {
    macro.name.clear();
    macros_[static_cast<std::size_t>(slot)] = macro;
    return outcome;
  };
  if (macro.name.empty()) return forget("slot " + std::to_string(slot) + " empty");
  MacroData data;
  const MacroOutcome loaded = files.LoadMacro(macro.name, data);
  // The index is only a file: a name in it must not lead outside the folder.
  if (loaded.result == MacroResult::kInvalidName) {
    return forget("slot " + std::to_string(slot) + " refused: unsafe name");
  }
  if (loaded.absent) return forget("macro \"" + macro.name + "\" has no file");
  static_assert(sizeof data.events == sizeof macro.events);
  std::memcpy(macro.events.data(), data.events.data(), sizeof macro.events);
  macro.loop_time = data.LoopTime;
  macro.loop_type = data.LoopType;
  macro.delay_type = data.DelayType;
  macros_[static_cast<std::size_t>(slot)] = macro;
  if (const Status status = mouse_.TakesSettings(); !status.ok()) {
    return "macro \"" + macro.name + "\" not applied: " + status.reason();
  }
  return "macro \"" + macro.name + "\" applied to slot " + std::to_string(slot);
}

std::string DeviceAgent::HandleMacroChanged(std::int64_t slot) {
  if (slot != -1 && (slot < 0 || slot >= kMacroSlots)) return "slot out of range";
  const MacroFiles files(data_folder_, io_);
  const MacroSlots slots = files.ReadSlots();
  std::string outcome;
  if (slot != -1) {
    outcome = LoadMacroSlot(files, slots, static_cast<int>(slot));
  } else {
    // The utility could not name the slot: bring every macro up to date.
    for (int s = 0; s < kMacroSlots; ++s) {
      if (!outcome.empty()) outcome += "; ";
      outcome += LoadMacroSlot(files, slots, s);
    }
  }
  Install();
  return outcome;
}

std::string DeviceAgent::HandleMacroAssigned(std::int64_t profile, std::int64_t button) {
  if (profile < 0 || profile >= kProfileCount || button < 0 || button >= kButtonCount) {
    return "no such button";
  }
  const int p = static_cast<int>(profile);
  const int b = static_cast<int>(button);
  const ButtonRecord& record = settings_.Profiles[p].Buttons[b] = store_.LoadButton(p, b);
  if (p == ServedProfile()) Install();
  const std::string where = "profile " + std::to_string(p + 1) + " button " + std::to_string(b + 1);
  if (const Status status = mouse_.TakesSettings(); !status.ok()) {
    return where + " not applied: " + status.reason();
  }
  return where + " applied (function " + std::to_string(record.ButtonFunc) + ")";
}

std::string DeviceAgent::HandleProgramRules() {
  if (!rules_path_) return "no program rules file";
  rules_ = ReadProgramRules(*rules_path_, io_);
  if (!rules_.problem.empty()) log_(rules_.problem);
  Follow();
  return "program rules read: " + std::to_string(rules_.rules.size());
}

void DeviceAgent::FocusChanged(const FocusedProgram& program) {
  if (program == focus_) return;
  focus_ = program;
  if (const std::string shown = program.Shown(); !shown.empty()) {
    std::erase_if(recent_, [&](const std::string& name) { return SameProgram(name, shown); });
    recent_.insert(recent_.begin(), shown);
    if (recent_.size() > kRecentPrograms) recent_.resize(kRecentPrograms);
  }
  Follow();
}

void DeviceAgent::Follow() {
  const ProgramRule* rule = rules_.Match(focus_.names);
  const int before = ServedProfile();
  const std::string before_program = rule_program_;
  rule_program_ = rule != nullptr ? rule->program : std::string();
  const std::optional<int> profile = rule != nullptr ? std::optional<int>(rule->profile - 1) : std::nullopt;
  if (profile != rule_profile_) {
    rule_profile_ = profile;
    Install();
  }
  if (ServedProfile() == before && rule_program_ == before_program) return;
  log_("profile " + std::to_string(ServedProfile() + 1) + " served" +
       (rule != nullptr ? " for " + rule->program : " (the chosen one)") +
       (focus_.Shown().empty() ? "" : "; in front: " + focus_.Shown()));
  outbox_.push_back({WM_AGENT_EVENT, kEventProfile, ServedProfile()});
}

void DeviceAgent::SetFocusSources(std::string names, std::string problem) {
  focus_sources_ = std::move(names);
  focus_problem_ = std::move(problem);
}

void DeviceAgent::DescribeFocus(AgentState& state) const {
  state.profile = ServedProfile() + 1;
  state.program = rule_program_;
  state.focus = focus_sources_;
  state.focus_problem = focus_problem_;
  state.recent = recent_;
}

}  // namespace vantix::agent
