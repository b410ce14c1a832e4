#include <unistd.h>

#include <cstdlib>

#include "agent/focus_source.h"
#include "agent/session_bus_focus.h"
#include "agent/x11_focus.h"

namespace vantix::agent {
namespace {

std::string FolderOfThisProgram() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string self(path, static_cast<std::size_t>(n));
  return self.substr(0, self.find_last_of('/'));
}

}  // namespace

std::string ExecutableName(std::uint32_t pid) {
  if (pid == 0) return {};
  char target[4096];
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  std::string path(target, static_cast<std::size_t>(n));
  // A program replaced while it runs reads "PATH (deleted)".
  if (path.ends_with(" (deleted)")) path.resize(path.size() - 10);
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FocusSources StartFocusSources(const FocusSource::Sink& sink) {
  FocusSources sources;
  std::string problem;
  if (auto x11 = StartX11Focus("", sink, problem)) {
    sources.running.push_back(std::move(x11));
  } else {
    sources.problems.push_back(problem);
  }
  // KDE and GNOME on Wayland; it listens on other desktops too, for a
  // desktop of the user's own that calls it.
  problem.clear();
  if (auto bus = StartSessionBusFocus(FolderOfThisProgram() + "/kwin/vantix-focus.js", sink, problem)) {
    sources.running.push_back(std::move(bus));
  } else {
    sources.problems.push_back(problem);
  }
  return sources;
}

}  // namespace vantix::agent
