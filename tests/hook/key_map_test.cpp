// The hook's key map against the key names: every key the hook reports has a
// name and a HID usage, every named keyboard key is reported, and the keys
// that double keypad keys carry the E0 flag.
#include "hook/key_map.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "assign/key_names.h"

namespace vantix {
namespace {

std::string_view EnglishName(std::uint8_t code) { return KeyName(code, KeyLanguage::kEnglish); }

struct KeyCase {
  std::uint32_t evdev;
  std::string_view name;  // English key name of the KeyCode it must arrive as
  bool extended;
};

// Keys named by linux/input-event-codes.h; they include every key whose
// evdev number differs from its KeyCode.
constexpr KeyCase kKeyCases[] = {
    {1, "Esc", false},          {2, "1", false},
    {11, "0", false},           {16, "Q", false},
    {44, "Z", false},           {43, "\\", false},
    {28, "Enter", false},       {29, "LCtrl", false},
    {42, "LShift", false},      {54, "RShift", false},
    {56, "LAlt", false},        {58, "CapsLock", false},
    {59, "F1", false},          {68, "F10", false},
    {87, "F11", false},         {88, "F12", false},
    {70, "Scroll Lock", false}, {119, "Pause Break", false},
    {99, "Print Screen", true}, {110, "Insert", true},
    {111, "Delete", true},      {102, "Home", true},
    {107, "End", true},         {104, "Page Up", true},
    {109, "Page Down", true},   {103, "Up", true},
    {105, "Left", true},        {106, "Right", true},
    {108, "Down", true},        {97, "RCtrl", true},
    {100, "RAlt", true},        {125, "LWindows", true},
    {126, "RWindows", true},    {127, "App", true},
    {69, "Num Lock", false},    {98, "Num /", true},
    {55, "Num *", false},       {74, "Num -", false},
    {78, "Num +", false},       {96, "Num Enter", true},
    {83, "Num Del", false},     {82, "Num 0", false},
    {79, "Num 1", false},       {80, "Num 2", false},
    {81, "Num 3", false},       {75, "Num 4", false},
    {76, "Num 5", false},       {77, "Num 6", false},
    {71, "Num 7", false},       {72, "Num 8", false},
    {73, "Num 9", false},
};

TEST(HookKeyMap, KeysArriveAsTheirNamedKeyCode) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(testing::Message() << "evdev " << c.evdev);
    const auto key = hook::MapEvdevKey(c.evdev);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(EnglishName(key->code), c.name);
    EXPECT_EQ(key->extended, c.extended);
    // The X server numbers keys 8 higher.
    const auto x = hook::MapXKeycode(c.evdev + hook::kXKeycodeOffset);
    ASSERT_TRUE(x.has_value());
    EXPECT_EQ(x->code, key->code);
  }
  // The examples the program relies on.
  EXPECT_EQ(hook::MapEvdevKey(73)->code, 228);  // Num 9
  EXPECT_EQ(hook::MapEvdevKey(103)->code, 72);  // Up
  EXPECT_EQ(hook::MapEvdevKey(97)->code, 238);  // right Ctrl
}

TEST(HookKeyMap, KeysWithoutKeyCodeAreNotReported) {
  // 86: the extra key beside left Shift on ISO keyboards; 84: unused;
  // 117: keypad =; 183: F13; 240: unknown; beyond the table; X key codes
  // below 8 do not exist.
  for (std::uint32_t evdev : {0u, 84u, 86u, 117u, 183u, 240u, 255u, 256u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(hook::MapEvdevKey(evdev).has_value()) << evdev;
  }
  for (std::uint32_t x : {0u, 7u}) {
    EXPECT_FALSE(hook::MapXKeycode(x).has_value()) << x;
  }
}

TEST(HookKeyMap, ReportedKeysAreExactlyTheNamedKeyboardKeys) {
  std::set<int> reported;
  for (const hook::MappedKey& key : hook::kKeyMap) {
    SCOPED_TRACE(testing::Message() << "evdev " << key.evdev << " -> " << int(key.code));
    EXPECT_TRUE(reported.insert(key.code).second) << "KeyCode reported for two keys";
    EXPECT_FALSE(EnglishName(key.code).empty());
    // What a capturing dialog stores.
    EXPECT_TRUE(KeyCodeToUsage(key.code).has_value());
    EXPECT_TRUE(hook::IsReportedCode(key.code));
  }
  std::set<int> named;
  for (int code = 0; code < 256; ++code) {
    const bool mouse =
        code == kKeyLeftButton || code == kKeyRightButton || code == kKeyMiddleButton;
    if (!mouse && !EnglishName(static_cast<std::uint8_t>(code)).empty()) named.insert(code);
    if (reported.count(code) == 0) {
      EXPECT_FALSE(hook::IsReportedCode(code)) << code;
    }
  }
  EXPECT_EQ(reported, named);
  EXPECT_EQ(reported.size(), 104u);
}

TEST(HookKeyMap, ExtendedKeysAreTheE0KeysOfScanCodeSet1) {
  const std::set<std::string_view> e0 = {
      "Print Screen", "Insert",   "Delete",   "Home", "End",   "Page Up",
      "Page Down",    "Up",       "Down",     "Left", "Right", "RCtrl",
      "RAlt",         "LWindows", "RWindows", "App",  "Num /", "Num Enter"};
  std::set<std::string_view> extended;
  for (const hook::MappedKey& key : hook::kKeyMap) {
    if (key.extended) extended.insert(EnglishName(key.code));
  }
  EXPECT_EQ(extended, e0);
}

}  // namespace
}  // namespace vantix
