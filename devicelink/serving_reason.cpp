#include "devicelink/serving_reason.h"

namespace vantix {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// "NODE (NAME): error" or "NODE: error" after the words that open the line.
ServingReason NodeAndName(ServingReason::Kind kind, std::string_view rest) {
  ServingReason reason{kind, {}, {}};
  const std::size_t colon = rest.rfind(": ");
  const std::string_view described = colon == std::string_view::npos ? rest : rest.substr(0, colon);
  const std::size_t open = described.find(" (");
  if (open != std::string_view::npos && described.back() == ')') {
    reason.node = described.substr(0, open);
    reason.device = described.substr(open + 2, described.size() - open - 3);
  } else {
    reason.node = described;
  }
  return reason;
}

}  // namespace

ServingReason ClassifyServingReason(std::string_view text) {
  using Kind = ServingReason::Kind;
  if (text.empty()) return {};
  // The virtual device comes first: without it nothing is served at all.
  for (const std::string_view opening : {"no write access to ", "cannot open ", "cannot create the virtual mouse on "}) {
    if (StartsWith(text, opening) && text.find("uinput") != std::string_view::npos) {
      ServingReason reason = NodeAndName(Kind::kNoUinput, text.substr(opening.size()));
      return reason;
    }
  }
  for (const std::string_view opening : {"no read access to ", "cannot open "}) {
    if (StartsWith(text, opening)) return NodeAndName(Kind::kNoAccess, text.substr(opening.size()));
  }
  if (StartsWith(text, "released")) return {Kind::kReleased, {}, {}};
  if (StartsWith(text, "disconnected")) return {Kind::kDisconnected, {}, {}};
  if (StartsWith(text, "cannot grab ")) {
    ServingReason reason = NodeAndName(Kind::kHeld, text.substr(12));
    const std::size_t why = reason.device.find(") (another");
    if (why != std::string::npos) reason.device.resize(why);
    return reason;
  }
  if (const std::size_t at = text.find(" is not a mouse the agent may serve"); at != std::string_view::npos) {
    return NodeAndName(Kind::kNotMouse, text.substr(0, at));
  }
  // Nodes that may be the mouse but cannot be read: access is what to fix.
  if (const std::size_t at = text.find("(no read access to "); at != std::string_view::npos) {
    ServingReason reason = NodeAndName(Kind::kNoAccess, text.substr(at + 19, text.size() - at - 20));
    return reason;
  }
  if (const std::size_t at = text.find(" is not there and "); at != std::string_view::npos) {
    return {Kind::kChosenAbsent, {}, std::string(text.substr(0, at))};
  }
  if (StartsWith(text, "no device named \"")) {
    const std::size_t end = text.find("\" and ", 17);
    return {Kind::kChosenAbsent, {}, std::string(text.substr(17, end == std::string_view::npos ? end : end - 17))};
  }
  if (StartsWith(text, "no ") && text.find(" is plugged in") != std::string_view::npos) return {Kind::kNoMouse, {}, {}};
  return {Kind::kOther, {}, std::string(text)};
}

}  // namespace vantix
