// What vantix settles before its window exists: --help and --version, and a
// clear refusal when there is no display to open the window on (Qt itself
// would abort with a message about its platform plugin).
#pragma once

#include <QtGlobal>

#include <optional>
#include <ostream>

namespace vantix {

inline constexpr const char* kNoDisplayMessage = "no display: set DISPLAY or run scripts/run.sh";

// The exit status when the program must end before Qt starts: 0 after
// --help or --version, 1 when no display is named at all. Nothing: go on.
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
