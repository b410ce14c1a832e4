// The labels of the function codes from the skin's "general.ini", the text
// each button shows, the repair of stale macro assignments, the rule that one
// button keeps the primary click, and the fallback code of each button.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/function_codes.h"
#include "settings/macro_model.h"
#include "settings/settings_block.h"
#include "settings/ui_text.h"

namespace vantix {

// The label of a single-key button whose usage has no key: "skins.ini"
// [General] 102, or the English word when the skin has none.
inline constexpr std::string_view kNoKeySection = "General";
inline constexpr int kNoKeyNumber = 102;
inline constexpr std::string_view kNoKeyFallback = "key";

// The code's own label; empty when the code is below 1 or the file, section
// or key is missing.
std::string FunctionLabel(int code, const SkinStrings& strings);

// The text of a key-combination record: its modifiers in the order Shift,
// Ctrl, Win, Alt, then its other key, joined by " + ".
std::string CombinationText(const ButtonRecord& record, const SkinStrings& strings);

// The text a button shows. A macro assignment shows the name its slot has in
// the index now, or the label of code 16 when the slot is empty or out of
// range; without any macro in the index it shows nothing.
std::string ButtonLabel(const ButtonRecord& record, const SkinStrings& strings,
                        const MacroSlots& slots);

// The twelve labels of a profile, in button order.
std::array<std::string, kButtonCount> ButtonLabels(const ProfileRecord& profile,
                                                   const SkinStrings& strings,
                                                   const MacroSlots& slots);

// Brings a macro assignment in line with the index: MacroName is rewritten
// from its slot, and an assignment whose slot is empty or out of range
// becomes code 16. Without any macro in the index (or without an index yet)
// the record is kept. Other records are left alone.
void RepairMacroAssignment(ButtonRecord& record, const MacroSlots& slots);

// The same for the twelve buttons of a profile.
void RepairMacroAssignments(ProfileRecord& profile, const MacroSlots& slots);

// Whether another button of the profile than `button` holds the primary
// click, so that `button` may take another function.
bool CanLeave(const ProfileRecord& profile, int button);

// The code a button gets when a capture dialog ends without a usable key;
// 0 for an index outside 0..11.
std::uint8_t FallbackFunction(int button);

}  // namespace vantix
