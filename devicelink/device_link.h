// The program's side of the device agent link: starting the agent, telling
// it to read files again, and the connection state it keeps.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "devicelink/agent_channel.h"
#include "settings/profile_store.h"
#include "settings/settings_block.h"
#include "settings/status.h"

namespace vantix {

// The agent's program file in the program folder.
inline constexpr std::string_view kAgentProgram = "hid";

// Starts programs without waiting for them.
class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // Starts path with no arguments in a session of its own; the caller never
  // waits for it and it outlives the caller.
  virtual bool StartDetached(const std::string& path) = 0;
};
ProcessLauncher& SystemProcessLauncher();

// Starts ProgramFolder/hid when the agent's endpoint is absent. Called once,
// when the main window is created; there is no retry. False when it had to
// start the agent and could not.
bool StartAgentIfAbsent(AgentChannel& agent, const std::string& program_folder,
                        ProcessLauncher& launcher = SystemProcessLauncher());

// 0x4DE: the profile files were saved.
SendOutcome NotifyApply(AgentChannel& agent);

// "MacroDB/MacroSet.MSDB" in the data folder.
std::string MacroIndexPath(const std::string& data_folder);
// The agent keeps [Device] Setting of the macro index non-zero while the
// mouse is connected; it alone writes it.
inline constexpr std::string_view kConnectionSection = "Device";
inline constexpr std::string_view kConnectionKey = "Setting";
bool ReadConnectionState(const std::string& data_folder, FileIo& io);
Status WriteConnectionState(const std::string& data_folder, FileIo& io, bool connected);

// The link's part of Apply: look the agent up, save the five profile files,
// then notify the agent if it was there.
struct [[nodiscard]] ApplyOutcome {
  Status saved;
  SendOutcome notified;  // kAbsent when there was no agent
};
ApplyOutcome ApplyProfiles(const ProfileStore& store, AgentChannel& agent);
// The same with the caller's own save step.
ApplyOutcome ApplyProfiles(AgentChannel& agent, const std::function<Status()>& save);

// 0x1514 for one macro slot (or -1), when the agent exists.
void NotifyMacroChanged(AgentChannel& agent, int slot);
// 0x1516 for every button of every profile that is assigned the macro name
// (function 11 and an exactly equal name), in profile then button order,
// when the agent exists.
void NotifyMacroAssignment(AgentChannel& agent, const SettingsBlock& settings,
                           std::u16string_view name);
// The same for the UTF-8 name of a macro after its repeat setting may have
// changed.
void AnnounceMacroLoop(AgentChannel& agent, const SettingsBlock& settings, std::string_view name);

}  // namespace vantix
