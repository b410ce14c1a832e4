// CVantixApp: the process. One copy runs at a time; it resolves the folders,
// runs the main window modally and ends when the window closes.
#pragma once

#include <memory>
#include <string>

#include "devicelink/message_bus.h"

namespace vantix {

// The main window's single-instance lock in the endpoint folder.
inline constexpr std::string_view kMainInstanceLockName = "Corvane_II_GAMING_MOUSE_CONFIG_MUTEX";

class CVantixApp {
 public:
  explicit CVantixApp(std::string endpoint_folder = DefaultEndpointFolder())
      : endpoint_folder_(std::move(endpoint_folder)) {}

  // False when another copy runs: the process then ends without a window.
  bool InitInstance();
  // Runs the main window until it closes; the exit status.
  int Run();
  void ExitInstance();

 private:
  std::string endpoint_folder_;
  std::unique_ptr<InstanceLock> lock_;
};

}  // namespace vantix
