#include "devicelink/device_link.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "devicelink/agent_messages.h"
#include "settings/function_codes.h"
#include "settings/ini_file.h"
#include "settings/macro_model.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {

class PosixLauncher final : public ProcessLauncher {
 public:
  bool StartDetached(const std::string& path) override {
    // Fork twice so that the agent is nobody's child: it is never a zombie
    // of ours and lives on when we end.
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
      ::setsid();
      const pid_t grandchild = ::fork();
      if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
      const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
      if (null >= 0) ::dup2(null, STDIN_FILENO);
      char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
      ::execv(path.c_str(), argv);
      ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

}  // namespace

ProcessLauncher& SystemProcessLauncher() {
  static PosixLauncher launcher;
  return launcher;
}

bool StartAgentIfAbsent(AgentChannel& agent, const std::string& program_folder,
                        ProcessLauncher& launcher) {
  if (agent.FindAgent()) return true;
  return launcher.StartDetached(program_folder + std::string(kAgentProgram));
}

SendOutcome NotifyApply(AgentChannel& agent) { return agent.SendToAgent(WM_AGENT_APPLY, 0, 0); }

std::string MacroIndexPath(const std::string& data_folder) {
  return data_folder + std::string(kMacroFolderName) + std::string(kMacroIndexFile);
}

bool ReadConnectionState(const std::string& data_folder, FileIo& io) {
  return IniFile(MacroIndexPath(data_folder), io, kDataFile)
             .ReadInt(0, kConnectionSection, kConnectionKey) != 0;
}

Status WriteConnectionState(const std::string& data_folder, FileIo& io, bool connected) {
  return IniFile(MacroIndexPath(data_folder), io, kDataFile)
      .WriteInt(kConnectionSection, kConnectionKey, connected ? 1 : 0);
}

ApplyOutcome ApplyProfiles(const ProfileStore& store, AgentChannel& agent) {
  return ApplyProfiles(agent, [&store] { return store.SaveProfiles(); });
}

ApplyOutcome ApplyProfiles(AgentChannel& agent, const std::function<Status()>& save) {
  ApplyOutcome outcome;
  const bool found = agent.FindAgent();
  outcome.saved = save();
  // The agent reads whatever the files hold, so it is told even after a
  // failed save; the caller reports the failure.
  if (found) outcome.notified = NotifyApply(agent);
  return outcome;
}

void NotifyMacroChanged(AgentChannel& agent, int slot) {
  if (!agent.FindAgent()) return;
  agent.SendToAgent(WM_AGENT_MACRO_CHANGED, slot, 0);
}

void NotifyMacroAssignment(AgentChannel& agent, const SettingsBlock& settings,
                           std::u16string_view name) {
  for (int p = 0; p < kProfileCount; ++p) {
    for (int b = 0; b < kButtonCount; ++b) {
      const ButtonRecord& button = settings.Profiles[p].Buttons[b];
      if (button.ButtonFunc != kMacroFunction || MacroNameView(button) != name) continue;
      if (!agent.FindAgent()) continue;
      agent.SendToAgent(WM_AGENT_MACRO_ASSIGNED, p, b);
    }
  }
}

void AnnounceMacroLoop(AgentChannel& agent, const SettingsBlock& settings, std::string_view name) {
  NotifyMacroAssignment(agent, settings, Utf8ToUtf16(name));
}

}  // namespace vantix
