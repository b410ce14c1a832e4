// The real agent process, with a test endpoint playing the main window.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/message_bus.h"
#include "settings/ini_file.h"
#include "tests/agent_process.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using namespace std::chrono_literals;
using test::ReadBytes;
using test::ScratchDir;
using test::MainWindow;
using test::Spawn;
using test::Wait;

class AgentTest : public ::testing::Test {
 protected:
  AgentTest()
      : runtime(scratch / "run"),
        folder(runtime + "/corvane-gaming-mouse"),
        data(scratch / "Documents/Corvane II Gaming Mouse/"),
        // No desktop to follow: the agent says so in its status.
        env{{"HOME", scratch.path()}, {"XDG_RUNTIME_DIR", runtime}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"}},
        bus(folder) {
    ::mkdir(runtime.c_str(), 0700);
  }
  ~AgentTest() override { StopAgent(); }

  void StartAgent() {
    agent = Spawn({HID_PATH, "--backend=simulated"}, env, scratch / "hid.out", scratch / "hid.log");
    ASSERT_TRUE(test::WaitFor([&] { return bus.FindWindow(kAgentWindowTitle); }, 5s,
                              "the agent's endpoint"))
        << ReadBytes(scratch / "hid.log");
  }
  void StopAgent() {
    if (agent <= 0) return;
    ::kill(agent, SIGTERM);
    Wait(agent);
    agent = -1;
  }
  int Setting() {
    return IniFile(MacroIndexPath(data), SystemFileIo()).ReadInt(-1, "Device", "Setting");
  }
  std::pair<int, std::string> Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), VANTIXCTL_PATH);
    const int status = Wait(Spawn(args, env, scratch / "ctl.out", scratch / "ctl.err"));
    return {status, ReadBytes(scratch / "ctl.out")};
  }

  ScratchDir scratch;
  std::string runtime, folder, data;
  std::map<std::string, std::string> env;
  MessageBus bus;
  pid_t agent = -1;
};

TEST_F(AgentTest, StartsConnectedMakesItsFoldersAndRunsOnce) {
  MainWindow window(folder);
  StartAgent();
  EXPECT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Setting(), 1);
  EXPECT_TRUE(test::Exists(data + "MacroDB"));
  const pid_t second = Spawn({HID_PATH, "--backend=simulated"}, env, scratch / "hid2.out", scratch / "hid2.log");
  EXPECT_EQ(Wait(second), 0);
  EXPECT_TRUE(bus.FindWindow(kAgentWindowTitle));
}

TEST_F(AgentTest, ALockFileThatIsNoFileIsToldAndEndsTheAgent) {
  // A real second copy exits 0 silently (above); a lock that no copy can
  // ever hold must not pass for one.
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const std::string lock = folder + "/" + std::string(kAgentLockName) + ".lock";
  const struct {
    const char* what;
    std::function<void()> make;
    const char* told;
  } cases[] = {
      {"dangling link", [&] { ASSERT_EQ(::symlink((scratch / "nowhere").c_str(), lock.c_str()), 0); },
       "symbolic link"},
      {"folder", [&] { ASSERT_EQ(::mkdir(lock.c_str(), 0700), 0); }, "folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(lock);
    c.make();
    const std::string log = scratch / (std::string(c.what) + ".log");
    EXPECT_EQ(Wait(Spawn({HID_PATH}, env, scratch / "hid.out", log)), 1);
    EXPECT_NE(ReadBytes(log).find(c.told), std::string::npos) << ReadBytes(log);
    EXPECT_FALSE(bus.FindWindow(kAgentWindowTitle));
  }
}

TEST_F(AgentTest, ApplyRoundTripEndsWithApplyDone) {
  MainWindow window(folder);
  StartAgent();
  SettingsBlock init;
  InitSettings(init);
  SettingsBlock live;
  ValidateSettings(init, live);
  BusAgentChannel channel(bus);
  const ApplyOutcome outcome = ApplyProfiles(ProfileStore(data, live, SystemFileIo()), channel);
  EXPECT_TRUE(outcome.saved.ok());
  EXPECT_EQ(outcome.notified.state, SendOutcome::State::kAnswered);
  const auto done = window.Next(WM_AGENT_EVENT);
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->wparam, kEventApplyDone);
  EXPECT_NE(ReadBytes(scratch / "hid.log").find("0x4DE sent w=0 l=0: applied profiles"), std::string::npos);
}

TEST_F(AgentTest, ConnectionChangesAndEventsReachTheMainWindow) {
  MainWindow window(folder);
  StartAgent();
  ASSERT_TRUE(window.Next(WM_AGENT_STATUS).has_value());

  EXPECT_EQ(Ctl({"agent", "disconnect"}).first, 0);
  EXPECT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Setting(), 0);
  EXPECT_EQ(Ctl({"agent", "status"}).second,
            "agent: running\ndevice: disconnected\nreason: disconnected (vantixctl agent disconnect)\nprofile: 1\n"
            "focus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; "
            "session bus: none to connect to: No such file or directory)\n");

  EXPECT_EQ(Ctl({"agent", "connect"}).first, 0);
  EXPECT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Setting(), 1);

  EXPECT_EQ(Ctl({"agent", "event", "9", "3"}).first, 0);
  const auto event = window.Next(WM_AGENT_EVENT);
  ASSERT_TRUE(event.has_value());
  EXPECT_EQ(event->wparam, 9);
  EXPECT_EQ(event->lparam, 3);

  EXPECT_EQ(Ctl({"apply"}), (std::pair<int, std::string>{0, "notified\n"}));
  EXPECT_TRUE(window.Next(WM_AGENT_EVENT).has_value());
}

TEST_F(AgentTest, MacroNoticesAreReadAndLogged) {
  StartAgent();
  ASSERT_TRUE(
      IniFile(MacroIndexPath(data), SystemFileIo()).WriteString("MACRO_LIST", "0", "Combo").ok());
  ASSERT_TRUE(IniFile(MacroIndexPath(data), SystemFileIo())
                  .WriteString("MACRO_LIST", "1", "../../evil")
                  .ok());
  ASSERT_TRUE(IniFile(data + "MacroDB/Combo.MSMACRO", SystemFileIo())
                  .WriteInt("Setting", "LoopTime", 3)
                  .ok());
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_MACRO_CHANGED, 0, 0).state, SendOutcome::State::kAnswered);
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_MACRO_CHANGED, 1, 0).state, SendOutcome::State::kAnswered);
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_MACRO_ASSIGNED, 2, 11).state,
            SendOutcome::State::kAnswered);
  const std::string log = ReadBytes(scratch / "hid.log");
  EXPECT_NE(log.find("0x1514 sent w=0 l=0: macro \"Combo\" applied to slot 0"), std::string::npos) << log;
  EXPECT_NE(log.find("0x1514 sent w=1 l=0: slot 1 refused"), std::string::npos) << log;
  EXPECT_NE(log.find("0x1516 sent w=2 l=11: profile 3 button 12 applied"), std::string::npos) << log;
}

TEST_F(AgentTest, GarbageDoesNotStopTheAgent) {
  StartAgent();
  for (int i = 0; i < 50; ++i) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s/%s", folder.c_str(), std::string(kAgentWindowTitle).c_str());
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string junk(static_cast<std::size_t>(i), static_cast<char>(0xA5 + i));
    if (!junk.empty()) {
      ASSERT_GT(::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL), 0);
    }
    ::close(fd);
  }
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_APPLY, 0, 0).state, SendOutcome::State::kAnswered);
}

TEST_F(AgentTest, AStoppedOrKilledAgentNeverHoldsTheSenderPastItsLimit) {
  StartAgent();
  ::kill(agent, SIGSTOP);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_APPLY, 0, 0, 300ms).state,
            SendOutcome::State::kNoAnswer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  ::kill(agent, SIGKILL);
  Wait(agent);
  agent = -1;
  EXPECT_EQ(bus.SendMessage(kAgentWindowTitle, WM_AGENT_APPLY, 0, 0).state, SendOutcome::State::kAbsent);
  EXPECT_EQ(Ctl({"apply"}), (std::pair<int, std::string>{0, "no agent\n"}));
  EXPECT_EQ(Ctl({"agent", "status"}).second.substr(0, 14), "agent: absent\n");
  // A new agent takes over the stale socket.
  StartAgent();
}

TEST_F(AgentTest, StopEndsTheAgentWhichSaysTheMouseIsGone) {
  MainWindow window(folder);
  StartAgent();
  ASSERT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Ctl({"agent", "stop"}).first, 0);
  EXPECT_FALSE(bus.FindWindow(kAgentWindowTitle)) << "stop returned before the agent was gone";
  EXPECT_EQ(Wait(agent), 0);
  agent = -1;
  EXPECT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Setting(), 0);
  EXPECT_FALSE(test::Exists(AgentStatePath(folder)));
  EXPECT_EQ(Ctl({"agent", "stop"}).first, 0) << "nothing left to stop";
}

TEST_F(AgentTest, DeviceChoicesAreKeptInAgentIniAndReadByTheAgent) {
  const std::string ini = scratch / ".config/vantix/agent.ini";
  // Kept with no agent running, too.
  EXPECT_EQ(Ctl({"agent", "device", "resolution", "1600"}).first, 0);
  StartAgent();
  EXPECT_EQ(Ctl({"agent", "device", "use", "/dev/input/by-id/some-mouse"}).first, 0);
  EXPECT_EQ(IniFile(ini, SystemFileIo()).ReadString("Device", "Use"),
            "/dev/input/by-id/some-mouse");
  EXPECT_EQ(IniFile(ini, SystemFileIo()).ReadInt(0, "Device", "Resolution"), 1600);
  EXPECT_EQ(Ctl({"agent", "device", "use", "none"}).first, 0);
  EXPECT_EQ(IniFile(ini, SystemFileIo()).ReadString("Device", "Use"), "none");
  const std::string log = ReadBytes(scratch / "hid.log");
  EXPECT_NE(log.find("agent settings read: device /dev/input/by-id/some-mouse, resolution 1600"), std::string::npos)
      << log;
  EXPECT_NE(log.find("agent settings read: device none, resolution 1600"), std::string::npos) << log;

  for (const auto& bad : std::vector<std::vector<std::string>>{{"agent", "device", "resolution", "99"},
                                                               {"agent", "device", "resolution", "50001"},
                                                               {"agent", "device", "resolution", "1e3"},
                                                               {"agent", "device", "use"},
                                                               {"agent", "device", "use", ""},
                                                               {"agent", "device", "list", "extra"},
                                                               {"agent", "device", "jump"}}) {
    EXPECT_EQ(Ctl(bad).first, 2) << bad.back();
  }
  EXPECT_EQ(IniFile(ini, SystemFileIo()).ReadInt(0, "Device", "Resolution"), 1600)
      << "a refused value changed the file";
  // No event devices on a build machine may be listed, but the call works.
  EXPECT_EQ(Ctl({"agent", "device", "list"}).first, 0);
}

TEST_F(AgentTest, SimulatedDevicesAreChosenListedAndPressedForAListeningWindow) {
  test::WriteBytes(scratch / "mice", "Office Mouse\t5\nnot a device line\nTrackball\t8\n");
  env["VANTIX_SIMULATED_DEVICES"] = scratch / "mice";
  MainWindow window(folder);
  StartAgent();
  ASSERT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  // No product mouse among them: nothing served, and the reason says so.
  EXPECT_EQ(Ctl({"agent", "status"}).second,
            "agent: running\ndevice: disconnected\nreason: no Corvane II Gaming Mouse is plugged in\nprofile: 1\n"
            "focus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; "
            "session bus: none to connect to: No such file or directory)\n");
  EXPECT_EQ(Ctl({"agent", "device", "list"}).second, "simulated:1\tOffice Mouse\t5\nsimulated:3\tTrackball\t8\n");
  EXPECT_EQ(Ctl({"agent", "simulate", "press", "1"}).first, 1) << "pressed a mouse that is not served";

  EXPECT_EQ(Ctl({"agent", "device", "use", "Trackball"}).first, 0);
  ASSERT_TRUE(window.Next(WM_AGENT_STATE).has_value());
  EXPECT_EQ(Ctl({"agent", "status"}).second, "agent: running\ndevice: simulated\nprofile: 1\n"
                                            "focus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; "
                                            "session bus: none to connect to: No such file or directory)\n");
  // Served for the first time without a resolution of the user's: the
  // active stage of the factory profile (2000 DPI) moves it as before.
  EXPECT_EQ(Ctl({"agent", "device", "list"}).second,
            "simulated:1\tOffice Mouse\t5\nsimulated:3\tTrackball\t8\tserved\t2000 dpi (stage)\n");
  const AgentState state = ReadAgentState(AgentStatePath(folder), SystemFileIo());
  EXPECT_EQ(state.served_name, "Trackball");
  EXPECT_EQ(state.devices.size(), 2U);

  // The window was there when the agent started: it hears the buttons.
  EXPECT_EQ(Ctl({"agent", "simulate", "press", "8"}).first, 0);
  EXPECT_EQ(Ctl({"agent", "simulate", "release", "8"}).first, 0);
  const auto press = window.Next(WM_AGENT_SOURCE_BUTTON);
  const auto release = window.Next(WM_AGENT_SOURCE_BUTTON);
  ASSERT_TRUE(press && release);
  EXPECT_EQ(std::pair(press->wparam, press->lparam), std::pair(std::int64_t{8}, std::int64_t{1}));
  EXPECT_EQ(std::pair(release->wparam, release->lparam), std::pair(std::int64_t{8}, std::int64_t{0}));
  EXPECT_EQ(Ctl({"agent", "simulate", "press", "9"}).first, 1) << "the trackball has eight buttons";
  for (const auto& bad : std::vector<std::vector<std::string>>{{"agent", "simulate", "press", "0"},
                                                               {"agent", "simulate", "press", "13"},
                                                               {"agent", "simulate", "hold", "1"},
                                                               {"agent", "simulate", "press"}}) {
    EXPECT_EQ(Ctl(bad).first, 2) << bad.back();
  }
  // Told not to listen, the agent posts no more buttons.
  ASSERT_EQ(bus.SendMessage(kAgentWindowTitle, kAgentControlListen, 0, 0).state, SendOutcome::State::kAnswered);
  EXPECT_EQ(Ctl({"agent", "simulate", "press", "2"}).first, 0);
  EXPECT_EQ(Ctl({"agent", "event", "9", "1"}).first, 0);
  ASSERT_TRUE(window.Next(WM_AGENT_EVENT).has_value());
  EXPECT_FALSE(window.Next(WM_AGENT_SOURCE_BUTTON).has_value());

  // A second agent that insists on the kernel says why it ends at once.
  const int second = Wait(Spawn({HID_PATH, "--backend=kernel"}, env, scratch / "second.out", scratch / "second.log"));
  EXPECT_EQ(second, 0);
  EXPECT_NE(ReadBytes(scratch / "second.log").find("another agent already runs (simulated backend)"), std::string::npos)
      << ReadBytes(scratch / "second.log");
  EXPECT_NE(ReadBytes(scratch / "hid.log").find("VANTIX_SIMULATED_DEVICES: line 2 is not NAME<TAB>BUTTONS"),
            std::string::npos);
}

TEST_F(AgentTest, TheKernelBackendWithoutUinputSaysWhyItServesNothing) {
  if (test::Exists("/dev/uinput")) GTEST_SKIP() << "this machine has uinput; the kernel tests cover it";
  MainWindow window(folder);
  agent = Spawn({HID_PATH, "--backend=kernel"}, env, scratch / "hid.out", scratch / "hid.log");
  ASSERT_TRUE(
      test::WaitFor([&] { return bus.FindWindow(kAgentWindowTitle); }, 5s, "the agent's endpoint"));
  ASSERT_TRUE(window.Next(WM_AGENT_STATUS).has_value());
  EXPECT_EQ(Setting(), 0);
  EXPECT_EQ(Ctl({"agent", "status"}).second,
            "agent: running\ndevice: disconnected\nreason: cannot open /dev/uinput: No such file or directory\n"
            "profile: 1\nfocus: none (x11: no DISPLAY; wlroots: no WAYLAND_DISPLAY; "
            "session bus: none to connect to: No such file or directory)\n");
  EXPECT_NE(ReadBytes(scratch / "hid.log").find("no mouse served: cannot open /dev/uinput"), std::string::npos);
  // The simulated mouse is not there to be connected.
  EXPECT_EQ(Ctl({"agent", "connect"}).first, 0);
  EXPECT_EQ(Setting(), 0);
}

TEST(AgentOptionsTest, UnknownOptionsAreRefused) {
  ScratchDir scratch;
  const test::ProgramRun run = test::RunProgram(HID_PATH, {"--backend=usb"}, scratch);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("usage: hid [--backend=kernel|simulated]"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace vantix
