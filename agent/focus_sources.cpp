#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "agent/focus_source.h"
#include "devicelink/program_rules.h"
#include "agent/session_bus_focus.h"
#include "agent/wlr_focus.h"
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

std::vector<FocusSources::Start> FocusSources::OfTheSession() {
  return {
      [](const FocusSource::Sink& sink, std::string& problem) { return StartX11Focus("", sink, problem); },
      [](const FocusSource::Sink& sink, std::string& problem) { return StartWlrFocus("", sink, problem); },
      // KDE and GNOME on Wayland; it listens on other desktops too, for a
      // desktop of the user's own that calls it.
      [](const FocusSource::Sink& sink, std::string& problem) {
        return StartSessionBusFocus(FolderOfThisProgram() + "/kwin/vantix-focus.js", sink, problem);
      },
  };
}

FocusSources::FocusSources(std::vector<Start> starts, FocusSource::Sink sink)
    : sink_(std::move(sink)),
      latest_(starts.size()),
      timer_fd_(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK)) {
  for (std::size_t i = 0; i < starts.size(); ++i) {
    Start& from = starts[i];
    // Each source reports through its own place.
    Start start = [this, i, from = std::move(from)](const FocusSource::Sink&, std::string& problem) {
      return from([this, i](const FocusedProgram& program) { Report(i, program); }, problem);
    };
    std::string problem;
    if (auto source = start(sink_, problem)) {
      Slot& slot = slots_.emplace_back();
      slot.start = std::move(start);
      slot.source = std::move(source);
    } else {
      never_started_.push_back(problem);
    }
  }
}

void FocusSources::Report(std::size_t from, const FocusedProgram& program) {
  latest_[from] = program;
  // A window under Xwayland is listed by the compositor too, by its class
  // alone: where another source named the same program more fully (its
  // executable), that naming counts, whichever source spoke last.
  const std::string first = program.names.empty() ? std::string() : program.names.front();
  for (const FocusedProgram& other : latest_) {
    if (!first.empty() && !other.names.empty() && other.names.size() > program.names.size() &&
        SameProgram(other.names.front(), first)) {
      return sink_(other);
    }
  }
  sink_(program);
}

FocusSources::~FocusSources() {
  if (timer_fd_ >= 0) ::close(timer_fd_);
}

int FocusSources::Fd(std::size_t i) const {
  const Slot& slot = slots_[i];
  return slot.source ? slot.source->Fd() : -1;
}

void FocusSources::Dispatch(std::size_t i) {
  Slot& slot = slots_[i];
  if (!slot.source) return;
  slot.source->Dispatch();
  if (slot.source->Fd() >= 0) return;
  // Its connection is gone: closed now, and tried again after a pause.
  slot.down = slot.source->Problem().empty() ? slot.source->Name() + ": stopped" : slot.source->Problem();
  slot.source.reset();
  ++slot.generation;
  slot.pause = kFirstRetry;
  slot.due = std::chrono::steady_clock::now() + slot.pause;
  ArmTimer();
}

void FocusSources::Retry() {
  std::uint64_t expirations = 0;
  // Nothing to read (a retry already done) is fine: the timer says when.
  [[maybe_unused]] const ssize_t n = ::read(timer_fd_, &expirations, sizeof expirations);
  const auto now = std::chrono::steady_clock::now();
  for (Slot& slot : slots_) {
    if (slot.source || slot.due > now) continue;
    std::string problem;
    if (auto source = slot.start(sink_, problem)) {
      slot.source = std::move(source);
      slot.down.clear();
      ++slot.generation;
    } else {
      slot.pause = std::min(slot.pause * 2, kLongestRetry);
      slot.due = now + slot.pause;
    }
  }
  ArmTimer();
}

void FocusSources::ArmTimer() {
  std::optional<std::chrono::steady_clock::time_point> next;
  for (const Slot& slot : slots_) {
    if (!slot.source && (!next || slot.due < *next)) next = slot.due;
  }
  itimerspec when{};
  if (next) {
    // A due time already past still has to fire: zero would disarm it.
    using std::chrono::nanoseconds;
    const nanoseconds left = std::chrono::duration_cast<nanoseconds>(*next - std::chrono::steady_clock::now());
    const nanoseconds wait = std::max(left, nanoseconds(1));
    when.it_value.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
    when.it_value.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
  }
  ::timerfd_settime(timer_fd_, 0, &when, nullptr);
}

std::string FocusSources::Working() const {
  std::string names;
  for (const Slot& slot : slots_) {
    if (slot.source && slot.source->Problem().empty()) names += (names.empty() ? "" : ", ") + slot.source->Name();
  }
  return names;
}

std::string FocusSources::Problems() const {
  std::string problems;
  const auto add = [&problems](const std::string& problem) {
    if (!problem.empty()) problems += (problems.empty() ? "" : "; ") + problem;
  };
  for (const std::string& problem : never_started_) add(problem);
  for (const Slot& slot : slots_) {
    if (slot.source) add(slot.source->Problem());
    if (!slot.source) add(slot.down + ", trying again");
  }
  return problems;
}

}  // namespace vantix::agent
