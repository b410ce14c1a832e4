// Where the agent learns which program is in front: the desktop pushes each
// focus change (X11 root window properties, a Wayland compositor's protocol,
// a desktop's script over the session bus). Each source has a descriptor in
// the agent's poll loop and costs nothing while the focus stays put.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vantix::agent {

struct FocusedProgram {
  // Most telling first: the window class or Wayland app id, the X11
  // instance name, then the executable's file name. Any may be empty.
  std::vector<std::string> names;
  bool operator==(const FocusedProgram&) const = default;
  // The name shown for it: the first that is not empty.
  std::string Shown() const {
    for (const std::string& name : names) {
      if (!name.empty()) return name;
    }
    return {};
  }
};

class FocusSource {
 public:
  using Sink = std::function<void(const FocusedProgram&)>;
  virtual ~FocusSource() = default;
  // "x11", "wlroots", ...
  virtual std::string Name() const = 0;
  // -1 once the source has stopped working (Problem says why).
  virtual int Fd() const = 0;
  // Reads what is ready; tells the sink about a changed focus.
  virtual void Dispatch() = 0;
  virtual std::string Problem() const = 0;
};

// The file name of the process's executable; empty when unknown.
std::string ExecutableName(std::uint32_t pid);

// The sources this session offers, each told to report to sink, and why
// the others cannot run (one line each, for the log and the state).
struct FocusSources {
  std::vector<std::unique_ptr<FocusSource>> running;
  std::vector<std::string> problems;
};
FocusSources StartFocusSources(const FocusSource::Sink& sink);

}  // namespace vantix::agent
