// The assignment of a key combination, end to end: the real vantix, hid and
// KBHook.so on an X server of the test's own; the menu is clicked and the
// keys are pressed on the server's keyboard with xdotool, as a user would.
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
#include <optional>
#include <sstream>
#include <thread>

#include "settings/profile_store.h"
#include "tests/hook/x_display.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;
using test::ScratchDir;

constexpr const char* kProgramDir = VANTIX_PROGRAM_DIR;

// Assignment button k of the main window, and the menu's rows below it.
constexpr int kButton = 3;
constexpr int kButtonLeft = 520;
constexpr int kButtonBottom = 220 + 28 * kButton;
constexpr int kMenuRowWidth = 160 + 20;
constexpr int kMenuRowHeight = 20;
constexpr int kCombinationRow = 6;  // code 7
// OK in the small dialogs, from their top-left corner.
constexpr int kOkX = 181;
constexpr int kOkY = 232;

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

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(50ms);
  }
  return done();
}

class AssignE2eTest : public ::testing::Test {
 protected:
  AssignE2eTest()
      : runtime(scratch / "run"),
        data(scratch / "Documents/Corvane II Gaming Mouse/"),
        log(scratch / "vantix.log") {
    ::mkdir(runtime.c_str(), 0700);
    env = {{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}, {"DISPLAY", x.display()}};
  }
  ~AssignE2eTest() override {
    const pid_t agent = AgentPid();
    if (app > 0) {
      ::kill(app, SIGTERM);
      int status = 0;
      ::waitpid(app, &status, 0);
    }
    if (agent > 0) ::kill(agent, SIGTERM);
  }

  // The agent that vantix started in a session of its own: the hid whose
  // runtime folder is this test's, so other tests' agents are left alone.
  pid_t AgentPid() const {
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

  // The visible top-level window of that exact title, or empty.
  std::string FindWindow(const std::string& title) const {
    return Run("xdotool search --onlyvisible --name '^" + title + "$' | head -1");
  }

  // A digest of what the screen shows in a rectangle.
  std::string Crop(int left, int top, int width, int height) const {
    return Run("import -window root -crop " + std::to_string(width) + "x" +
               std::to_string(height) + "+" + std::to_string(left) + "+" + std::to_string(top) +
               " rgb:- 2>/dev/null | md5sum");
  }

  test::Xvfb x;
  ScratchDir scratch;
  std::string runtime;
  std::string data;
  std::string log;
  std::map<std::string, std::string> env;
  pid_t app = -1;
};

TEST_F(AssignE2eTest, AKeyCombinationPressedOnTheKeyboardReachesTheProfileFile) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && command -v import >/dev/null && echo ok"), "ok")
      << "xdotool and ImageMagick are needed";

  app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
  ASSERT_TRUE(Eventually([&] { return !FindWindow("Corvane II Gaming Mouse").empty(); }))
      << ReadBytes(log);
  std::this_thread::sleep_for(300ms);
  const auto face_before = Crop(kButtonLeft, kButtonBottom - 20, 148, 20);

  // The button's menu opens below it; its seventh row is the combination.
  ClickAt(kButtonLeft + 74, kButtonBottom - 10);
  ClickAt(kButtonLeft + kMenuRowWidth / 2,
          kButtonBottom + kCombinationRow * kMenuRowHeight + kMenuRowHeight / 2);
  std::string dialog;
  ASSERT_TRUE(Eventually([&] {
    dialog = FindWindow("Key Combination");
    return !dialog.empty();
  })) << ReadBytes(log);
  std::this_thread::sleep_for(300ms);
  std::istringstream where(Run("xdotool getwindowgeometry --shell " + dialog));
  int left = -1, top = -1;
  for (std::string line; std::getline(where, line);) {
    if (line.rfind("X=", 0) == 0) left = std::stoi(line.substr(2));
    if (line.rfind("Y=", 0) == 0) top = std::stoi(line.substr(2));
  }
  ASSERT_GE(left, 0);
  const auto key_display = [&] { return Crop(left + 81, top + 145, 301, 26); };
  const std::string display_before = key_display();

  // Left Ctrl, left Shift and A held together, then let go.
  Run("xdotool keydown Control_L; sleep 0.1; xdotool keydown Shift_L; sleep 0.1; "
      "xdotool keydown a; sleep 0.1; xdotool keyup a; sleep 0.1; xdotool keyup Shift_L; "
      "sleep 0.1; xdotool keyup Control_L");
  // The hook's reports arrive on their own way: wait until they are shown.
  ASSERT_TRUE(Eventually([&] { return key_display() != display_before; })) << ReadBytes(log);
  std::this_thread::sleep_for(300ms);
  ASSERT_FALSE(FindWindow("Key Combination").empty()) << "keys must not answer the dialog";

  ClickAt(left + kOkX, top + kOkY);
  ASSERT_TRUE(Eventually([&] { return FindWindow("Key Combination").empty(); }));
  std::this_thread::sleep_for(200ms);
  EXPECT_NE(Crop(kButtonLeft, kButtonBottom - 20, 148, 20), face_before)
      << "the button shows its new label";

  // Apply writes the six events: presses in the order Shift, Ctrl, A, then
  // the releases in reverse.
  ClickAt(665, 684);
  ASSERT_TRUE(Eventually([&] { return test::Exists(ProfilePath(data, 0)); })) << ReadBytes(log);
  SettingsBlock unused;
  SettingsBlock saved;
  InitSettings(saved);
  ProfileStore(data, unused).LoadProfiles(saved);
  const ButtonRecord& record = saved.Profiles[0].Buttons[kButton];
  EXPECT_EQ(record.ButtonFunc, 7);
  EXPECT_EQ(record.ButtonID, 1);
  EXPECT_EQ(record.KeyNumber, 6);
  const std::vector<std::uint8_t> events(record.KeyEvents.begin(), record.KeyEvents.begin() + 21);
  EXPECT_EQ(events, (std::vector<std::uint8_t>{0xE1, 5, 0x80, 0xE0, 5, 0x80, 0x04, 5, 0x80,
                                               0x04, 5, 0x00, 0xE0, 5, 0x00, 0xE1, 5, 0x00,
                                               0, 0, 0}));

  // The label the button shows, computed from the saved file as the window
  // computes it.
  std::istringstream labels(
      Run("'" + std::string(kProgramDir) + "/vantixctl' labels 1 --program-dir '" +
          kProgramDir + "/'"));
  std::string label;
  for (int k = 0; k <= kButton; ++k) std::getline(labels, label);
  EXPECT_EQ(label, "LShift + LCtrl + A");
}

}  // namespace
}  // namespace vantix
