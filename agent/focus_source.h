// Where the agent learns which program is in front: the desktop pushes each
// focus change (X11 root window properties, a Wayland compositor's protocol,
// a desktop's script over the session bus). Each source has a descriptor in
// the agent's poll loop and costs nothing while the focus stays put.
#pragma once

#include <chrono>
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

// The sources this session offers, each reporting to the sink, and why the
// others cannot run. A source that dies (its X server, compositor or bus
// went away) is started again after a pause that doubles with each failed
// try, up to a bound; meanwhile the problems say why it is down. A timer
// runs only while a source is down: with all healthy, nothing wakes.
class FocusSources {
 public:
  // Starts one kind of source; nothing, with problem set, when it cannot.
  using Start = std::function<std::unique_ptr<FocusSource>(const FocusSource::Sink& sink, std::string& problem)>;
  // The desktops' sources (X11, wlroots, the session bus).
  static std::vector<Start> OfTheSession();
  static constexpr std::chrono::milliseconds kFirstRetry{500};
  static constexpr std::chrono::milliseconds kLongestRetry{30'000};

  // Starts each kind; those that cannot start now are not tried again.
  FocusSources(std::vector<Start> starts, FocusSource::Sink sink);
  ~FocusSources();
  FocusSources(const FocusSources&) = delete;
  FocusSources& operator=(const FocusSources&) = delete;

  // The sources that started, by index: the descriptor to wait on (-1 while
  // down), and a generation that changes whenever it may be another one.
  std::size_t Count() const { return slots_.size(); }
  int Fd(std::size_t i) const;
  std::uint64_t Generation(std::size_t i) const { return slots_[i].generation; }
  // Reads what is ready for source i; notices that it died.
  void Dispatch(std::size_t i);
  // Ready when a source that is down is due for another try; then Retry.
  int TimerFd() const { return timer_fd_; }
  void Retry();

  // The names of the sources that work ("x11, wlroots"), and why the others
  // do not ("; " between them).
  std::string Working() const;
  std::string Problems() const;

 private:
  struct Slot {
    Start start;
    std::unique_ptr<FocusSource> source;
    // Why it is down; empty while it runs.
    std::string down;
    std::uint64_t generation = 0;
    std::chrono::milliseconds pause{0};
    std::chrono::steady_clock::time_point due;
  };
  void ArmTimer();
  // What source `from` reports, told to the sink as fully as known.
  void Report(std::size_t from, const FocusedProgram& program);

  FocusSource::Sink sink_;
  // Each kind's last report (by its place in the starts): X11 and wlroots
  // both see a program under Xwayland, and only X11 knows its executable.
  std::vector<FocusedProgram> latest_;
  std::vector<Slot> slots_;
  std::vector<std::string> never_started_;
  int timer_fd_ = -1;
};

}  // namespace vantix::agent
