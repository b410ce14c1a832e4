#include "app/command_line.h"

#include <QMessageLogContext>
#include <QString>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

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

bool DisplayNamed(const std::string& platform) {
  if (platform == "xcb") return !Env("DISPLAY").empty();
  if (!platform.empty()) return true;  // offscreen, wayland, ...: Qt decides
  // No platform named: X11 when DISPLAY is set, else Qt's own choice, which
  // needs a Wayland display.
  return !Env("DISPLAY").empty() || !Env("WAYLAND_DISPLAY").empty();
}

struct HeldMessage {
  QtMsgType type;
  std::string category;
  QString text;
};

QtMessageHandler previous_handler = nullptr;
std::vector<HeldMessage>& Held() {
  static std::vector<HeldMessage> held;
  return held;
}
// The window's pictures are read on another thread meanwhile, and QImage
// warns there when a picture does not fit in memory.
std::mutex& HeldLock() {
  static std::mutex lock;
  return lock;
}

void HoldOrRefuse(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // The platform could not be opened: nothing else of Qt's explanation
    // helps a user more than this line.
    std::fprintf(stderr, "%s\n", kNoDisplayMessage);
    std::fflush(stderr);
    ::_exit(1);
  }
  const std::lock_guard hold(HeldLock());
  Held().push_back({type, context.category != nullptr ? context.category : "", text});
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
  if (!DisplayNamed(PlatformName(argc, argv))) {
    err << kNoDisplayMessage << "\n";
    return 1;
  }
  return std::nullopt;
}

DisplayOpenGuard::DisplayOpenGuard() { previous_handler = qInstallMessageHandler(HoldOrRefuse); }

DisplayOpenGuard::~DisplayOpenGuard() {
  qInstallMessageHandler(previous_handler);
  const std::lock_guard hold(HeldLock());
  for (const HeldMessage& m : Held()) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.c_str());
    if (previous_handler != nullptr) previous_handler(m.type, context, m.text);
  }
  Held().clear();
}

}  // namespace vantix
