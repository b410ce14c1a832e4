// What a choice in a button's assignment menu does to the button, as data:
// the profile, the button and the pick go in; the new record and the dialog
// the window must open come out. The dialogs' answers go through the rules
// below, so that the window only runs dialogs and shows results.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "settings/function_codes.h"
#include "settings/settings_block.h"

namespace vantix {

// The menu's choice: the value of the top-level item, and the value of the
// sub-item and its place in the sub-menu where the item has one.
struct MenuPick {
  int item = 0;
  int sub_value = 0;
  int sub_index = 0;
  // The chosen macro's repeat count (its file's "LoopTime"): read by the
  // caller for a macro pick, 1 for a macro without a file or a count.
  std::int32_t macro_loop = 1;
};

// The macro sub-menu's entry that opens the editor, known by its place so
// that every macro (the twelfth's value is 11 too) can be chosen.
inline constexpr int kMacroEditorEntry = 0;

enum class PickDialog {
  kNone,            // the record is the answer
  kPrimaryClickWarning,  // no other button holds the primary click
  kFireKey,
  kSingleKey,
  kKeyCombination,
  kMacroEditor,
};

struct PickOutcome {
  ButtonRecord record;
  PickDialog dialog = PickDialog::kNone;
  bool operator==(const PickOutcome&) const = default;
};

// The pick for button (0..11) of profile; a button outside 0..11 is left
// alone (its record comes back empty, no dialog).
PickOutcome PickFunction(const ProfileRecord& profile, int button, const MenuPick& pick);

// What a key-capturing dialog ended with: how many keys, the one key (none
// when the user cleared it) and the combination's event block.
struct CapturedKeys {
  int count = 0;
  std::optional<std::uint8_t> key;
  std::array<std::uint8_t, kKeyEventBytes> events{};
};

// The single-key dialog accepted: one key is stored, a cleared key gives the
// button its fallback function, any other count changes nothing.
ButtonRecord AfterSingleKey(const ButtonRecord& record, int button, const CapturedKeys& keys);

// The combination dialog accepted: one key becomes a single key (a cleared
// one changes nothing), two to five keys the combination, anything else the
// button's fallback function.
ButtonRecord AfterKeyCombination(const ButtonRecord& record, int button,
                                 const CapturedKeys& keys);

}  // namespace vantix
