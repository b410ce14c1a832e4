// Key codes and their names, and the map between key codes and the USB HID
// keyboard usages that profiles and macros store.
//
// A key code is the set-1 make code of the key on a US layout (1..93), one
// of our own codes for keys that share a set-1 code (224..239), or a mouse
// button (240..242). The hook library delivers key codes; stored key data
// holds HID usages.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/ui_text.h"

namespace vantix {

using KeyCode = std::uint8_t;

inline constexpr KeyCode kKeyLeftShift = 42;
inline constexpr KeyCode kKeyRightShift = 54;
inline constexpr KeyCode kKeyLeftCtrl = 29;
inline constexpr KeyCode kKeyRightCtrl = 238;
inline constexpr KeyCode kKeyLeftWin = 91;
inline constexpr KeyCode kKeyRightWin = 92;
inline constexpr KeyCode kKeyLeftAlt = 56;
inline constexpr KeyCode kKeyRightAlt = 239;
inline constexpr KeyCode kKeyLeftButton = 240;
inline constexpr KeyCode kKeyRightButton = 241;
inline constexpr KeyCode kKeyMiddleButton = 242;

enum class KeyLanguage { kEnglish, kGerman };

// A German skin says so with [General] 500 = "GER" in "skins.ini".
inline constexpr std::string_view kLanguageSection = "General";
inline constexpr int kLanguageNumber = 500;
inline constexpr std::string_view kGermanMarker = "GER";

// The language of the skin, looked up afresh on every call. Anything but
// exactly "GER" (after the usual INI trimming) is English.
KeyLanguage KeyNameLanguage(const SkinStrings& strings);

// The name of a key in a language; empty for a code without a name.
std::string_view KeyName(KeyCode code, KeyLanguage language);
// The name in the skin's language, which is read on every call.
std::string_view KeyName(KeyCode code, const SkinStrings& strings);

// Nothing when the key code has no usage (mouse buttons, unnamed codes).
std::optional<std::uint8_t> KeyCodeToUsage(KeyCode code);
// Nothing when no key code maps to the usage.
std::optional<KeyCode> UsageToKeyCode(std::uint8_t usage);

}  // namespace vantix
