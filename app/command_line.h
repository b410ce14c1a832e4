// What vantix settles before its window exists: --help and --version, the Qt
// platform (X11, also under Wayland), and a clear refusal when there is no X
// display to open the window on (Qt itself would abort with a message about
// its platform plugin).
#pragma once

#include <QtGlobal>

#include <optional>
#include <ostream>
#include <string>

namespace vantix {

inline constexpr const char* kNoDisplayMessage =
    "no X display: vantix needs X11 or Xwayland (set DISPLAY, turn on Xwayland in your Wayland "
    "desktop, or run scripts/run.sh)";

// The Qt platform vantix asks for when the user named none with -platform:
// xcb whenever an X display is named, also under Wayland (Xwayland) and
// when QT_QPA_PLATFORM says wayland or "wayland;xcb" for every program of
// the session, since placement, outline and dragging need X11. Another
// platform named in QT_QPA_PLATFORM (offscreen, ...) is kept, so is one given
// with -platform. Empty: leave QT_QPA_PLATFORM as it is.
std::string ChoosePlatform(int argc, const char* const* argv);

// The exit status when the program must end before Qt starts: 0 after
// --help or --version, 1 when the platform chosen is xcb and no X display is
// named. Nothing: go on.
// Other arguments are left to Qt.
std::optional<int> HandleCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err);

// Held while Qt opens its platform (the QApplication constructor): when the
// display named cannot be opened, Qt's fatal error ends the program with
// kNoDisplayMessage and status 1 instead of an abort. The other messages of
// that moment are held back and passed on when the guard ends.
class DisplayOpenGuard {
 public:
  DisplayOpenGuard();
  ~DisplayOpenGuard();
  Q_DISABLE_COPY_MOVE(DisplayOpenGuard)
};

}  // namespace vantix
