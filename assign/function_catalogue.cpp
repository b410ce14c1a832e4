#include "assign/function_catalogue.h"

#include <algorithm>
#include <iterator>

#include "assign/key_names.h"
#include "settings/text_codec.h"

namespace vantix {
namespace {

// Two codes per modifier slot: the left key and the right key.
struct ModifierSlot {
  KeyCode left;
  KeyCode right;
};
constexpr ModifierSlot kModifierSlots[] = {
    {kKeyLeftShift, kKeyRightShift},
    {kKeyLeftCtrl, kKeyRightCtrl},
    {kKeyLeftWin, kKeyRightWin},
    {kKeyLeftAlt, kKeyRightAlt},
};
// The presses come first, so five events cover every key of a combination.
constexpr int kCombinationEventsRead = 5;

void SetMacroName(ButtonRecord& record, std::string_view name) {
  std::u16string units = Utf8ToUtf16(name);
  const std::size_t room = kMacroNameUnits - 1;
  if (units.size() > room) {
    units.resize(room);
    // Never end on the first half of a surrogate pair.
    if (units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
  }
  record.MacroName.fill(u'\0');
  std::copy(units.begin(), units.end(), record.MacroName.begin());
}

std::string SingleKeyLabel(const ButtonRecord& record, const SkinStrings& strings) {
  const std::optional<KeyCode> code = UsageToKeyCode(record.KeyEvents[0]);
  if (!code) {
    std::string word = strings.UiText(kNoKeySection, kNoKeyNumber);
    return word.empty() ? std::string(kNoKeyFallback) : word;
  }
  return std::string(KeyName(*code, strings));
}

bool AnyMacro(const MacroSlots& slots) {
  return std::any_of(slots.begin(), slots.end(), [](const std::string& v) { return !v.empty(); });
}

// The name in the macro's slot; nothing when the macro is gone. The slot is
// the macro's identity. A free slot means the macro is gone; with the
// gap-free index this program keeps, that is exactly a slot at or past the
// number of macros.
const std::string* SlotName(const ButtonRecord& record, const MacroSlots& slots) {
  const int slot = record.KeyNumber;
  if (slot >= kMacroSlotCount || slots[static_cast<std::size_t>(slot)].empty()) return nullptr;
  return &slots[static_cast<std::size_t>(slot)];
}

std::string MacroLabel(const ButtonRecord& record, const SkinStrings& strings,
                       const MacroSlots& slots) {
  // Without any macro (or without an index yet) there is nothing to name.
  if (!AnyMacro(slots)) return {};
  const std::string* name = SlotName(record, slots);
  return name != nullptr ? *name : FunctionLabel(kMacroGoneFunction, strings);
}

}  // namespace

std::string FunctionLabel(int code, const SkinStrings& strings) {
  const std::optional<FunctionLabelKey> key = LabelKeyOf(code);
  if (!key) return {};
  return strings.GeneralText(key->section, key->number);
}

std::string CombinationText(const ButtonRecord& record, const SkinStrings& strings) {
  // Shift, Ctrl, Win, Alt hold the left or right key code; 0 is empty.
  std::array<KeyCode, std::size(kModifierSlots)> modifiers{};
  KeyCode key = 0;
  for (int e = 0; e < kCombinationEventsRead; ++e) {
    const std::uint8_t usage = record.KeyEvents[static_cast<std::size_t>(e) * kKeyEventSize];
    if (usage == 0) continue;
    const KeyCode code = UsageToKeyCode(usage).value_or(0);
    bool modifier = false;
    for (std::size_t m = 0; m < std::size(kModifierSlots); ++m) {
      if (code == kModifierSlots[m].left || code == kModifierSlots[m].right) {
        modifiers[m] = code;
        modifier = true;
      }
    }
    if (!modifier) key = code;
  }

  std::string text;
  const auto append = [&](KeyCode code) {
    if (code == 0) return;
    if (!text.empty()) text += " + ";
    text += KeyName(code, strings);
  };
  for (const KeyCode code : modifiers) append(code);
  append(key);
  return text;
}

std::string ButtonLabel(const ButtonRecord& record, const SkinStrings& strings,
                        const MacroSlots& slots) {
  const FunctionInfo* info = FindFunction(record.ButtonFunc);
  if (info == nullptr) return {};
  switch (info->kind) {
    case FunctionKind::kSingleKey: return SingleKeyLabel(record, strings);
    case FunctionKind::kKeyCombination: return CombinationText(record, strings);
    case FunctionKind::kMacro: return MacroLabel(record, strings, slots);
    case FunctionKind::kGroupHead: return {};
    case FunctionKind::kPlain:
    case FunctionKind::kFireKey: break;
  }
  return FunctionLabel(info->code, strings);
}

std::array<std::string, kButtonCount> ButtonLabels(const ProfileRecord& profile,
                                                   const SkinStrings& strings,
                                                   const MacroSlots& slots) {
  std::array<std::string, kButtonCount> labels;
  for (int b = 0; b < kButtonCount; ++b) {
    labels[static_cast<std::size_t>(b)] =
        ButtonLabel(profile.Buttons[static_cast<std::size_t>(b)], strings, slots);
  }
  return labels;
}

void RepairMacroAssignment(ButtonRecord& record, const MacroSlots& slots) {
  if (record.ButtonFunc != kMacroFunction || !AnyMacro(slots)) return;
  if (const std::string* name = SlotName(record, slots)) {
    SetMacroName(record, *name);
  } else {
    record.ButtonFunc = kMacroGoneFunction;
  }
}

void RepairMacroAssignments(ProfileRecord& profile, const MacroSlots& slots) {
  for (ButtonRecord& record : profile.Buttons) RepairMacroAssignment(record, slots);
}

bool CanLeave(const ProfileRecord& profile, int button) {
  for (int b = 0; b < kButtonCount; ++b) {
    if (b != button && profile.Buttons[static_cast<std::size_t>(b)].ButtonFunc == kPrimaryClickFunction) {
      return true;
    }
  }
  return false;
}

std::uint8_t FallbackFunction(int button) {
  if (button < 0 || button >= kButtonCount) return 0;
  return kFallbackFunction[static_cast<std::size_t>(button)];
}

}  // namespace vantix
