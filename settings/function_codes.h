// The function codes a button record stores (ButtonFunc) that the code
// itself acts on. The profile files, the window, the device agent and
// vantixctl all read them; their labels live with the catalogue (assign/).
#pragma once

namespace vantix {

inline constexpr int kPrimaryClickFunction = 1;
inline constexpr int kSingleKeyFunction = 6;
inline constexpr int kKeyCombinationFunction = 7;
inline constexpr int kMacroFunction = 11;
inline constexpr int kFireKeyFunction = 12;
// Also what a macro assignment becomes when its macro is gone.
inline constexpr int kMacroGoneFunction = 16;
inline constexpr int kLastFunction = 54;

}  // namespace vantix
