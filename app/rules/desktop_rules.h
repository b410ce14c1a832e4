// The double-click speed belongs to the desktop, not to the mouse: which of
// the desktops' own settings holds it here, the slider's value in
// milliseconds, and the change to KDE's file. No Qt, no processes: the
// window carries these out (app/desktop_double_click).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vantix {

enum class DoubleClickDesktop {
  kNone,   // no desktop setting found: the value is only stored
  kGnome,  // gsettings org.gnome.desktop.peripherals.mouse double-click
  kKde,    // kcminputrc [KDE] DoubleClickInterval, then KGlobalSettings' reload signal
  kXfce,   // xfconf channel xsettings /Net/DoubleClickTime, which xfsettingsd serves as XSETTINGS
};

// The slider's 1 (slowest) .. 10 (fastest) as the desktop's double-click
// time in milliseconds; 5, the factory value, is the usual 500 ms. A value
// outside 1..10 counts as the nearest end.
inline constexpr std::array<int, 10> kDoubleClickMilliseconds = {900, 800, 700, 600, 500,
                                                                 440, 380, 320, 260, 200};
int DoubleClickMilliseconds(int speed);

// What the machine offers, found without running anything.
struct DesktopTools {
  bool gnome_schema = false;  // gsettings and the org.gnome.desktop.peripherals schema
  bool xfconf = false;        // xfconf-query
};

// The desktop setting for XDG_CURRENT_DESKTOP (a colon-separated list of
// names, the first known one decides) and the tools there.
DoubleClickDesktop FindDoubleClickDesktop(std::string_view current_desktop,
                                          const DesktopTools& tools);

// kcminputrc's text with DoubleClickInterval=ms in its [KDE] group: an
// existing entry is replaced, a missing group is added; every other line is
// kept as it is.
std::string WithKdeDoubleClick(std::string_view kcminputrc, int ms);

}  // namespace vantix
