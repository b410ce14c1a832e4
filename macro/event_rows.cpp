#include "macro/event_rows.h"

#include "assign/function_catalogue.h"

namespace vantix {
namespace {

// The list has no columns: the indent places key names and delays apart.
constexpr std::size_t kKeyIndent = 15;
constexpr std::size_t kDelayIndent = 46;

// A mouse button's row reads as the click function of that button.
int MouseButtonFunction(const MacroEvent& event) {
  switch (event.code) {
    case kMacroLeftButton:
      return kPrimaryClickFunction;
    case kMacroRightButton:
      return kRightClickFunction;
    case kMacroMiddleButton:
      return kMiddleClickFunction;
    default:
      return event.Type();
  }
}

}  // namespace

std::string DelayRowText(int milliseconds) {
  return std::string(kDelayIndent, ' ') + std::to_string(milliseconds);
}

std::string KeyRowText(KeyCode code, const SkinStrings& strings) {
  return std::string(kKeyIndent, ' ') + std::string(KeyName(code, strings));
}

std::string MouseButtonRowText(const MacroEvent& event, const SkinStrings& strings) {
  return std::string(kKeyIndent, ' ') + FunctionLabel(MouseButtonFunction(event), strings);
}

std::optional<EventRow> MakeEventRow(const MacroEvent& event, const SkinStrings& strings) {
  if (!event.IsListed()) return std::nullopt;
  if (event.IsDelay()) return EventRow{DelayRowText(event.DelayMs()), kRowPlain};
  const int item_data = event.IsPress() ? kRowPress : kRowRelease;
  if (event.IsKey()) {
    return EventRow{KeyRowText(UsageToKeyCode(event.code).value_or(0), strings), item_data};
  }
  return EventRow{MouseButtonRowText(event, strings), item_data};
}

std::vector<EventRow> EventRows(const MacroEventBlock& events, const SkinStrings& strings) {
  std::vector<EventRow> rows;
  for (const MacroEvent& event : events) {
    if (std::optional<EventRow> row = MakeEventRow(event, strings)) rows.push_back(std::move(*row));
  }
  return rows;
}

}  // namespace vantix
