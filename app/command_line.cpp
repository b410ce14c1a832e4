#include "app/command_line.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace vantix {
namespace {

constexpr std::string_view kUsage =
    "Usage: vantix [--help | --version]\n"
    "The configuration utility of the Corvane II Gaming Mouse: one window that edits\n"
    "the mouse's five profiles and hands them to the device agent hid on Apply.\n"
    "It needs a display (DISPLAY); vantixctl works on the same files without one.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The Qt platform the program will ask for: -platform NAME, else
// QT_QPA_PLATFORM, else none (main then picks xcb when DISPLAY is set).
std::string PlatformName(int argc, const char* const* argv) {
  std::string name = Env("QT_QPA_PLATFORM");
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string_view(argv[i]) == "-platform") name = argv[i + 1];
  }
  return name.substr(0, name.find(':'));  // "xcb:option=..." is xcb
}

bool XDisplayReachable() {
  if (Env("DISPLAY").empty()) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return ok;
}

bool DisplayUsable(const std::string& platform) {
  if (platform == "xcb") return XDisplayReachable();
  if (!platform.empty()) return true;  // offscreen, wayland, ...: Qt decides
  // No platform named: X11 when DISPLAY is set, else Qt's own choice, which
  // needs a Wayland display.
  if (!Env("DISPLAY").empty()) return XDisplayReachable();
  return !Env("WAYLAND_DISPLAY").empty();
}

}  // namespace

std::optional<int> HandleCommandLine(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--version") {
      out << "vantix " << VANTIX_VERSION << "\n";
      return 0;
    }
  }
  if (!DisplayUsable(PlatformName(argc, argv))) {
    err << kNoDisplayMessage << "\n";
    return 1;
  }
  return std::nullopt;
}

}  // namespace vantix
