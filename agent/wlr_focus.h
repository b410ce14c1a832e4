// The wlroots focus source: compositors built on wlroots (sway, Hyprland,
// river, labwc...) list their windows to task bars through the
// wlr-foreign-toplevel-management protocol, with each window's app id and
// whether it is activated. The display connection is a row of the agent's
// loop; only a change of the compositor's windows wakes the agent. The
// protocol names no process, so the executable is not known here.
#pragma once

#include <memory>
#include <string>

#include "agent/focus_source.h"

namespace vantix::agent {

// Connects to display (a socket name or path; the environment's
// WAYLAND_DISPLAY when empty). Nothing, with problem set, when there is no
// Wayland compositor or it does not offer the protocol.
std::unique_ptr<FocusSource> StartWlrFocus(const std::string& display, FocusSource::Sink sink,
                                           std::string& problem);

}  // namespace vantix::agent
