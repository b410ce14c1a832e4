#include <cstdlib>

#include "agent/focus_source.h"
#include "agent/x11_focus.h"

namespace vantix::agent {

FocusSources StartFocusSources(const FocusSource::Sink& sink) {
  FocusSources sources;
  std::string problem;
  if (auto x11 = StartX11Focus("", sink, problem)) {
    sources.running.push_back(std::move(x11));
  } else {
    sources.problems.push_back(problem);
  }
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && *wayland != '\0') {
    // Programs under Xwayland are still seen through X11 above.
    sources.problems.push_back("wayland: the focus of Wayland programs is not followed on this desktop");
  }
  return sources;
}

}  // namespace vantix::agent
