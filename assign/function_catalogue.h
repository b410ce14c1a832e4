// The function codes of the mouse buttons: their labels from the skin's
// "general.ini", the text each button shows, the rule that one button keeps
// the primary click, and the fallback code of each button.
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

// Where a code's label lives in "general.ini".
struct FunctionLabelKey {
  std::string_view section;
  int number;
  bool operator==(const FunctionLabelKey&) const = default;
};
// Nothing for a code below 1. There is no upper bound: codes past the scroll
// functions keep counting on in "SCROLL".
std::optional<FunctionLabelKey> LabelKeyOf(int code);

// The code's own label; empty when the code is below 1 or the file, section
// or key is missing.
std::string FunctionLabel(int code, const SkinStrings& strings);

// Codes that only open a sub-menu and are never stored.
bool IsGroupHead(int code);

// The text of a key-combination record: its modifiers in the order Shift,
// Ctrl, Win, Alt, then its other key, joined by " + ".
std::string CombinationText(const ButtonRecord& record, const SkinStrings& strings);

// The text a button shows. A macro assignment takes its name afresh from the
// index slots: MacroName is rewritten, and an assignment whose slot is empty
// or out of range becomes code 16.
std::string ButtonLabel(ButtonRecord& record, const SkinStrings& strings, const MacroSlots& slots);

// The twelve labels of a profile, in button order.
std::array<std::string, kButtonCount> ButtonLabels(ProfileRecord& profile,
                                                   const SkinStrings& strings,
                                                   const MacroSlots& slots);

// Whether another button of the profile than `button` holds the primary
// click, so that `button` may take another function.
bool CanLeave(const ProfileRecord& profile, int button);

// The code a button gets when a capture dialog ends without a usable key;
// 0 for an index outside 0..11.
std::uint8_t FallbackFunction(int button);

}  // namespace vantix
