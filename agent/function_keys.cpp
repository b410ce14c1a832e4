#include "agent/function_keys.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <vector>

namespace vantix::agent {
namespace {

// hid-input's keyboard page table, usage 0x00..0xFF. The driver's own
// KEY_UNKNOWN entries are 0 here: a key no desktop can bind is nothing
// to send.
constexpr std::array<std::uint8_t, 256> kHidKeyboard = {
      0,   0,   0,   0,  30,  48,  46,  32,  18,  33,  34,  35,  23,  36,  37,  38,
     50,  49,  24,  25,  16,  19,  31,  20,  22,  47,  17,  45,  21,  44,   2,   3,
      4,   5,   6,   7,   8,   9,  10,  11,  28,   1,  14,  15,  57,  12,  13,  26,
     27,  43,  43,  39,  40,  41,  51,  52,  53,  58,  59,  60,  61,  62,  63,  64,
     65,  66,  67,  68,  87,  88,  99,  70, 119, 110, 102, 104, 111, 107, 109, 106,
    105, 108, 103,  69,  98,  55,  74,  78,  96,  79,  80,  81,  75,  76,  77,  71,
     72,  73,  82,  83,  86, 127, 116, 117, 183, 184, 185, 186, 187, 188, 189, 190,
    191, 192, 193, 194, 134, 138, 130, 132, 128, 129, 131, 137, 133, 135, 136, 113,
    115, 114,   0,   0,   0, 121,   0,  89,  93, 124,  92,  94,  95,   0,   0,   0,
    122, 123,  90,  91,  85,   0,   0,   0,   0,   0,   0,   0, 111,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0, 179, 180,   0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,   0,   0, 111,   0,   0,   0,   0,   0,   0,   0,
     29,  42,  56, 125,  97,  54, 100, 126, 164, 166, 165, 163, 161, 115, 114, 113,
    150, 158, 159, 128, 136, 177, 178, 176, 142, 152, 173, 140,   0,   0,   0,   0,
};

struct FunctionRow {
  int code;
  std::array<std::uint16_t, 2> keys;
  std::size_t count;
};

// The keys desktops bind to each action: the consumer keys of multimedia
// keyboards where one exists (GNOME, KDE and Xfce bind XF86WWW, XF86Mail and
// so on), the usual shortcut where none does.
constexpr std::array<FunctionRow, 26> kFunctionRows = {{
    {21, {KEY_LEFTCTRL, KEY_C}, 2},         // Copy
    {22, {KEY_LEFTCTRL, KEY_V}, 2},         // Paste
    {23, {KEY_LEFTCTRL, KEY_X}, 2},         // Cut
    {24, {KEY_LEFTCTRL, KEY_Z}, 2},         // Undo
    {25, {KEY_WWW}, 1},                     // browser
    {26, {KEY_MAIL}, 1},                    // mail
    {27, {KEY_CALC}, 1},                    // calculator
    {28, {KEY_FILE}, 1},                    // file manager (XF86Explorer)
    {29, {KEY_SEARCH}, 1},                  // search
    {30, {KEY_REFRESH}, 1},                 // refresh
    {31, {KEY_STOP}, 1},                    // stop
    {32, {KEY_HOMEPAGE}, 1},                // home page
    {33, {KEY_BOOKMARKS}, 1},               // favourites
    {34, {KEY_SCREENLOCK}, 1},              // screen lock (XF86ScreenSaver)
    {35, {KEY_LEFTMETA, KEY_D}, 2},         // show desktop: no key of its own
    {36, {KEY_LEFTCTRL, KEY_EQUAL}, 2},     // zoom in: Ctrl+= in browsers and editors
    {37, {KEY_LEFTCTRL, KEY_MINUS}, 2},     // zoom out
    {38, {KEY_LEFTALT, KEY_TAB}, 2},        // switch window: held, the switcher stays open
    {39, {KEY_PLAYPAUSE}, 1},
    {40, {KEY_STOPCD}, 1},
    {41, {KEY_PREVIOUSSONG}, 1},
    {42, {KEY_NEXTSONG}, 1},
    {43, {KEY_VOLUMEUP}, 1},
    {44, {KEY_VOLUMEDOWN}, 1},
    {45, {KEY_MUTE}, 1},
    {46, {KEY_MEDIA}, 1},                   // media player (XF86AudioMedia)
}};

std::vector<std::uint16_t> CollectTableKeys() {
  std::vector<std::uint16_t> keys;
  for (std::uint8_t key : kHidKeyboard) {
    if (key != 0) keys.push_back(key);
  }
  for (const FunctionRow& row : kFunctionRows) {
    keys.insert(keys.end(), row.keys.begin(), row.keys.begin() + static_cast<std::ptrdiff_t>(row.count));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  return keys;
}

}  // namespace

std::uint16_t UsageToLinuxKey(std::uint8_t usage) { return kHidKeyboard[usage]; }

std::span<const std::uint16_t> FunctionKeys(int function_code) {
  for (const FunctionRow& row : kFunctionRows) {
    if (row.code == function_code) return {row.keys.data(), row.count};
  }
  return {};
}

std::span<const std::uint16_t> TableKeys() {
  static const std::vector<std::uint16_t> keys = CollectTableKeys();
  return keys;
}

}  // namespace vantix::agent
