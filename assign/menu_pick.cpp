#include "assign/menu_pick.h"

#include "assign/function_catalogue.h"

namespace vantix {

PickOutcome PickFunction(const ProfileRecord& profile, int button, const MenuPick& pick) {
  if (button < 0 || button >= kButtonCount) return {};
  PickOutcome out{profile.Buttons[static_cast<std::size_t>(button)], PickDialog::kNone};
  // One button must keep the primary click; choosing it again is no change.
  if (!CanLeave(profile, button)) {
    if (pick.item != kPrimaryClickFunction) out.dialog = PickDialog::kPrimaryClickWarning;
    return out;
  }
  ButtonRecord& record = out.record;
  switch (pick.item) {
    case kFireKeyFunction:
      out.dialog = PickDialog::kFireKey;
      break;
    case kSingleKeyFunction:
      out.dialog = PickDialog::kSingleKey;
      break;
    case kKeyCombinationFunction:
      out.dialog = PickDialog::kKeyCombination;
      break;
    case kMacroFunction:
      if (pick.sub_index == kMacroEditorEntry) {
        out.dialog = PickDialog::kMacroEditor;
        break;
      }
      record.ButtonFunc = kMacroFunction;
      record.KeyNumber = static_cast<std::uint8_t>(pick.sub_value);
      record.LoopNumber = static_cast<std::uint8_t>(pick.macro_loop & 0xFF);
      // MacroName follows from the index when the window repairs the profile.
      break;
    default:
      // A group's choice is its sub-item's code; the head is never stored.
      record.ButtonFunc =
          static_cast<std::uint8_t>(IsGroupHead(pick.item) ? pick.sub_value : pick.item);
      break;
  }
  return out;
}

ButtonRecord AfterSingleKey(const ButtonRecord& record, int button, const CapturedKeys& keys) {
  ButtonRecord out = record;
  if (keys.count != 1) return out;
  if (!keys.key) {
    out.ButtonFunc = FallbackFunction(button);
  } else {
    out.ButtonFunc = kSingleKeyFunction;
    out.KeyEvents[0] = *keys.key;
  }
  return out;
}

ButtonRecord AfterKeyCombination(const ButtonRecord& record, int button,
                                 const CapturedKeys& keys) {
  ButtonRecord out = record;
  if (keys.count == 1) {
    if (keys.key) {
      out.ButtonFunc = kSingleKeyFunction;
      out.KeyEvents[0] = *keys.key;
    }
  } else if (keys.count >= 2 && keys.count <= 5) {
    out.ButtonFunc = kKeyCombinationFunction;
    out.ButtonID = 1;  // the value 1 whatever the button, as the agent expects
    out.KeyNumber = static_cast<std::uint8_t>(2 * keys.count);
    out.KeyEvents = keys.events;
  } else {
    out.ButtonFunc = FallbackFunction(button);
  }
  return out;
}

}  // namespace vantix
