// Turning the hook library's client messages back into the program's window
// message WM_HOOK_KEY. The native event filter of the windows only hands the
// X event's fields to HookKeyMessage and dispatches what comes back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "hook/hook_protocol.h"
#include "settings/window_message.h"

namespace vantix {

// The fields of an X ClientMessage event (xcb_client_message_event_t) that
// matter here.
struct ClientMessage {
  std::uint32_t type = 0;  // atom
  std::uint8_t format = 0;
  std::array<std::uint32_t, 5> data{};  // data32
};

// WM_HOOK_KEY {wParam = KeyCode, lParam = flags} for a message from the hook
// library; nothing for any other client message. hook_atom is the atom of
// kHookMessageAtom on the receiving connection. Any client of the X server
// can send a window client messages, so only what the library itself sends
// is taken: a KeyCode that it reports and one of the four flag values.
std::optional<WindowMessage> HookKeyMessage(const ClientMessage& message, std::uint32_t hook_atom);

}  // namespace vantix
