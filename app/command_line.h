// What vantix settles before any window exists: --help and --version, and a
// clear refusal when there is no display to open the window on (Qt itself
// would abort with a message about its platform plugin).
#pragma once

#include <optional>
#include <ostream>

namespace vantix {

inline constexpr const char* kNoDisplayMessage = "no display: set DISPLAY or run scripts/run.sh";

// The exit status when the program must end before its window: 0 after
// --help or --version, 1 without a usable display. Nothing: go on. Other
// arguments are left to Qt.
std::optional<int> HandleCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err);

}  // namespace vantix
