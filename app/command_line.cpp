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
    "It needs an X display (DISPLAY: X11, or Xwayland under Wayland); vantixctl works\n"
    "on the same files without one. -platform NAME picks another Qt platform.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The platform named with -platform NAME; empty when none is.
std::string PlatformArgument(int argc, const char* const* argv) {
  std::string name;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string_view(argv[i]) == "-platform") name = argv[i + 1];
  }
  return name;
}

// "xcb:option=..." is xcb.
std::string PluginName(std::string_view entry) {
  return std::string(entry.substr(0, entry.find(':')));
}

// Whether every entry of a QT_QPA_PLATFORM list ("wayland;xcb") names X11 or
// Wayland: a desktop's choice for all its programs, not one for this one.
bool OnlyDesktopPlatforms(std::string_view list) {
  while (!list.empty()) {
    const std::size_t end = list.find(';');
    const std::string name = PluginName(list.substr(0, end));
    if (name != "xcb" && name.rfind("wayland", 0) != 0) return false;
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return true;
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

std::string ChoosePlatform(int argc, const char* const* argv) {
  if (!PlatformArgument(argc, argv).empty()) return {};
  const std::string inherited = Env("QT_QPA_PLATFORM");
  if (!OnlyDesktopPlatforms(inherited)) return {};
  return "xcb";
}

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
  std::string platform = PlatformArgument(argc, argv);
  if (platform.empty()) platform = ChoosePlatform(argc, argv);
  if (platform.empty()) platform = Env("QT_QPA_PLATFORM");
  // Other platforms (offscreen, an explicit wayland) are Qt's to open.
  if (PluginName(platform) == "xcb" && Env("DISPLAY").empty()) {
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
