// The X11 focus source: the window manager names the active window in the
// root window's _NET_ACTIVE_WINDOW; its WM_CLASS names the program, and its
// _NET_WM_PID leads to the executable (/proc/PID/exe). Only changes of
// that property wake the agent.
#pragma once

#include <memory>
#include <string>

#include "agent/focus_source.h"

namespace vantix::agent {

// Connects to display (the environment's DISPLAY when empty). Nothing, with
// problem set, when there is no X server or its window manager does not
// keep _NET_ACTIVE_WINDOW.
std::unique_ptr<FocusSource> StartX11Focus(const std::string& display, FocusSource::Sink sink,
                                           std::string& problem);

}  // namespace vantix::agent
