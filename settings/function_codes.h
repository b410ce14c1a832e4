// The function codes a button record stores (ButtonFunc), in one table: for
// each code what kind of choice it is, where its label lives in the skin's
// "general.ini", where the assignment menu shows it and what the device
// agent does with it; and how the record encodes a fire key and a
// combination. The profile files, the window, the device agent and
// vantixctl all read them from here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vantix {

inline constexpr int kPrimaryClickFunction = 1;
inline constexpr int kRightClickFunction = 2;
inline constexpr int kMiddleClickFunction = 3;
inline constexpr int kForwardFunction = 4;
inline constexpr int kBackFunction = 5;
inline constexpr int kSingleKeyFunction = 6;
inline constexpr int kKeyCombinationFunction = 7;
inline constexpr int kBasicGroupFunction = 8;
inline constexpr int kAdvancedGroupFunction = 9;
inline constexpr int kMediaGroupFunction = 10;
inline constexpr int kMacroFunction = 11;
inline constexpr int kFireKeyFunction = 12;
inline constexpr int kDpiGroupFunction = 13;
inline constexpr int kDoubleClickFunction = 14;
inline constexpr int kRateGroupFunction = 15;
inline constexpr int kDisabledFunction = 16;
// Also what a macro assignment becomes when its macro is gone.
inline constexpr int kMacroGoneFunction = kDisabledFunction;
inline constexpr int kScrollUpFunction = 17;
inline constexpr int kScrollDownFunction = 18;
inline constexpr int kTiltLeftFunction = 19;
inline constexpr int kTiltRightFunction = 20;
inline constexpr int kCopyFunction = 21;
inline constexpr int kPasteFunction = 22;
inline constexpr int kCutFunction = 23;
inline constexpr int kUndoFunction = 24;
inline constexpr int kBrowserFunction = 25;
inline constexpr int kMailFunction = 26;
inline constexpr int kCalculatorFunction = 27;
inline constexpr int kFileManagerFunction = 28;
inline constexpr int kSearchFunction = 29;
inline constexpr int kRefreshFunction = 30;
inline constexpr int kStopLoadingFunction = 31;
inline constexpr int kHomePageFunction = 32;
inline constexpr int kFavouritesFunction = 33;
inline constexpr int kLockScreenFunction = 34;
inline constexpr int kShowDesktopFunction = 35;
inline constexpr int kZoomInFunction = 36;
inline constexpr int kZoomOutFunction = 37;
inline constexpr int kSwitchWindowFunction = 38;
inline constexpr int kPlayPauseFunction = 39;
inline constexpr int kMediaStopFunction = 40;
inline constexpr int kPreviousTrackFunction = 41;
inline constexpr int kNextTrackFunction = 42;
inline constexpr int kVolumeUpFunction = 43;
inline constexpr int kVolumeDownFunction = 44;
inline constexpr int kMuteFunction = 45;
inline constexpr int kMediaPlayerFunction = 46;
inline constexpr int kDpiUpFunction = 47;
inline constexpr int kDpiDownFunction = 48;
inline constexpr int kDpiCycleFunction = 49;
inline constexpr int kRateUpFunction = 50;
inline constexpr int kRateDownFunction = 51;
inline constexpr int kWheelUpFunction = 52;
inline constexpr int kWheelDownFunction = 53;
inline constexpr int kWheelClickFunction = 54;
inline constexpr int kLastFunction = kWheelClickFunction;

// What choosing a code means to the window.
enum class FunctionKind : std::uint8_t {
  kPlain,           // stored as chosen
  kGroupHead,       // only opens a sub-menu; never stored
  kSingleKey,       // the key dialog, one key
  kKeyCombination,  // the key dialog, two to five keys
  kMacro,           // a macro of the index, or the editor
  kFireKey,         // the fire-key dialog
};

// What the device agent does while the button is held.
enum class AgentAction : std::uint8_t {
  kOwnButton,  // nothing of its own to send: the button stays itself
  kNothing,    // nothing, on purpose
  kLeftButton,
  kRightButton,
  kMiddleButton,
  kForwardButton,
  kBackButton,
  kSingleKey,
  kKeyCombination,
  kMacro,
  kFireKey,
  kDoubleClick,
  kWheelUp,
  kWheelDown,
  kTiltLeft,
  kTiltRight,
  kDpiStep,  // up, down or cycle by the code
  kShortcut,  // the keys desktops bind to the action
};

// Where a code's label lives in "general.ini".
struct FunctionLabelKey {
  std::string_view section;
  int number;
  bool operator==(const FunctionLabelKey&) const = default;
};

// Where the assignment menu shows a code: its top-level item (from 0), and
// its row in that item's sub-menu or kTopLevel.
struct MenuPlace {
  static constexpr int kTopLevel = -1;
  static constexpr int kNotShown = -1;
  int item = kNotShown;
  int row = kTopLevel;
  constexpr bool Shown() const { return item != kNotShown; }
  bool operator==(const MenuPlace&) const = default;
};

struct FunctionInfo {
  int code;
  FunctionKind kind;
  FunctionLabelKey label;
  MenuPlace menu;
  AgentAction action;
};

namespace function_table_detail {

using K = FunctionKind;
using A = AgentAction;
constexpr MenuPlace Top(int item) { return {item, MenuPlace::kTopLevel}; }
constexpr MenuPlace Sub(int item, int row) { return {item, row}; }
constexpr MenuPlace kHidden{};

}  // namespace function_table_detail

// Row code - 1 is the code's. The menu lists the top-level items in code
// order, each group's sub-menu in code order too; the macro item's sub-menu
// is the editor and the index, not codes.
inline constexpr std::array<FunctionInfo, kLastFunction> kFunctionTable = [] {
  using namespace function_table_detail;
  return std::array<FunctionInfo, kLastFunction>{{
      {kPrimaryClickFunction, K::kPlain, {"FUNCTION_STRING", 1}, Top(0), A::kLeftButton},
      {kRightClickFunction, K::kPlain, {"FUNCTION_STRING", 2}, Top(1), A::kRightButton},
      {kMiddleClickFunction, K::kPlain, {"FUNCTION_STRING", 3}, Top(2), A::kMiddleButton},
      {kForwardFunction, K::kPlain, {"FUNCTION_STRING", 4}, Top(3), A::kForwardButton},
      {kBackFunction, K::kPlain, {"FUNCTION_STRING", 5}, Top(4), A::kBackButton},
      {kSingleKeyFunction, K::kSingleKey, {"FUNCTION_STRING", 6}, Top(5), A::kSingleKey},
      {kKeyCombinationFunction, K::kKeyCombination, {"FUNCTION_STRING", 7}, Top(6),
       A::kKeyCombination},
      {kBasicGroupFunction, K::kGroupHead, {"FUNCTION_STRING", 8}, Top(7), A::kOwnButton},
      {kAdvancedGroupFunction, K::kGroupHead, {"FUNCTION_STRING", 9}, Top(8), A::kOwnButton},
      {kMediaGroupFunction, K::kGroupHead, {"FUNCTION_STRING", 10}, Top(9), A::kOwnButton},
      {kMacroFunction, K::kMacro, {"FUNCTION_STRING", 11}, Top(10), A::kMacro},
      {kFireKeyFunction, K::kFireKey, {"FUNCTION_STRING", 12}, Top(11), A::kFireKey},
      {kDpiGroupFunction, K::kGroupHead, {"FUNCTION_STRING", 13}, Top(12), A::kOwnButton},
      {kDoubleClickFunction, K::kPlain, {"FUNCTION_STRING", 14}, Top(13), A::kDoubleClick},
      {kRateGroupFunction, K::kGroupHead, {"FUNCTION_STRING", 15}, Top(14), A::kOwnButton},
      {kDisabledFunction, K::kPlain, {"FUNCTION_STRING", 16}, Top(15), A::kNothing},
      {kScrollUpFunction, K::kPlain, {"BASIC", 1}, Sub(7, 0), A::kWheelUp},
      {kScrollDownFunction, K::kPlain, {"BASIC", 2}, Sub(7, 1), A::kWheelDown},
      {kTiltLeftFunction, K::kPlain, {"BASIC", 3}, Sub(7, 2), A::kTiltLeft},
      {kTiltRightFunction, K::kPlain, {"BASIC", 4}, Sub(7, 3), A::kTiltRight},
      {kCopyFunction, K::kPlain, {"BASIC", 5}, Sub(7, 4), A::kShortcut},
      {kPasteFunction, K::kPlain, {"BASIC", 6}, Sub(7, 5), A::kShortcut},
      {kCutFunction, K::kPlain, {"BASIC", 7}, Sub(7, 6), A::kShortcut},
      {kUndoFunction, K::kPlain, {"BASIC", 8}, Sub(7, 7), A::kShortcut},
      {kBrowserFunction, K::kPlain, {"ADVANCED", 1}, Sub(8, 0), A::kShortcut},
      {kMailFunction, K::kPlain, {"ADVANCED", 2}, Sub(8, 1), A::kShortcut},
      {kCalculatorFunction, K::kPlain, {"ADVANCED", 3}, Sub(8, 2), A::kShortcut},
      {kFileManagerFunction, K::kPlain, {"ADVANCED", 4}, Sub(8, 3), A::kShortcut},
      {kSearchFunction, K::kPlain, {"ADVANCED", 5}, Sub(8, 4), A::kShortcut},
      {kRefreshFunction, K::kPlain, {"ADVANCED", 6}, Sub(8, 5), A::kShortcut},
      {kStopLoadingFunction, K::kPlain, {"ADVANCED", 7}, Sub(8, 6), A::kShortcut},
      {kHomePageFunction, K::kPlain, {"ADVANCED", 8}, Sub(8, 7), A::kShortcut},
      {kFavouritesFunction, K::kPlain, {"ADVANCED", 9}, Sub(8, 8), A::kShortcut},
      {kLockScreenFunction, K::kPlain, {"ADVANCED", 10}, Sub(8, 9), A::kShortcut},
      {kShowDesktopFunction, K::kPlain, {"ADVANCED", 11}, Sub(8, 10), A::kShortcut},
      {kZoomInFunction, K::kPlain, {"ADVANCED", 12}, Sub(8, 11), A::kShortcut},
      {kZoomOutFunction, K::kPlain, {"ADVANCED", 13}, Sub(8, 12), A::kShortcut},
      {kSwitchWindowFunction, K::kPlain, {"ADVANCED", 14}, Sub(8, 13), A::kShortcut},
      {kPlayPauseFunction, K::kPlain, {"MEDIA", 1}, Sub(9, 0), A::kShortcut},
      {kMediaStopFunction, K::kPlain, {"MEDIA", 2}, Sub(9, 1), A::kShortcut},
      {kPreviousTrackFunction, K::kPlain, {"MEDIA", 3}, Sub(9, 2), A::kShortcut},
      {kNextTrackFunction, K::kPlain, {"MEDIA", 4}, Sub(9, 3), A::kShortcut},
      {kVolumeUpFunction, K::kPlain, {"MEDIA", 5}, Sub(9, 4), A::kShortcut},
      {kVolumeDownFunction, K::kPlain, {"MEDIA", 6}, Sub(9, 5), A::kShortcut},
      {kMuteFunction, K::kPlain, {"MEDIA", 7}, Sub(9, 6), A::kShortcut},
      {kMediaPlayerFunction, K::kPlain, {"MEDIA", 8}, Sub(9, 7), A::kShortcut},
      {kDpiUpFunction, K::kPlain, {"DPI", 1}, Sub(12, 0), A::kDpiStep},
      {kDpiDownFunction, K::kPlain, {"DPI", 2}, Sub(12, 1), A::kDpiStep},
      {kDpiCycleFunction, K::kPlain, {"DPI", 3}, Sub(12, 2), A::kDpiStep},
      // The report rate belongs to the mouse's firmware, which the input
      // layer cannot reach.
      {kRateUpFunction, K::kPlain, {"RATE", 1}, Sub(14, 0), A::kNothing},
      {kRateDownFunction, K::kPlain, {"RATE", 2}, Sub(14, 1), A::kNothing},
      // Stored by the mouse's own tools; the menu never offers them.
      {kWheelUpFunction, K::kPlain, {"SCROLL", 1}, kHidden, A::kWheelUp},
      {kWheelDownFunction, K::kPlain, {"SCROLL", 2}, kHidden, A::kWheelDown},
      {kWheelClickFunction, K::kPlain, {"SCROLL", 3}, kHidden, A::kMiddleButton},
  }};
}();

static_assert([] {
  for (std::size_t i = 0; i < kFunctionTable.size(); ++i) {
    if (kFunctionTable[i].code != static_cast<int>(i) + 1) return false;
  }
  return true;
}(), "each code sits in row code - 1");

// The menu adds its items and each sub-menu's entries in table order, so the
// places count up in that order, and only a group head has a sub-menu.
static_assert([] {
  int items = 0;
  std::array<int, kLastFunction> rows{};
  for (const FunctionInfo& info : kFunctionTable) {
    if (!info.menu.Shown()) continue;
    if (info.menu.row == MenuPlace::kTopLevel) {
      if (info.menu.item != items++) return false;
      continue;
    }
    if (info.menu.item < 0 || info.menu.item >= kLastFunction) return false;
    const FunctionInfo& head = kFunctionTable[static_cast<std::size_t>(info.menu.item)];
    if (head.kind != FunctionKind::kGroupHead || head.menu.item != info.menu.item) return false;
    if (info.menu.row != rows[static_cast<std::size_t>(info.menu.item)]++) return false;
  }
  return true;
}(), "menu places count up in table order");

// The code's row; nothing outside 1..kLastFunction.
constexpr const FunctionInfo* FindFunction(int code) {
  if (code < 1 || code > kLastFunction) return nullptr;
  return &kFunctionTable[static_cast<std::size_t>(code - 1)];
}

// Where the code's label lives. Nothing below 1; past the table, codes keep
// counting on in the last section.
constexpr std::optional<FunctionLabelKey> LabelKeyOf(int code) {
  if (code < 1) return std::nullopt;
  if (const FunctionInfo* info = FindFunction(code)) return info->label;
  const FunctionLabelKey last = kFunctionTable.back().label;
  return FunctionLabelKey{last.section, last.number + code - kLastFunction};
}

// Codes that only open a sub-menu and are never stored.
constexpr bool IsGroupHead(int code) {
  const FunctionInfo* info = FindFunction(code);
  return info != nullptr && info->kind == FunctionKind::kGroupHead;
}

// The device agent's action; kOwnButton for any code outside the table.
constexpr AgentAction AgentActionOf(int code) {
  const FunctionInfo* info = FindFunction(code);
  return info != nullptr ? info->action : AgentAction::kOwnButton;
}

// The number of top-level items of the assignment menu.
inline constexpr int kMenuItemCount = [] {
  int count = 0;
  for (const FunctionInfo& info : kFunctionTable) {
    if (info.menu.Shown() && info.menu.row == MenuPlace::kTopLevel) ++count;
  }
  return count;
}();

// The encodings of the record's KeyEvents (three bytes an event).
inline constexpr std::size_t kKeyEventSize = 3;
// Byte 0 of a fire key's first event: a keyboard usage, or one of the three
// mouse buttons.
inline constexpr std::uint8_t kFireLeftButton = 0xF0;
inline constexpr std::uint8_t kFireRightButton = 0xF1;
inline constexpr std::uint8_t kFireMiddleButton = 0xF2;
// Byte 1 of every combination event; byte 2 tells press from release.
inline constexpr std::uint8_t kCombinationEventKind = 5;
inline constexpr std::uint8_t kCombinationPress = 0x80;
inline constexpr std::uint8_t kCombinationRelease = 0x00;

}  // namespace vantix
