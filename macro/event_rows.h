// The rows of the macro editor's event list: one per listed event, with the
// text the list shows and the item data that picks its arrow.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "assign/key_names.h"
#include "settings/macro_model.h"
#include "settings/ui_text.h"

namespace vantix {

// Item data of a row.
inline constexpr int kRowPlain = 0;      // a delay: no arrow, editable in place
inline constexpr int kRowRelease = 137;  // release arrow
inline constexpr int kRowPress = 138;    // press arrow

struct EventRow {
  std::string text;
  int item_data = kRowPlain;
  bool operator==(const EventRow&) const = default;
};

// 46 spaces, then the delay in milliseconds.
std::string DelayRowText(int milliseconds);
// 15 spaces, then the key's name in the skin's language.
std::string KeyRowText(KeyCode code, const SkinStrings& strings);
// 15 spaces, then the label of the mouse button: the label of function 1,
// 2 or 3 for the left, right or middle button, of the event type otherwise.
std::string MouseButtonRowText(const MacroEvent& event, const SkinStrings& strings);

// The row of a listed event; nothing for empty slots and unlisted types.
std::optional<EventRow> MakeEventRow(const MacroEvent& event, const SkinStrings& strings);
// The rows of every listed event of a block, in slot order.
std::vector<EventRow> EventRows(const MacroEventBlock& events, const SkinStrings& strings);

}  // namespace vantix
