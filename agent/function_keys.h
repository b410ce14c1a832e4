// The key tables of the mapping: which Linux key code a stored HID keyboard
// usage becomes, and which keys the catalogue's key-sending functions press.
#pragma once

#include <cstdint>
#include <span>

namespace vantix::agent {

// The Linux key code the kernel's HID driver reports for a keyboard usage,
// so a key sent by the agent is the key a USB keyboard would give. 0 for a
// usage the driver ignores or reports only as KEY_UNKNOWN.
std::uint16_t UsageToLinuxKey(std::uint8_t usage);

// The keys a catalogue function presses, in press order, held while its
// button is held: those of the codes whose action is a shortcut (copy and
// paste, the desktop actions, the media keys). Empty for any other code.
std::span<const std::uint16_t> FunctionKeys(int function_code);

// Every distinct key code of the two tables above, ascending.
std::span<const std::uint16_t> TableKeys();

}  // namespace vantix::agent
