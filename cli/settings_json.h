// The settings block as one JSON object, for vantixctl show.
#pragma once

#include <string>

#include "settings/settings_block.h"

namespace vantix {

// One line: {"CurrentProfile": n, "Profiles": [...]}, fields under their
// INI names, in the order of the field table.
std::string SettingsToJson(const SettingsBlock& block);

}  // namespace vantix
