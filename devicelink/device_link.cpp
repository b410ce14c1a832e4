#include "devicelink/device_link.h"

#include <algorithm>

#include "devicelink/agent_messages.h"

namespace vantix {
namespace {

constexpr std::uint8_t kMacroFunction = 11;

std::u16string_view NameOf(const ButtonRecord& button) {
  const auto end = std::find(button.MacroName.begin(), button.MacroName.end(), u'\0');
  return {button.MacroName.data(), static_cast<std::size_t>(end - button.MacroName.begin())};
}

}  // namespace

void NotifyMacroChanged(AgentChannel& agent, int slot) {
  if (!agent.FindAgent()) return;
  agent.SendToAgent(WM_AGENT_MACRO_CHANGED, slot, 0);
}

void NotifyMacroAssignment(AgentChannel& agent, const SettingsBlock& settings,
                           std::u16string_view name) {
  for (int p = 0; p < kProfileCount; ++p) {
    for (int b = 0; b < kButtonCount; ++b) {
      const ButtonRecord& button = settings.Profiles[p].Buttons[b];
      if (button.ButtonFunc != kMacroFunction || NameOf(button) != name) continue;
      if (!agent.FindAgent()) continue;
      agent.SendToAgent(WM_AGENT_MACRO_ASSIGNED, p, b);
    }
  }
}

}  // namespace vantix
