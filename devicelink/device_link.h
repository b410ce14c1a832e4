// The program's side of the device agent link: telling the agent to read
// files again, and the connection state it keeps.
#pragma once

#include <string>
#include <string_view>

#include "devicelink/agent_channel.h"
#include "settings/settings_block.h"

namespace vantix {

// 0x1514 for one macro slot (or -1), when the agent exists.
void NotifyMacroChanged(AgentChannel& agent, int slot);
// 0x1516 for every button of every profile that is assigned the macro name
// (function 11 and an exactly equal name), in profile then button order,
// when the agent exists.
void NotifyMacroAssignment(AgentChannel& agent, const SettingsBlock& settings,
                           std::u16string_view name);

}  // namespace vantix
