// How the hook library reports a key to the capturing window: an X
// ClientMessage, format 32, whose type is the atom named kHookMessageAtom and
// whose data is l[0] = WM_HOOK_KEY, l[1] = KeyCode, l[2] = flags. The program
// turns it back into its window message WM_HOOK_KEY (wParam KeyCode, lParam
// flags).
#pragma once

#include <cstdint>

namespace vantix {

inline constexpr std::uint32_t WM_HOOK_KEY = 0x8D2;

inline constexpr char kHookMessageAtom[] = "VANTIX_WINDOW_MESSAGE";

// lParam bits. A press is 0 or kHookKeyExtended, a release 0x80 or 0x81.
inline constexpr std::uint32_t kHookKeyExtended = 0x01;  // E0 prefix in scan code set 1
inline constexpr std::uint32_t kHookKeyReleased = 0x80;

// Indexes into the 32-bit data of the client message.
inline constexpr int kHookDataMessage = 0;
inline constexpr int kHookDataKeyCode = 1;
inline constexpr int kHookDataFlags = 2;

}  // namespace vantix
