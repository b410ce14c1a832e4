// Which key a raw keyboard event stands for. X key codes are evdev key codes
// plus 8; the capturing windows want the program's KeyCode numbering (the
// set-1 make code of the key on a US layout, our own 224..239 for keys that
// share a set-1 code) and whether set 1 sends the key with the E0 prefix.
//
// Header only: the hook library, the program's message check and the tests
// read the same table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vantix::hook {

inline constexpr std::uint32_t kXKeycodeOffset = 8;

struct MappedKey {
  std::uint16_t evdev;  // KEY_* of linux/input-event-codes.h
  std::uint8_t code;    // KeyCode
  bool extended;        // E0 prefix in scan code set 1
};

// Every key of a PC keyboard (104/105 keys with the numeric keypad) that has
// a KeyCode. Keys without one, such as the extra key beside left Shift on
// ISO keyboards (evdev 86), are left out and never reported. Pause is sent
// with the E1 prefix, not E0, so it is not extended.
// clang-format off
inline constexpr MappedKey kKeyMap[] = {
    // Main block: evdev numbers are the set-1 make codes here.
    {1, 1, false},    // Esc
    {2, 2, false},    {3, 3, false},   {4, 4, false},   {5, 5, false},   {6, 6, false},
    {7, 7, false},    {8, 8, false},   {9, 9, false},   {10, 10, false}, {11, 11, false},
    {12, 12, false},  // -
    {13, 13, false},  // =
    {14, 14, false},  // Backspace
    {15, 15, false},  // Tab
    {16, 16, false},  {17, 17, false}, {18, 18, false}, {19, 19, false}, {20, 20, false},
    {21, 21, false},  {22, 22, false}, {23, 23, false}, {24, 24, false}, {25, 25, false},
    {26, 26, false},  // [
    {27, 27, false},  // ]
    {28, 28, false},  // Enter
    {29, 29, false},  // left Ctrl
    {30, 30, false},  {31, 31, false}, {32, 32, false}, {33, 33, false}, {34, 34, false},
    {35, 35, false},  {36, 36, false}, {37, 37, false}, {38, 38, false},
    {39, 39, false},  // ;
    {40, 40, false},  // '
    {41, 41, false},  // `
    {42, 42, false},  // left Shift
    {43, 43, false},  // backslash; the key left of Enter on ISO keyboards
    {44, 44, false},  {45, 45, false}, {46, 46, false}, {47, 47, false}, {48, 48, false},
    {49, 49, false},  {50, 50, false},
    {51, 51, false},  // ,
    {52, 52, false},  // .
    {53, 53, false},  // /
    {54, 54, false},  // right Shift
    {56, 56, false},  // left Alt
    {57, 57, false},  // Space
    {58, 58, false},  // Caps Lock
    {59, 59, false},  {60, 60, false}, {61, 61, false}, {62, 62, false}, {63, 63, false},
    {64, 64, false},  {65, 65, false}, {66, 66, false}, {67, 67, false}, {68, 68, false},
    {87, 87, false},  // F11
    {88, 88, false},  // F12
    {70, 70, false},  // Scroll Lock
    {119, 69, false},  // Pause
    {99, 55, true},    // Print Screen
    // Navigation block: the set-1 codes of the keypad keys they double.
    {110, 82, true},  // Insert
    {111, 83, true},  // Delete
    {102, 71, true},  // Home
    {107, 79, true},  // End
    {104, 73, true},  // Page Up
    {109, 81, true},  // Page Down
    {103, 72, true},  // Up
    {105, 75, true},  // Left
    {106, 77, true},  // Right
    {108, 80, true},  // Down
    // Right-hand modifiers, Windows and menu keys.
    {97, 238, true},   // right Ctrl
    {100, 239, true},  // right Alt
    {125, 91, true},   // left Windows
    {126, 92, true},   // right Windows
    {127, 93, true},   // menu (application)
    // Numeric keypad: own codes for the keys whose set-1 code the navigation
    // keys, Print Screen and Pause already use.
    {69, 225, false},  // Num Lock
    {98, 226, true},   // Num /
    {55, 227, false},  // Num *
    {74, 74, false},   // Num -
    {78, 78, false},   // Num +
    {96, 229, true},   // Num Enter
    {83, 224, false},  // Num Del
    {82, 237, false},  // Num 0
    {79, 230, false},  // Num 1
    {80, 231, false},  // Num 2
    {81, 232, false},  // Num 3
    {75, 233, false},  // Num 4
    {76, 76, false},   // Num 5
    {77, 234, false},  // Num 6
    {71, 235, false},  // Num 7
    {72, 236, false},  // Num 8
    {73, 228, false},  // Num 9
};
// clang-format on

namespace detail {

struct KeySlot {
  bool mapped = false;
  std::uint8_t code = 0;
  bool extended = false;
};

inline constexpr std::size_t kEvdevSlots = 256;

constexpr std::array<KeySlot, kEvdevSlots> BuildEvdevTable() {
  std::array<KeySlot, kEvdevSlots> table{};
  for (const MappedKey& key : kKeyMap) table[key.evdev] = {true, key.code, key.extended};
  return table;
}
inline constexpr std::array<KeySlot, kEvdevSlots> kEvdevTable = BuildEvdevTable();

constexpr std::array<bool, 256> BuildCodeTable() {
  std::array<bool, 256> table{};
  for (const MappedKey& key : kKeyMap) table[key.code] = true;
  return table;
}
inline constexpr std::array<bool, 256> kReportedCodes = BuildCodeTable();

// A key listed twice, or two keys with one code, would make a report
// ambiguous; the table builders above would silently keep the last entry.
constexpr bool IsOneToOne() {
  std::array<bool, kEvdevSlots> evdev_seen{};
  std::array<bool, 256> code_seen{};
  for (const MappedKey& key : kKeyMap) {
    if (key.evdev >= kEvdevSlots || evdev_seen[key.evdev] || code_seen[key.code]) return false;
    evdev_seen[key.evdev] = true;
    code_seen[key.code] = true;
  }
  return true;
}
static_assert(IsOneToOne(), "every key and every KeyCode appears once in kKeyMap");

}  // namespace detail

struct ReportedKey {
  std::uint8_t code;
  bool extended;
};

// Nothing for a key without a KeyCode.
constexpr std::optional<ReportedKey> MapEvdevKey(std::uint32_t evdev) {
  if (evdev >= detail::kEvdevSlots || !detail::kEvdevTable[evdev].mapped) return std::nullopt;
  const detail::KeySlot& slot = detail::kEvdevTable[evdev];
  return ReportedKey{slot.code, slot.extended};
}

constexpr std::optional<ReportedKey> MapXKeycode(std::uint32_t x_keycode) {
  if (x_keycode < kXKeycodeOffset) return std::nullopt;
  return MapEvdevKey(x_keycode - kXKeycodeOffset);
}

// Whether the library ever reports this KeyCode.
constexpr bool IsReportedCode(std::uint32_t code) {
  return code < detail::kReportedCodes.size() && detail::kReportedCodes[code];
}

}  // namespace vantix::hook
