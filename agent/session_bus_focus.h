// The desktops that tell the agent about focus over the session bus: KDE
// Plasma through a KWin script the agent loads (org.kde.KWin /Scripting),
// GNOME through the Shell extension shipped in the package. Both call the
// agent's ProgramActivated(s name, u pid) on org.vantix.Agent
// /org/vantix/Agent: name is the window class or app id, pid the window's
// process (0 when unknown), whose executable the agent looks up.
#pragma once

#include <memory>
#include <string>

#include "agent/focus_source.h"

namespace vantix::agent {

inline constexpr const char* kAgentBusName = "org.vantix.Agent";
inline constexpr const char* kAgentBusPath = "/org/vantix/Agent";
inline constexpr const char* kAgentBusInterface = "org.vantix.Agent";
inline constexpr const char* kGnomeExtensionUuid = "vantix-focus@vantix.org";

// kwin_script: the KWin script's main.js to load on KDE. Nothing, with
// problem set, when there is no session bus or the name is taken. A source
// that listens while no desktop calls it says so in its Problem.
std::unique_ptr<FocusSource> StartSessionBusFocus(const std::string& kwin_script, FocusSource::Sink sink,
                                                  std::string& problem);

}  // namespace vantix::agent
