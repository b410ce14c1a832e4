// The Linux key code of each HID keyboard usage, as the kernel's HID driver
// reports it, for every key the dialogs and the recorder can store.
#include "agent/function_keys.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <algorithm>
#include <vector>

#include "assign/key_names.h"

namespace vantix::agent {
namespace {

TEST(UsageToLinuxKeyTest, MatchesTheKernelsKeyboardTable) {
  struct Case {
    std::uint8_t usage;
    std::uint16_t key;
  };
  const std::vector<Case> cases = {
      {0x04, KEY_A},          {0x1D, KEY_Z},           {0x1E, KEY_1},          {0x27, KEY_0},
      {0x28, KEY_ENTER},      {0x29, KEY_ESC},         {0x2C, KEY_SPACE},      {0x31, KEY_BACKSLASH},
      {0x32, KEY_BACKSLASH},  {0x35, KEY_GRAVE},       {0x39, KEY_CAPSLOCK},   {0x3A, KEY_F1},
      {0x45, KEY_F12},        {0x46, KEY_SYSRQ},       {0x48, KEY_PAUSE},      {0x4C, KEY_DELETE},
      {0x4F, KEY_RIGHT},      {0x52, KEY_UP},          {0x53, KEY_NUMLOCK},    {0x54, KEY_KPSLASH},
      {0x58, KEY_KPENTER},    {0x59, KEY_KP1},         {0x62, KEY_KP0},        {0x63, KEY_KPDOT},
      {0x64, KEY_102ND},      {0x65, KEY_COMPOSE},     {0x66, KEY_POWER},      {0x68, KEY_F13},
      {0x73, KEY_F24},        {0x7F, KEY_MUTE},        {0x85, KEY_KPCOMMA},    {0x87, KEY_RO},
      {0x9C, KEY_DELETE},     {0xB6, KEY_KPLEFTPAREN}, {0xD8, KEY_DELETE},     {0xE0, KEY_LEFTCTRL},
      {0xE1, KEY_LEFTSHIFT},  {0xE2, KEY_LEFTALT},     {0xE3, KEY_LEFTMETA},   {0xE4, KEY_RIGHTCTRL},
      {0xE5, KEY_RIGHTSHIFT}, {0xE6, KEY_RIGHTALT},    {0xE7, KEY_RIGHTMETA},  {0xE8, KEY_PLAYPAUSE},
      {0xF9, KEY_SCREENLOCK}, {0xFB, KEY_CALC},
      // Usages the driver ignores, or reports only as KEY_UNKNOWN.
      {0x00, 0}, {0x01, 0}, {0x03, 0}, {0x82, 0}, {0xA5, 0}, {0xFC, 0}, {0xFF, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(UsageToLinuxKey(c.usage), c.key) << std::hex << int{c.usage};
}

TEST(UsageToLinuxKeyTest, EveryStorableKeyHasALinuxKey) {
  std::vector<std::uint16_t> keys;
  for (int code = 0; code < 256; ++code) {
    const auto usage = KeyCodeToUsage(static_cast<KeyCode>(code));
    if (!usage) continue;
    const std::uint16_t key = UsageToLinuxKey(*usage);
    EXPECT_NE(key, 0) << "key code " << code;
    keys.push_back(key);
  }
  // One key each: no two stored keys type the same.
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  EXPECT_EQ(keys.size(), 104u);
}

TEST(TableKeysTest, HoldsEveryKeyOfBothTablesOnce) {
  const auto keys = TableKeys();
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  for (int usage = 0; usage < 256; ++usage) {
    const std::uint16_t key = UsageToLinuxKey(static_cast<std::uint8_t>(usage));
    if (key == 0) continue;
    EXPECT_TRUE(std::binary_search(keys.begin(), keys.end(), key)) << usage;
  }
  for (int code = 21; code <= 46; ++code) {
    for (std::uint16_t key : FunctionKeys(code)) {
      EXPECT_TRUE(std::binary_search(keys.begin(), keys.end(), key)) << code;
    }
  }
  EXPECT_TRUE(FunctionKeys(20).empty());
  EXPECT_TRUE(FunctionKeys(47).empty());
}

}  // namespace
}  // namespace vantix::agent
