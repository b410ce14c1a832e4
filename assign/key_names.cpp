#include "assign/key_names.h"

#include <array>
#include <cstddef>

namespace vantix {
namespace {

struct NamedKey {
  KeyCode code;
  std::string_view english;
  std::string_view german;  // empty: the same as English
};

// The German names follow the German layout: Y and Z swapped, umlauts on
// the punctuation keys.
constexpr NamedKey kNamedKeys[] = {
    {1, "Esc", "ESC"},
    {2, "1", ""}, {3, "2", ""}, {4, "3", ""}, {5, "4", ""}, {6, "5", ""},
    {7, "6", ""}, {8, "7", ""}, {9, "8", ""}, {10, "9", ""}, {11, "0", ""},
    {12, "-", "\u00DF"},
    {13, "=", "\u00B4"},
    {14, "Backspace", "R\u00FCcktaste"},
    {15, "Tab", "TABULATOR"},
    {16, "Q", ""}, {17, "W", ""}, {18, "E", ""}, {19, "R", ""}, {20, "T", ""},
    {21, "Y", "Z"},
    {22, "U", ""}, {23, "I", ""}, {24, "O", ""}, {25, "P", ""},
    {26, "[", "\u00FC"},
    {27, "]", "+"},
    {28, "Enter", "EINGABE"},
    {29, "LCtrl", "LStrg"},
    {30, "A", ""}, {31, "S", ""}, {32, "D", ""}, {33, "F", ""}, {34, "G", ""},
    {35, "H", ""}, {36, "J", ""}, {37, "K", ""}, {38, "L", ""},
    {39, ";", "\u00F6"},
    {40, "'", "\u00E4"},
    {41, "`", "^"},
    {42, "LShift", "LUmschalt"},
    {43, "\\", "#"},
    {44, "Z", "Y"},
    {45, "X", ""}, {46, "C", ""}, {47, "V", ""}, {48, "B", ""}, {49, "N", ""}, {50, "M", ""},
    {51, ",", ""},
    {52, ".", ""},
    {53, "/", "-"},
    {54, "RShift", "RUmschalt"},
    {55, "Print Screen", "Druck/S-Abf"},
    {56, "LAlt", ""},
    {57, "Space", "LEER"},
    {58, "CapsLock", "FESTSTELL"},
    {59, "F1", ""}, {60, "F2", ""}, {61, "F3", ""}, {62, "F4", ""}, {63, "F5", ""},
    {64, "F6", ""}, {65, "F7", ""}, {66, "F8", ""}, {67, "F9", ""}, {68, "F10", ""},
    {69, "Pause Break", "Pause/Untbr"},
    {70, "Scroll Lock", "Rollen"},
    {71, "Home", "Pos1"},
    {72, "Up", "Oben"},
    {73, "Page Up", "Bild nach oben"},
    {74, "Num -", ""},
    {75, "Left", "Links"},
    {76, "Num 5", ""},
    {77, "Right", "Rechts"},
    {78, "Num +", ""},
    {79, "End", "Ende"},
    {80, "Down", "Unten"},
    {81, "Page Down", "Bild nach unten"},
    {82, "Insert", "Einfg"},
    {83, "Delete", "Entf"},
    {87, "F11", ""},
    {88, "F12", ""},
    {91, "LWindows", "LWin"},
    {92, "RWindows", "RWin"},
    {93, "App", ""},
    {224, "Num Del", "Num entf"},
    {225, "Num Lock", ""},
    {226, "Num /", ""},
    {227, "Num *", ""},
    {228, "Num 9", ""},
    {229, "Num Enter", ""},
    {230, "Num 1", ""}, {231, "Num 2", ""}, {232, "Num 3", ""}, {233, "Num 4", ""},
    {234, "Num 6", ""}, {235, "Num 7", ""}, {236, "Num 8", ""},
    {237, "Num 0", ""},
    {238, "RCtrl", "RStrg"},
    {239, "RAlt", ""},
    {240, "Left Button", ""},
    {241, "Right Button", ""},
    {242, "Middle Button", ""},
};

struct KeyNames {
  std::string_view english;
  std::string_view german;
};

constexpr std::array<KeyNames, 256> BuildNameTable() {
  std::array<KeyNames, 256> table{};
  for (const NamedKey& key : kNamedKeys) {
    table[key.code] = {key.english, key.german.empty() ? key.english : key.german};
  }
  return table;
}
constexpr std::array<KeyNames, 256> kNames = BuildNameTable();

struct UsagePair {
  KeyCode code;
  std::uint8_t usage;
};

// Keyboard/Keypad page of the USB HID usage tables. The non-US keys (0x32,
// 0x64) have no key code; the mouse buttons have no usage.
constexpr UsagePair kUsagePairs[] = {
    // Letters A..Z.
    {30, 0x04}, {48, 0x05}, {46, 0x06}, {32, 0x07}, {18, 0x08}, {33, 0x09}, {34, 0x0A},
    {35, 0x0B}, {23, 0x0C}, {36, 0x0D}, {37, 0x0E}, {38, 0x0F}, {50, 0x10}, {49, 0x11},
    {24, 0x12}, {25, 0x13}, {16, 0x14}, {19, 0x15}, {31, 0x16}, {20, 0x17}, {22, 0x18},
    {47, 0x19}, {17, 0x1A}, {45, 0x1B}, {21, 0x1C}, {44, 0x1D},
    // Digits 1..9, 0.
    {2, 0x1E}, {3, 0x1F}, {4, 0x20}, {5, 0x21}, {6, 0x22}, {7, 0x23}, {8, 0x24}, {9, 0x25},
    {10, 0x26}, {11, 0x27},
    {28, 0x28}, {1, 0x29}, {14, 0x2A}, {15, 0x2B}, {57, 0x2C}, {12, 0x2D}, {13, 0x2E},
    {26, 0x2F}, {27, 0x30}, {43, 0x31}, {39, 0x33}, {40, 0x34}, {41, 0x35}, {51, 0x36},
    {52, 0x37}, {53, 0x38}, {58, 0x39},
    // F1..F12.
    {59, 0x3A}, {60, 0x3B}, {61, 0x3C}, {62, 0x3D}, {63, 0x3E}, {64, 0x3F}, {65, 0x40},
    {66, 0x41}, {67, 0x42}, {68, 0x43}, {87, 0x44}, {88, 0x45},
    // Print Screen .. Up.
    {55, 0x46}, {70, 0x47}, {69, 0x48}, {82, 0x49}, {71, 0x4A}, {73, 0x4B}, {83, 0x4C},
    {79, 0x4D}, {81, 0x4E}, {77, 0x4F}, {75, 0x50}, {80, 0x51}, {72, 0x52},
    // Keypad.
    {225, 0x53}, {226, 0x54}, {227, 0x55}, {74, 0x56}, {78, 0x57}, {229, 0x58}, {230, 0x59},
    {231, 0x5A}, {232, 0x5B}, {233, 0x5C}, {76, 0x5D}, {234, 0x5E}, {235, 0x5F}, {236, 0x60},
    {228, 0x61}, {237, 0x62}, {224, 0x63},
    {93, 0x65},
    // Modifiers.
    {29, 0xE0}, {42, 0xE1}, {56, 0xE2}, {91, 0xE3}, {238, 0xE4}, {54, 0xE5}, {239, 0xE6},
    {92, 0xE7},
};

}  // namespace

KeyLanguage KeyNameLanguage(const SkinStrings& strings) {
  return strings.UiText(kLanguageSection, kLanguageNumber) == kGermanMarker ? KeyLanguage::kGerman
                                                                            : KeyLanguage::kEnglish;
}

std::string_view KeyName(KeyCode code, KeyLanguage language) {
  const KeyNames& names = kNames[code];
  return language == KeyLanguage::kGerman ? names.german : names.english;
}

std::string_view KeyName(KeyCode code, const SkinStrings& strings) {
  return KeyName(code, KeyNameLanguage(strings));
}

std::optional<std::uint8_t> KeyCodeToUsage(KeyCode code) {
  for (const UsagePair& pair : kUsagePairs) {
    if (pair.code == code) return pair.usage;
  }
  return std::nullopt;
}

std::optional<KeyCode> UsageToKeyCode(std::uint8_t usage) {
  for (const UsagePair& pair : kUsagePairs) {
    if (pair.usage == usage) return pair.code;
  }
  return std::nullopt;
}

}  // namespace vantix
