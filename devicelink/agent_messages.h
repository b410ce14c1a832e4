// The messages between the utility's main window and the device agent, and
// the window titles that name their endpoints.
#pragma once

#include <cstdint>
#include <string_view>

namespace vantix {

inline constexpr std::string_view kAgentWindowTitle = "Corvane_II_GamingMouse_HID";
inline constexpr std::string_view kMainWindowTitle = "Corvane II Gaming Mouse";

// To the agent, sent (the sender waits for the agent's handler).
inline constexpr std::uint32_t WM_AGENT_APPLY = 0x4DE;           // 0, 0
inline constexpr std::uint32_t WM_AGENT_MACRO_CHANGED = 0x1514;  // slot 0..14 or -1, 0
inline constexpr std::uint32_t WM_AGENT_MACRO_ASSIGNED = 0x1516; // profile, button
// To the main window, posted.
inline constexpr std::uint32_t WM_AGENT_STATUS = 0x4DD;          // connection state changed
inline constexpr std::uint32_t WM_AGENT_EVENT = 0x1515;          // kind, value
// The agent published a new state (served mouse, reason, device list,
// resolution): read it again.
inline constexpr std::uint32_t WM_AGENT_STATE = 0x1520;          // 0, 0
// A button of the served mouse, only while a window listens: button 1..12
// and 1 pressed, 0 released; a wheel notch or tilt is button 3 with 2.
inline constexpr std::uint32_t WM_AGENT_SOURCE_BUTTON = 0x1521;  // button, state
inline constexpr std::int64_t kSourceNotch = 2;

// Kinds of WM_AGENT_EVENT.
enum AgentEventKind : std::int64_t {
  kEventReload = 0,
  kEventDpiStage = 8,
  kEventProfile = 9,
  kEventReportRate = 10,
  kEventLightingMode = 11,
  kEventPointerSpeed = 12,
  kEventApplyDone = 15,
};

// Device-side changes driven from the shell (vantixctl agent ...), sent to
// the agent. Outside the range of the window messages above.
inline constexpr std::uint32_t kAgentControlConnect = 0x7A01;
inline constexpr std::uint32_t kAgentControlDisconnect = 0x7A02;
inline constexpr std::uint32_t kAgentControlEvent = 0x7A03;  // kind, value
// agent.ini changed: read it again (device choice, resolution). The result
// is 1 when a mouse is served afterwards.
inline constexpr std::uint32_t kAgentControlReconfigure = 0x7A04;
// Stop as on SIGTERM, after answering.
inline constexpr std::uint32_t kAgentControlStop = 0x7A05;
// A window listens (1) or no longer (0) for the served mouse's buttons.
inline constexpr std::uint32_t kAgentControlListen = 0x7A10;  // on, 0
// Presses (1) or releases (0) button N (1..12) of the served simulated mouse.
// The result is 1 when the simulated mouse took it.
inline constexpr std::uint32_t kAgentControlSimulateButton = 0x7A11;  // N, pressed

// programs.ini changed: read the rules again and serve what they say for
// the program in front now.
inline constexpr std::uint32_t kAgentControlProgramRules = 0x7A20;

// Name of the agent's single-instance lock in the endpoint folder.
inline constexpr std::string_view kAgentLockName = "Corvane_II_GamingMouse_HID";

}  // namespace vantix
