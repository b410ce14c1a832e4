#include "agent/device_agent.h"

#include <cstdio>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "macro/macro_files.h"
#include "settings/ini_file.h"
#include "settings/profile_store.h"
#include "settings/settings_schema.h"
#include "settings/text_codec.h"

namespace vantix::agent {
namespace {

constexpr int kMacroSlots = 15;

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

}  // namespace

DeviceAgent::DeviceAgent(std::string data_folder, SimulatedMouse& mouse, Poster post, Logger log)
    : data_folder_(std::move(data_folder)), mouse_(mouse), post_(std::move(post)), log_(std::move(log)) {}

void DeviceAgent::Start() {
  WriteConnectionState();
  post_(WM_AGENT_STATUS, 0, 0);
}

void DeviceAgent::Stop() {
  if (!mouse_.Connected()) return;
  mouse_.SetConnected(false);
  WriteConnectionState();
  post_(WM_AGENT_STATUS, 0, 0);
}

void DeviceAgent::WriteConnectionState() {
  const Status status =
      IniFile(MacroIndexPath(data_folder_), SystemFileIo(), kDataFile)
          .WriteInt("Device", "Setting", mouse_.Connected() ? 1 : 0);
  if (!status.ok()) log_("cannot store the connection state: " + status.reason());
}

void DeviceAgent::SetConnected(bool connected) {
  const bool changed = mouse_.Connected() != connected;
  mouse_.SetConnected(connected);
  WriteConnectionState();
  if (changed) outbox_.push_back({WM_AGENT_STATUS, 0, 0});
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
      SetConnected(true);
      outcome = "device connected";
      result = 1;
      break;
    case kAgentControlDisconnect:
      SetConnected(false);
      outcome = "device disconnected";
      result = 1;
      break;
    case kAgentControlEvent:
      outbox_.push_back({WM_AGENT_EVENT, m.wparam, m.lparam});
      outcome = "event kind " + std::to_string(m.wparam) + " value " + std::to_string(m.lparam) +
                " for the main window";
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

std::string DeviceAgent::HandleApply() {
  SettingsBlock loaded;
  InitSettings(loaded);
  SettingsBlock live;
  ProfileStore store(data_folder_, live);
  store.LoadProfiles(loaded);
  ValidateSettings(loaded, live);
  const Status status = mouse_.ApplyProfiles(live);
  // The main window keeps its buttons disabled until it hears the apply is
  // over, so it hears it whatever the outcome.
  outbox_.push_back({WM_AGENT_EVENT, kEventApplyDone, 0});
  if (!status.ok()) return "profiles not applied: " + status.reason();
  return "applied profiles 1-5, profile " + std::to_string(live.CurrentProfile + 1) + " current";
}

std::string DeviceAgent::ApplyMacroSlot(int slot) {
  const IniSnapshot index = IniFile(MacroIndexPath(data_folder_), SystemFileIo(), kDataFile).Load();
  MacroUpload macro;
  macro.slot = slot;
  macro.name = index.ReadString("MACRO_LIST", std::to_string(slot), "");
  if (macro.name.empty()) return "slot " + std::to_string(slot) + " empty";
  // The index is only a file: a name in it must not lead outside the folder.
  if (!IsSafeMacroName(macro.name)) return "slot " + std::to_string(slot) + " refused: unsafe name";
  const IniSnapshot file =
      IniFile(data_folder_ + "MacroDB/" + macro.name + ".MSMACRO", SystemFileIo(), kDataFile).Load();
  if (!file.Readable()) return "macro \"" + macro.name + "\" has no file";
  file.ReadStruct(macro.events.size(), macro.events.data(), "Setting", "MacroSetting_0");
  macro.loop_time = file.ReadInt(1, "Setting", "LoopTime");
  macro.loop_type = file.ReadInt(0, "Setting", "LoopType");
  macro.delay_type = file.ReadInt(2, "Setting", "DelayType");
  const Status status = mouse_.ApplyMacro(macro);
  if (!status.ok()) return "macro \"" + macro.name + "\" not applied: " + status.reason();
  return "macro \"" + macro.name + "\" applied to slot " + std::to_string(slot);
}

std::string DeviceAgent::HandleMacroChanged(std::int64_t slot) {
  if (slot >= 0 && slot < kMacroSlots) return ApplyMacroSlot(static_cast<int>(slot));
  if (slot != -1) return "slot out of range";
  // The utility could not name the slot: bring every macro up to date.
  std::string outcome;
  for (int s = 0; s < kMacroSlots; ++s) {
    if (!outcome.empty()) outcome += "; ";
    outcome += ApplyMacroSlot(s);
  }
  return outcome;
}

std::string DeviceAgent::HandleMacroAssigned(std::int64_t profile, std::int64_t button) {
  if (profile < 0 || profile >= kProfileCount || button < 0 || button >= kButtonCount) {
    return "no such button";
  }
  const int p = static_cast<int>(profile);
  const int b = static_cast<int>(button);
  const IniSnapshot file = IniFile(ProfilePath(data_folder_, p), SystemFileIo(), kDataFile).Load();
  ButtonRecord record;
  const std::string section = ButtonKey(b);
  record.ButtonID = static_cast<std::uint8_t>(file.ReadInt(b + 1, section, kButtonIdKey));
  record.ButtonFunc = static_cast<std::uint8_t>(file.ReadInt(kFallbackFunction[b], section, kButtonFuncKey));
  record.LoopNumber = static_cast<std::uint8_t>(file.ReadInt(1, section, kLoopNumberKey));
  record.KeyNumber = static_cast<std::uint8_t>(file.ReadInt(0, section, kKeyNumberKey));
  const std::u16string name = Utf8ToUtf16(file.ReadString(section, kMacroNameKey, ""));
  for (std::size_t i = 0; i < name.size() && i + 1 < record.MacroName.size(); ++i) record.MacroName[i] = name[i];
  file.ReadStruct(record.KeyEvents.size(), record.KeyEvents.data(), kGroupSection, section);
  const Status status = mouse_.ApplyButton(p, b, record);
  const std::string where = "profile " + std::to_string(p + 1) + " button " + std::to_string(b + 1);
  if (!status.ok()) return where + " not applied: " + status.reason();
  return where + " applied (function " + std::to_string(record.ButtonFunc) + ")";
}

}  // namespace vantix::agent
