// The real vantix and hid on an X server of the test's own, driven with
// xdotool as a user would: the window appears at the origin, starts the
// agent, refuses a second copy, and a click on Apply writes the profiles.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <thread>

#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "settings/profile_store.h"
#include "tests/hook/x_display.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;
using test::ScratchDir;

constexpr const char* kProgramDir = VANTIX_PROGRAM_DIR;

pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            const std::string& log) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("QT_QPA_PLATFORM");
  for (const auto& [key, value] : env) ::setenv(key.c_str(), value.c_str(), 1);
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  ::dup2(out, 1);
  ::dup2(out, 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

// The exit status, or nothing when the process is still running at the deadline.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(20ms);
  }
  return std::nullopt;
}

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

class AppE2eTest : public ::testing::Test {
 protected:
  AppE2eTest()
      : runtime(scratch / "run"),
        endpoints(runtime + "/corvane-gaming-mouse"),
        data(scratch / "Documents/Corvane II Gaming Mouse/"),
        log(scratch / "vantix.log"),
        bus(endpoints) {
    ::mkdir(runtime.c_str(), 0700);
    env = {{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}, {"DISPLAY", x.display()}};
  }
  ~AppE2eTest() override {
    for (pid_t pid : {app, agent_pid()}) {
      if (pid > 0) ::kill(pid, SIGTERM);
    }
    if (app > 0) WaitFor(app, 5s);
  }

  // The agent is started by vantix in a session of its own and its pid is in
  // no file: it is the hid whose runtime folder is this test's own, so other
  // tests' agents running at the same time are left alone.
  pid_t agent_pid() const {
    const std::string hid = std::string(kProgramDir) + "/hid";
    const std::string mine = "XDG_RUNTIME_DIR=" + runtime;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      if (std::filesystem::read_symlink(entry.path() / "exe", ec).string() != hid) continue;
      const std::string environ = ReadBytes((entry.path() / "environ").string());
      std::size_t at = 0;
      while (at < environ.size()) {
        const std::size_t end = environ.find('\0', at);
        if (environ.compare(at, end - at, mine) == 0) return static_cast<pid_t>(std::stol(name));
        if (end == std::string::npos) break;
        at = end + 1;
      }
    }
    return -1;
  }

  std::string Run(const std::string& command) const {
    const std::string prefix = "export DISPLAY=" + x.display() + " HOME='" + scratch.path() +
                               "' XDG_RUNTIME_DIR='" + runtime + "'; unset XDG_CONFIG_HOME; ";
    std::string out;
    if (FILE* p = ::popen((prefix + command).c_str(), "r")) {
      char buf[256];
      while (std::fgets(buf, sizeof buf, p)) out += buf;
      ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }

  void ClickAt(int x_pos, int y_pos) {
    Run("xdotool mousemove " + std::to_string(x_pos) + " " + std::to_string(y_pos) +
        " click 1");
    std::this_thread::sleep_for(150ms);
  }

  SettingsBlock LoadFiles() {
    SettingsBlock unused;
    ProfileStore store(data, unused);
    SettingsBlock block;
    InitSettings(block);
    store.LoadProfiles(block);
    return block;
  }

  std::string Pixel(int x_pos, int y_pos) const {
    return Run("import -window root -crop 1x1+" + std::to_string(x_pos) + "+" +
               std::to_string(y_pos) + " -depth 8 txt:- 2>/dev/null | tail -1 | awk '{print $3}'");
  }

  // Whether the disconnected label's red letters are on screen.
  bool RedLabelShown() const {
    const std::string pixels =
        Run("import -window root -crop 113x25+16+162 -depth 8 txt:- 2>/dev/null");
    return pixels.find("#FF0000") != std::string::npos;
  }

  test::Xvfb x;
  ScratchDir scratch;
  std::string runtime;
  std::string endpoints;
  std::string data;
  std::string log;
  MessageBus bus;
  std::map<std::string, std::string> env;
  pid_t app = -1;
};

TEST_F(AppE2eTest, StartsOnceAppliesByClickAndFollowsTheAgent) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && command -v import >/dev/null && echo ok"), "ok")
      << "xdotool and ImageMagick are needed";

  app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
  std::string window;
  ASSERT_TRUE(Eventually([&] {
    window = Run("xdotool search --onlyvisible --name '^Corvane II Gaming Mouse$' | head -1");
    return !window.empty();
  })) << ReadBytes(log);
  const std::string geometry = Run("xdotool getwindowgeometry " + window);
  EXPECT_NE(geometry.find("Position: 0,0"), std::string::npos) << geometry;
  EXPECT_NE(geometry.find("Geometry: 1028x712"), std::string::npos) << geometry;
  // The outline cuts the top-left corner: the root shows through there as it
  // does beside the window.
  EXPECT_EQ(Pixel(2, 2), Pixel(1100, 2));
  EXPECT_NE(Pixel(20, 400), Pixel(1100, 2));

  // The agent was started and owns its endpoint; ours is there too.
  EXPECT_TRUE(Eventually([&] { return bus.FindWindow(kAgentWindowTitle); })) << ReadBytes(log);
  EXPECT_TRUE(bus.FindWindow(kMainWindowTitle));

  // A second copy ends at once, silently, without a window.
  const pid_t second = Spawn({std::string(kProgramDir) + "/vantix"}, env, scratch / "second.log");
  EXPECT_EQ(WaitFor(second, 5s), std::optional<int>(0));
  EXPECT_EQ(Run("xdotool search --name '^Corvane II Gaming Mouse$' | wc -l"), "1");

  // Profile 2, the performance page, a click low on stage 1's X track, Apply.
  ClickAt(530, 30);
  ClickAt(612, 113);
  ClickAt(264, 420);
  ClickAt(665, 684);
  ASSERT_TRUE(Eventually([&] {
    for (int i = 0; i < kProfileCount; ++i) {
      if (!test::Exists(ProfilePath(data, i))) return false;
    }
    return true;
  })) << ReadBytes(log);
  SettingsBlock saved = LoadFiles();
  EXPECT_EQ(saved.CurrentProfile, 1);
  const std::int32_t first_x = saved.Profiles[1].Stages[0].X;
  EXPECT_NE(first_x, 10) << "the slider click did not reach the stage";

  // The agent answers the apply with kind 15: half a second later the row
  // works again, so a second Apply after another change is saved too.
  std::this_thread::sleep_for(1500ms);
  ClickAt(264, 260);
  ClickAt(665, 684);
  EXPECT_TRUE(Eventually([&] { return LoadFiles().Profiles[1].Stages[0].X != first_x; }))
      << ReadBytes(log);

  // The agent loses the mouse: the red label shows.
  EXPECT_EQ(Run(std::string(kProgramDir) + "/vantixctl agent disconnect >/dev/null 2>&1; echo $?"),
            "0");
  EXPECT_TRUE(Eventually([&] { return RedLabelShown(); }, 5s));

  // The close button ends the program.
  ClickAt(998, 27);
  EXPECT_EQ(WaitFor(app, 5s), std::optional<int>(0));
  app = -1;
  // The agent outlives the window; the fixture ends it.
  EXPECT_GT(agent_pid(), 0);
}

}  // namespace
}  // namespace vantix
