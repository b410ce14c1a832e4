// What the end-to-end tests share: the real programs started on an X server
// of the test's own, in a home and runtime folder of the test's own, and
// driven with xdotool as a user would.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_block.h"
#include "tests/hook/x_display.h"
#include "tests/test_support.h"

namespace vantix::test {

inline constexpr const char* kProgramDir = VANTIX_PROGRAM_DIR;

// Starts argv[0] with env added to ours; its output goes to the end of log.
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const std::string& log);

// The exit status, or nothing when the process is still running at the deadline.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit);

// The profiles in the five files of data, read as the program reads them.
SettingsBlock LoadSavedProfiles(const std::string& data);

class E2eSession : public ::testing::Test {
 protected:
  E2eSession();
  // Ends vantix and then the agent it started.
  ~E2eSession() override;

  // The agent is started by vantix in a session of its own and its pid is in
  // no file: it is the hid whose runtime folder is this test's own, so other
  // tests' agents running at the same time are left alone. -1 when none runs.
  pid_t AgentPid() const;

  // A shell command with this test's display and folders; its output without
  // the trailing blanks.
  std::string Run(const std::string& command) const;

  void MoveTo(int x_pos, int y_pos);
  // xdotool waits 80 ms after every click, the last one too; then click_settle.
  void ClickAt(int x_pos, int y_pos, int clicks = 1);
  // The visible top-level window of that exact title, or empty.
  std::string FindWindow(const std::string& title) const;
  bool WindowShown(const std::string& title) const { return !FindWindow(title).empty(); }

  Xvfb x;
  ScratchDir scratch;
  std::string runtime;
  std::string endpoints;
  std::string data;
  std::string log;
  std::map<std::string, std::string> env;
  pid_t app = -1;
  // With xdotool's 80 ms: 250 ms from a click to the next step.
  std::chrono::milliseconds click_settle{170};
};

}  // namespace vantix::test
