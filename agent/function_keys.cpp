#include "agent/function_keys.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <vector>

#include "settings/function_codes.h"

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
constexpr std::array kFunctionRows = std::to_array<FunctionRow>({
    {kCopyFunction, {KEY_LEFTCTRL, KEY_C}, 2},
    {kPasteFunction, {KEY_LEFTCTRL, KEY_V}, 2},
    {kCutFunction, {KEY_LEFTCTRL, KEY_X}, 2},
    {kUndoFunction, {KEY_LEFTCTRL, KEY_Z}, 2},
    {kBrowserFunction, {KEY_WWW}, 1},
    {kMailFunction, {KEY_MAIL}, 1},
    {kCalculatorFunction, {KEY_CALC}, 1},
    {kFileManagerFunction, {KEY_FILE}, 1},  // XF86Explorer
    {kSearchFunction, {KEY_SEARCH}, 1},
    {kRefreshFunction, {KEY_REFRESH}, 1},
    {kStopLoadingFunction, {KEY_STOP}, 1},
    {kHomePageFunction, {KEY_HOMEPAGE}, 1},
    {kFavouritesFunction, {KEY_BOOKMARKS}, 1},
    {kLockScreenFunction, {KEY_SCREENLOCK}, 1},  // XF86ScreenSaver
    {kShowDesktopFunction, {KEY_LEFTMETA, KEY_D}, 2},  // no key of its own
    {kZoomInFunction, {KEY_LEFTCTRL, KEY_EQUAL}, 2},  // Ctrl+= in browsers and editors
    {kZoomOutFunction, {KEY_LEFTCTRL, KEY_MINUS}, 2},
    {kSwitchWindowFunction, {KEY_LEFTALT, KEY_TAB}, 2},  // held, the switcher stays open
    {kPlayPauseFunction, {KEY_PLAYPAUSE}, 1},
    {kMediaStopFunction, {KEY_STOPCD}, 1},
    {kPreviousTrackFunction, {KEY_PREVIOUSSONG}, 1},
    {kNextTrackFunction, {KEY_NEXTSONG}, 1},
    {kVolumeUpFunction, {KEY_VOLUMEUP}, 1},
    {kVolumeDownFunction, {KEY_VOLUMEDOWN}, 1},
    {kMuteFunction, {KEY_MUTE}, 1},
    {kMediaPlayerFunction, {KEY_MEDIA}, 1},  // XF86AudioMedia
});

// Exactly the codes whose action is a shortcut have keys here, once each.
static_assert([] {
  std::size_t matched = 0;
  for (const FunctionInfo& info : kFunctionTable) {
    std::size_t rows = 0;
    for (const FunctionRow& row : kFunctionRows) {
      if (row.code == info.code && row.count > 0) ++rows;
    }
    if (rows != (info.action == AgentAction::kShortcut ? 1u : 0u)) return false;
    matched += rows;
  }
  return matched == kFunctionRows.size();
}(), "one row of keys for each shortcut code, and none for any other");

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
