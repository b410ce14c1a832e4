// The X11 focus source: the window manager names the active window in the
// root window's _NET_ACTIVE_WINDOW; its WM_CLASS names the program, and its
// _NET_WM_PID leads to the executable (/proc/PID/exe). Only changes of
// that property wake the agent.
#pragma once

#include <xcb/xcb.h>

#include <memory>
#include <string>

#include "agent/focus_source.h"

namespace vantix::agent {

// Connects to display (the environment's DISPLAY when empty). Nothing, with
// problem set, when there is no X server or its window manager does not
// keep _NET_ACTIVE_WINDOW.
// The atom of that name (made when missing); XCB_ATOM_NONE on failure.
xcb_atom_t InternAtom(xcb_connection_t* c, const char* name);

std::unique_ptr<FocusSource> StartX11Focus(const std::string& display, FocusSource::Sink sink,
                                           std::string& problem);

}  // namespace vantix::agent
