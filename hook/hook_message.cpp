#include "hook/hook_message.h"

#include "hook/key_map.h"

namespace vantix {

std::optional<WindowMessage> HookKeyMessage(const ClientMessage& message, std::uint32_t hook_atom) {
  if (hook_atom == 0 || message.type != hook_atom || message.format != 32) return std::nullopt;
  if (message.data[kHookDataMessage] != WM_HOOK_KEY) return std::nullopt;
  const std::uint32_t code = message.data[kHookDataKeyCode];
  const std::uint32_t flags = message.data[kHookDataFlags];
  if (!hook::IsReportedCode(code)) return std::nullopt;
  if ((flags & ~(kHookKeyReleased | kHookKeyExtended)) != 0) return std::nullopt;
  return WindowMessage{WM_HOOK_KEY, false, code, flags};
}

}  // namespace vantix
