// The mouse's own resolution from the udev hardware database: udev records
// MOUSE_DPI for the mice it knows in its database entry of the event node
// (/run/udev/data/c13:N), e.g. "MOUSE_DPI=400 *800@125 1600", the default
// marked with '*' and each value maybe with its report rate after '@'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantix::agent {

inline constexpr std::string_view kUdevDataFolder = "/run/udev/data";

// The resolution of one MOUSE_DPI value: the starred entry, else the only
// or first one; nothing when it holds no resolution from 100 to 50000.
std::optional<int> ParseMouseDpi(std::string_view value);

// MOUSE_DPI of the event node's entry in the udev database; nothing when
// the node, the entry or the property is missing.
std::optional<int> UdevMouseDpi(const std::string& event_node,
                                const std::string& data_folder = std::string(kUdevDataFolder));

}  // namespace vantix::agent
