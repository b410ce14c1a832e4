// CVantixApp: the process. One copy runs at a time; it resolves the folders,
// runs the main window modally and ends when the window closes.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "devicelink/message_bus.h"
#include "settings/folders.h"

class QIcon;
class QString;

namespace vantix {

class MainImagesLoad;

// The window icon: the program's own icon as installed in the hicolor theme
// (icons/hicolor/NxN/apps/<app_id>.png under the XDG data folders), sizes up
// to 128 pixels; a null icon when none is installed.
QIcon InstalledWindowIcon(const QString& app_id);

// The main window's single-instance lock in the endpoint folder.
inline constexpr std::string_view kMainInstanceLockName = "Corvane_II_GAMING_MOUSE_CONFIG_MUTEX";

class CVantixApp {
 public:
  explicit CVantixApp(std::string endpoint_folder = DefaultEndpointFolder());
  ~CVantixApp();
  CVantixApp(const CVantixApp&) = delete;
  CVantixApp& operator=(const CVantixApp&) = delete;

  // False when another copy runs: the process then ends without a window.
  bool InitInstance();
  // Starts what needs no display (loading the system's font configuration,
  // reading the main window's pictures) on threads of its own, so that it
  // overlaps Qt's connecting to the display. Called before Qt is.
  void StartEarlyWork();
  // Returns once the font configuration is loaded: called before Qt's first
  // font, which would otherwise load it a second time.
  void WaitForFonts();
  // Ends the window as soon as its first frame is painted (for the start-up
  // benchmark); the user never sets this.
  void SetExitAfterFirstPaint(bool exit) { exit_after_first_paint_ = exit; }
  // Work the first frame does not need (the window icon, Qt's own texts):
  // run a little after that frame is painted, once the window has settled on
  // screen, so that it shows sooner.
  void SetAfterFirstPaint(std::function<void()> work) { after_first_paint_ = std::move(work); }
  // Runs the main window until it closes; the exit status.
  int Run();
  void ExitInstance();

 private:
  std::string endpoint_folder_;
  std::unique_ptr<InstanceLock> lock_;
  bool exit_after_first_paint_ = false;
  std::function<void()> after_first_paint_;
  std::optional<Folders> folders_;
  std::future<void> fonts_;
  std::unique_ptr<MainImagesLoad> images_;
};

}  // namespace vantix
