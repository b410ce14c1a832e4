// Windows virtual-key codes of Qt keys: WM_EDIT_KEYUP carries the code of the
// released key in the numbering its receivers were written for.
#pragma once

#include <Qt>

#include <cstdint>

namespace vantix {

// 0 for a key without a virtual-key code. Shifted symbols give the code of
// their key ('!' is the 1 key); keypad digits and operators give the keypad
// codes when modifiers hold Qt::KeypadModifier.
std::uint32_t WindowsVirtualKey(int qt_key, Qt::KeyboardModifiers modifiers);

}  // namespace vantix
