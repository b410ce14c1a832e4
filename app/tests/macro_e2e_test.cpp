// The macro editor end to end: the real vantix, hid and KBHook.so on an X
// server of the test's own, driven with xdotool as a user would. A macro is
// created, recorded from keys the X server types, given a middle click and
// an edited delay, assigned to a button through the assignment menu, and
// applied; the files and the agent's log show what arrived.
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
#include "macro/macro_files.h"
#include "settings/profile_store.h"
#include "settings/text_codec.h"
#include "tests/hook/x_display.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;
using test::ScratchDir;

constexpr const char* kProgramDir = VANTIX_PROGRAM_DIR;

// Places on the screen: the main window and the editor both sit at (0, 0).
constexpr int kMacroTabX = 940, kMacroTabY = 113;
constexpr int kNewX = 80, kNewY = 487;
constexpr int kRecordDelaysX = 593, kRecordDelaysY = 133;
constexpr int kRecordX = 374, kRecordY = 491;
constexpr int kStopX = 467, kStopY = 491;
constexpr int kInsertClickX = 655, kInsertClickY = 480;
constexpr int kLoopBoxX = 624, kLoopBoxY = 223;
constexpr int kOkX = 562, kOkY = 528;
constexpr int kApplyX = 665, kApplyY = 684;
// The menu rows are 20 pixels high and open below the bottom-left corner of
// their button.
constexpr int kMenuRow = 20;
int EventRowY(int row) { return 143 + 23 * row + 11; }
constexpr int kEventRowX = 400;
// The assignment button of the second mouse button, and its menu.
constexpr int kAssignX = 594, kAssignY = 238, kAssignBottom = 248, kAssignLeft = 520;
constexpr int kMacroItem = 10;

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

class MacroE2eTest : public ::testing::Test {
 protected:
  MacroE2eTest()
      : runtime(scratch / "run"),
        endpoints(runtime + "/corvane-gaming-mouse"),
        data(scratch / "Documents/Corvane II Gaming Mouse/"),
        log(scratch / "vantix.log"),
        bus(endpoints),
        files(data) {
    ::mkdir(runtime.c_str(), 0700);
    env = {{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}, {"DISPLAY", x.display()}};
  }
  ~MacroE2eTest() override {
    if (app > 0) {
      ::kill(app, SIGTERM);
      ::waitpid(app, nullptr, 0);
    }
    if (const pid_t agent = AgentPid(); agent > 0) ::kill(agent, SIGTERM);
  }

  // The agent runs in a session of its own and its pid is in no file: it is
  // the hid whose runtime folder is this test's own.
  pid_t AgentPid() const {
    const std::string hid = std::string(kProgramDir) + "/hid";
    const std::string mine = "XDG_RUNTIME_DIR=" + runtime + '\0';
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      if (std::filesystem::read_symlink(entry.path() / "exe", ec).string() != hid) continue;
      if (ReadBytes((entry.path() / "environ").string()).find(mine) != std::string::npos) {
        return static_cast<pid_t>(std::stol(name));
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

  void MoveTo(int x_pos, int y_pos) {
    Run("xdotool mousemove " + std::to_string(x_pos) + " " + std::to_string(y_pos));
    std::this_thread::sleep_for(150ms);
  }
  void ClickAt(int x_pos, int y_pos, int clicks = 1) {
    Run("xdotool mousemove " + std::to_string(x_pos) + " " + std::to_string(y_pos) +
        " click --repeat " + std::to_string(clicks) + " --delay 80 1");
    std::this_thread::sleep_for(300ms);
  }
  bool WindowShown(const std::string& title) const {
    return !Run("xdotool search --onlyvisible --name '^" + title + "$' | head -1").empty();
  }
  MacroData Stored(const std::string& name) const {
    MacroData macro;
    files.LoadMacro(name, macro);
    return macro;
  }
  // Lines of the agent's log about one message.
  int Logged(const std::string& message) const {
    const std::string text = ReadBytes(log);
    int n = 0;
    for (std::size_t at = text.find("hid: " + message + " sent"); at != std::string::npos;
         at = text.find("hid: " + message + " sent", at + 1)) {
      ++n;
    }
    return n;
  }

  test::Xvfb x;
  ScratchDir scratch;
  std::string runtime;
  std::string endpoints;
  std::string data;
  std::string log;
  MessageBus bus;
  MacroFiles files;
  std::map<std::string, std::string> env;
  pid_t app = -1;
};

TEST_F(MacroE2eTest, CreateRecordEditAssignAndApplyAMacro) {
  ASSERT_TRUE(x.error().empty()) << x.error();
  ASSERT_EQ(Run("command -v xdotool >/dev/null && echo ok"), "ok") << "xdotool is needed";

  app = Spawn({std::string(kProgramDir) + "/vantix"}, env, log);
  ASSERT_TRUE(Eventually([&] { return WindowShown("Corvane II Gaming Mouse"); })) << ReadBytes(log);
  ASSERT_TRUE(Eventually([&] { return bus.FindWindow(kAgentWindowTitle); })) << ReadBytes(log);

  // The macro tab opens the editor; New asks for the name.
  ClickAt(kMacroTabX, kMacroTabY);
  ASSERT_TRUE(Eventually([&] { return WindowShown("Macro Editor"); })) << ReadBytes(log);
  ClickAt(kNewX, kNewY);
  ASSERT_TRUE(Eventually([&] { return WindowShown("New Macro"); })) << ReadBytes(log);
  std::this_thread::sleep_for(300ms);  // the name field takes the focus after 50 ms
  Run("xdotool type --delay 60 E2E; xdotool key Return");
  ASSERT_TRUE(Eventually([&] { return files.ReadMacroList() == std::vector<std::string>{"E2E"}; }))
      << ReadBytes(log);

  // Record A, held for a moment, with measured delays.
  ClickAt(kRecordDelaysX, kRecordDelaysY);
  EXPECT_TRUE(Eventually([&] { return Stored("E2E").DelayType == kDelayMeasured; }));
  ClickAt(kRecordX, kRecordY);
  Run("xdotool keydown a; sleep 0.4; xdotool keyup a");
  std::this_thread::sleep_for(300ms);
  ClickAt(kStopX, kStopY);
  ASSERT_TRUE(Eventually([&] { return Stored("E2E").count == 3; })) << ReadBytes(log);
  MacroData macro = Stored("E2E");
  EXPECT_EQ(macro.events[0], MacroEvent::Key(0x04, true));
  EXPECT_TRUE(macro.events[1].IsDelay());
  EXPECT_GE(macro.events[1].DelayMs(), 300);
  EXPECT_EQ(macro.events[2], MacroEvent::Key(0x04, false));

  // A middle click after the press.
  ClickAt(kEventRowX, EventRowY(0));
  ClickAt(kInsertClickX, kInsertClickY);
  ClickAt(kInsertClickX, kInsertClickY + 10 + 2 * kMenuRow);
  ASSERT_TRUE(Eventually([&] { return Stored("E2E").count == 5; })) << ReadBytes(log);
  macro = Stored("E2E");
  EXPECT_EQ(macro.events[1], MacroEvent::MouseButton(kMacroMiddleButton, true));
  EXPECT_EQ(macro.events[2], MacroEvent::MouseButton(kMacroMiddleButton, false));
  EXPECT_TRUE(macro.events[3].IsDelay());

  // The delay, edited in place: 1234 ms is stored as 123 units.
  ClickAt(kEventRowX, EventRowY(3), 2);
  Run("xdotool type --delay 60 1234; xdotool key Return");
  EXPECT_TRUE(Eventually([&] { return Stored("E2E").events[3] == MacroEvent::Delay(123); }))
      << ReadBytes(log);
  ClickAt(kOkX, kOkY);
  ASSERT_TRUE(Eventually([&] { return !WindowShown("Macro Editor"); }));

  // The macro goes to the second mouse button through its menu.
  ClickAt(kAssignX, kAssignY);
  MoveTo(kAssignLeft + 90, kAssignBottom + kMacroItem * kMenuRow + 10);
  ClickAt(kAssignLeft + 180 + 80, kAssignBottom + kMacroItem * kMenuRow + kMenuRow + 10);

  // Back in the editor, a repeat count tells the agent about that button.
  ClickAt(kMacroTabX, kMacroTabY);
  ASSERT_TRUE(Eventually([&] { return WindowShown("Macro Editor"); }));
  ClickAt(kLoopBoxX, kLoopBoxY);
  Run("xdotool key BackSpace BackSpace BackSpace; xdotool type 3");
  EXPECT_TRUE(Eventually([&] { return Stored("E2E").LoopTime == 3; })) << ReadBytes(log);
  ClickAt(kOkX, kOkY);
  ASSERT_TRUE(Eventually([&] { return !WindowShown("Macro Editor"); }));

  ClickAt(kApplyX, kApplyY);
  SettingsBlock saved;
  ASSERT_TRUE(Eventually([&] {
    if (!test::Exists(ProfilePath(data, 0))) return false;
    SettingsBlock unused;
    ProfileStore store(data, unused);
    InitSettings(saved);
    store.LoadProfiles(saved);
    return saved.Profiles[0].Buttons[1].ButtonFunc == 11;
  })) << ReadBytes(log);
  const ButtonRecord& button = saved.Profiles[0].Buttons[1];
  EXPECT_EQ(button.KeyNumber, 0);
  EXPECT_EQ(Utf16ToUtf8(MacroNameView(button)), "E2E");

  // What the agent heard: every change of the macro, the button that uses
  // it, and the apply.
  EXPECT_TRUE(Eventually([&] { return Logged("0x4DE") == 1; })) << ReadBytes(log);
  EXPECT_GE(Logged("0x1514"), 4) << ReadBytes(log);
  EXPECT_GE(Logged("0x1516"), 1) << ReadBytes(log);
  EXPECT_NE(ReadBytes(log).find("0x1516 sent w=0 l=1"), std::string::npos) << ReadBytes(log);

  // The index and the macro file as the agent reads them.
  EXPECT_EQ(files.ReadMacroList(), std::vector<std::string>{"E2E"});
  macro = Stored("E2E");
  EXPECT_EQ(macro.count, 5);
  EXPECT_EQ(macro.LoopTime, 3);
  EXPECT_EQ(macro.LoopType, kLoopNone);
  EXPECT_EQ(macro.DelayType, kDelayMeasured);
  // Neither program reported a fault of its own (sanitizer builds write them here).
  EXPECT_EQ(ReadBytes(log).find("Sanitizer"), std::string::npos) << ReadBytes(log);
  EXPECT_EQ(ReadBytes(log).find("runtime error"), std::string::npos) << ReadBytes(log);
}

}  // namespace
}  // namespace vantix
