// The agent's handling of a backend that comes and goes on its own (a real
// mouse), in process: the connection state it stores and announces, the
// files it applies, the messages it queues, the agent's own settings.
#include "agent/device_agent.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/program_rules.h"
#include "macro/macro_files.h"
#include "settings/ini_file.h"
#include "settings/profile_store.h"
#include "tests/test_support.h"

namespace vantix::agent {
namespace {

// Stands in for the kernel's devices: plugged and unplugged by the test.
class FakeMouse final : public MouseBackend {
 public:
  bool connected = false;
  // What the agent installed, last first.
  int installs = 0;
  ProfileRecord installed{};
  std::vector<MacroUpload> macros;
  std::vector<AgentConfig> configs;
  bool shut_down = false;

  bool Connected() const override { return connected; }
  AgentState State() const override {
    AgentState state;
    state.backend = "kernel";
    state.served_path = connected ? "/dev/input/event3" : "";
    return state;
  }
  void Install(const ProfileRecord& profile, std::span<const MacroUpload> slots) override {
    ++installs;
    installed = profile;
    macros.assign(slots.begin(), slots.end());
  }
  void Reconfigure(const AgentConfig& config) override {
    configs.push_back(config);
    Plug(config.device.kind != DeviceChoice::Kind::kNone);
  }
  bool ReachesFirmware() const override { return false; }
  void Shutdown() override {
    shut_down = true;
    connected = false;
  }

  void Plug(bool on) {
    connected = on;
    listener_->MouseChanged();
  }
  void Report(std::int64_t kind, std::int64_t value) { listener_->DeviceEvent(kind, value); }
};

struct Posted {
  std::uint32_t message;
  std::int64_t wparam, lparam;
  bool operator==(const Posted&) const = default;
};

class DeviceAgentTest : public ::testing::Test {
 protected:
  DeviceAgentTest()
      : data(dir.path() + "/data/"),
        config(dir / "config/vantix/agent.ini"),
        agent(
            data, SystemFileIo(), mouse, [this](std::uint32_t m, std::int64_t w, std::int64_t l) { posted.push_back({m, w, l}); },
            [this](const std::string& line) { log += line + "\n"; }, config) {
    ::mkdir(data.c_str(), 0700);
    ::mkdir((data + "MacroDB").c_str(), 0700);
    // Saved profiles with the third one current; each scrolls its own number
    // of lines, which tells them apart.
    SettingsBlock live;
    InitSettings(live);
    SettingsBlock init = live;
    ValidateSettings(init, live);
    live.CurrentProfile = 2;
    for (int i = 0; i < kProfileCount; ++i) live.Profiles[i].WheelScrollLines = i + 1;
    EXPECT_TRUE(ProfileStore(data, live, SystemFileIo()).SaveProfiles().ok());
  }
  int Setting() {
    return IniFile(MacroIndexPath(data), SystemFileIo()).ReadInt(-1, "Device", "Setting");
  }
  // The profile (1..5) the mouse serves now.
  int Installed() const { return mouse.installed.WheelScrollLines; }
  std::vector<Posted> TakePosted() {
    agent.Flush();
    std::vector<Posted> taken;
    taken.swap(posted);
    return taken;
  }

  test::ScratchDir dir;
  std::string data, config;
  FakeMouse mouse;
  std::vector<Posted> posted;
  std::string log;
  DeviceAgent agent;
};

const Posted kStatus{WM_AGENT_STATUS, 0, 0};

TEST_F(DeviceAgentTest, AMouseThatComesBackIsServedWithTheSavedFilesAndAnnounced) {
  agent.Start();
  EXPECT_EQ(Setting(), 0);
  EXPECT_EQ(TakePosted(), std::vector<Posted>{kStatus});
  const int installs_at_start = mouse.installs;
  mouse.macros.clear();

  mouse.Plug(true);
  EXPECT_TRUE(posted.empty()) << "posted before the loop's turn ended";
  EXPECT_EQ(TakePosted(), std::vector<Posted>{kStatus});
  EXPECT_EQ(Setting(), 1);
  EXPECT_EQ(mouse.installs, installs_at_start + 1) << "macros and profile handed over together";
  EXPECT_EQ(Installed(), 3);
  EXPECT_EQ(mouse.macros.size(), std::size_t{kMacroSlots}) << "every slot handed over again";

  mouse.Plug(false);
  EXPECT_EQ(TakePosted(), std::vector<Posted>{kStatus});
  EXPECT_EQ(Setting(), 0);
  mouse.Plug(false);
  EXPECT_TRUE(TakePosted().empty()) << "no change, no announcement";
}

TEST_F(DeviceAgentTest, DeviceEventsGoToTheWindow) {
  mouse.Report(kEventDpiStage, 3);
  mouse.Report(kEventDpiStage, 4);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_AGENT_EVENT, 8, 3}, {WM_AGENT_EVENT, 8, 4}}));
}

TEST_F(DeviceAgentTest, ReconfigureReadsTheAgentsSettings) {
  agent.Start();
  TakePosted();
  ASSERT_TRUE(WriteDeviceChoice(config, DeviceChoice::Parse("Other Mouse"), SystemFileIo()).ok());
  ASSERT_TRUE(WriteNativeResolution(config, 1600, SystemFileIo()).ok());
  EXPECT_EQ(agent.Handle({kAgentControlReconfigure, true, 0, 0}), 1);
  ASSERT_EQ(mouse.configs.size(), 1u);
  EXPECT_EQ(mouse.configs[0], (AgentConfig{{DeviceChoice::Kind::kName, "Other Mouse"}, 1600, ResolutionSource::kUser}));
  EXPECT_EQ(TakePosted(), std::vector<Posted>{kStatus});

  ASSERT_TRUE(WriteDeviceChoice(config, DeviceChoice::Parse("none"), SystemFileIo()).ok());
  EXPECT_EQ(agent.Handle({kAgentControlReconfigure, true, 0, 0}), 0) << "no mouse served afterwards";
  EXPECT_EQ(Setting(), 0);
}

TEST_F(DeviceAgentTest, ApplyKeepsTheProfilesForLaterAndSaysWhatTheFirmwareKeeps) {
  EXPECT_EQ(agent.Handle({WM_AGENT_APPLY, true, 0, 0}), 1);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_AGENT_EVENT, kEventApplyDone, 0}}));
  EXPECT_EQ(Installed(), 3);
  EXPECT_NE(log.find("report rate and lighting are kept by the mouse's firmware"), std::string::npos) << log;
  EXPECT_NE(log.find("kept for when a mouse is served"), std::string::npos) << log;
}

TEST_F(DeviceAgentTest, ARealMouseIgnoresConnectAndDisconnect) {
  agent.Start();
  TakePosted();
  EXPECT_EQ(agent.Handle({kAgentControlConnect, true, 0, 0}), 0);
  EXPECT_FALSE(mouse.connected);
  EXPECT_TRUE(TakePosted().empty());
  EXPECT_NE(log.find("ignored"), std::string::npos);
}

TEST_F(DeviceAgentTest, StopLetsGoOfTheMouse) {
  agent.Start();
  mouse.Plug(true);
  TakePosted();
  EXPECT_EQ(agent.Handle({kAgentControlStop, true, 0, 0}), 1);
  EXPECT_TRUE(agent.StopRequested());
  agent.Stop();
  EXPECT_TRUE(mouse.shut_down);
  EXPECT_EQ(Setting(), 0);
  EXPECT_EQ(posted, std::vector<Posted>{kStatus});
}

// The rules of programs.ini beside agent.ini pick the profile while their
// program is in front; the files' current profile (the third) is never
// rewritten.
TEST_F(DeviceAgentTest, TheProgramInFrontPicksTheProfileItsRuleNames) {
  const std::string rules = ProgramRulesPathBeside(config);
  ASSERT_TRUE(SetProgramRule(rules, "Steam", 5, SystemFileIo()).ok());
  ASSERT_TRUE(SetProgramRule(rules, "hl2_linux", 5, SystemFileIo()).ok());
  agent.Start();
  mouse.Plug(true);
  TakePosted();
  const auto in_front = [&](std::vector<std::string> names) {
    agent.FocusChanged(FocusedProgram{std::move(names)});
    return TakePosted();
  };
  const auto state = [&] {
    AgentState s;
    agent.DescribeFocus(s);
    return s;
  };
  const Posted to_fifth{WM_AGENT_EVENT, kEventProfile, 4};
  const Posted to_third{WM_AGENT_EVENT, kEventProfile, 2};
  EXPECT_EQ(state().profile, 3);

  // By the executable when the class has no rule; by the class first.
  EXPECT_EQ(in_front({"Hl2", "hl2", "HL2_LINUX"}), std::vector<Posted>{to_fifth});
  EXPECT_EQ(Installed(), 5);
  EXPECT_EQ(state().program, "hl2_linux");
  // Same profile, other rule: the window hears it, to name the program.
  EXPECT_EQ(in_front({"steam", "", ""}), std::vector<Posted>{to_fifth});
  EXPECT_EQ(state().program, "Steam");
  EXPECT_TRUE(in_front({"steam", "", ""}).empty()) << "no change, no message";
  EXPECT_EQ(in_front({"xterm", "xterm", "xterm"}), std::vector<Posted>{to_third});
  EXPECT_EQ(Installed(), 3);
  EXPECT_EQ(state().profile, 3);
  EXPECT_EQ(state().program, "");
  EXPECT_EQ(state().recent, (std::vector<std::string>{"xterm", "steam", "Hl2"}));

  // A rule set while its program is in front takes effect when the agent is told.
  ASSERT_TRUE(SetProgramRule(rules, "XTerm", 1, SystemFileIo()).ok());
  EXPECT_EQ(agent.Handle({kAgentControlProgramRules, true, 0, 0}), 1);
  EXPECT_EQ(TakePosted(), (std::vector<Posted>{{WM_AGENT_EVENT, kEventProfile, 0}}));
  EXPECT_EQ(state().profile, 1);

  // An Apply meanwhile keeps the rule's profile in force.
  agent.Handle({WM_AGENT_APPLY, true, 0, 0});
  EXPECT_EQ(Installed(), 1);
  EXPECT_EQ(state().profile, 1);
  SettingsBlock live;
  ProfileStore(data, live, SystemFileIo()).ReloadProfiles();
  EXPECT_EQ(live.CurrentProfile, 2);
}

// The window names one changed button; the agent reads it as a reload (and
// so an Apply) reads it, with the same defaults and repairs, whatever the
// file holds.
TEST_F(DeviceAgentTest, AButtonReadAloneIsTheButtonAnApplyReads) {
  struct Case {
    std::string_view key, value;
  };
  const Case cases[] = {
      {"ButtonFunc", "255"}, {"ButtonFunc", "-1"}, {"ButtonFunc", "11"},
      {"KeyNumber", "300"},  {"LoopNumber", "-1"}, {"MacroName", "Rapid"},
  };
  agent.Start();
  const std::string file = ProfilePath(data, 2);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + std::string(c.value));
    ASSERT_TRUE(IniFile(file, SystemFileIo()).WriteString(ButtonKey(3), c.key, c.value).ok());
    EXPECT_EQ(agent.Handle({WM_AGENT_MACRO_ASSIGNED, false, 2, 3}), 0);
    const ButtonRecord alone = mouse.installed.Buttons[3];
    agent.Handle({WM_AGENT_APPLY, true, 0, 0});
    EXPECT_EQ(alone, mouse.installed.Buttons[3]);
    SettingsBlock live;
    ProfileStore(data, live, SystemFileIo()).ReloadProfiles();
    EXPECT_EQ(alone, live.Profiles[2].Buttons[3]);
  }
}

// The macros of the index reach the mouse as the macro files hold them; a
// slot whose macro cannot be read is handed over empty, so the mouse forgets
// it.
TEST_F(DeviceAgentTest, MacrosGoOverAsTheirFilesHoldThem) {
  MacroFiles files(data, SystemFileIo());
  MacroData combo;
  combo.name = "Combo";
  combo.LoopTime = 3;
  combo.LoopType = kLoopSecondMode;
  combo.DelayType = kDelayFixed;
  combo.events[0] = MacroEvent::Key(0x04, true);
  combo.events[1] = MacroEvent::Key(0x04, false);
  ASSERT_TRUE(files.SaveMacro(combo).ok());
  ASSERT_TRUE(files.RewriteMacroList({"Combo", "../Combo", "Gone"}).ok());
  agent.Start();

  ASSERT_EQ(mouse.macros.size(), std::size_t{kMacroSlots});
  const MacroUpload& got = mouse.macros[0];
  EXPECT_EQ(got.name, "Combo");
  EXPECT_EQ(got.slot, 0);
  EXPECT_EQ((std::array{got.loop_time, got.loop_type, got.delay_type}),
            (std::array{combo.LoopTime, combo.LoopType, combo.DelayType}));
  EXPECT_EQ(std::memcmp(got.events.data(), combo.events.data(), got.events.size()), 0);
  for (const int forgotten : {1, 2, 3}) {
    SCOPED_TRACE(forgotten);
    EXPECT_EQ(mouse.macros[forgotten].slot, forgotten);
    EXPECT_EQ(mouse.macros[forgotten].name, "");
    EXPECT_EQ(mouse.macros[forgotten].events, (std::array<std::uint8_t, kKeyEventBytes>{}));
  }

  // A notice for one slot reads that slot again.
  combo.LoopTime = 7;
  ASSERT_TRUE(files.SaveMacro(combo).ok());
  EXPECT_EQ(agent.Handle({WM_AGENT_MACRO_CHANGED, true, 0, 0}), 0);
  EXPECT_EQ(mouse.macros[0].loop_time, 7);
  // One for every slot says what became of each.
  EXPECT_EQ(agent.Handle({WM_AGENT_MACRO_CHANGED, true, -1, 0}), 0);
  EXPECT_NE(log.find("macro \"Combo\" applied to slot 0"), std::string::npos) << log;
  EXPECT_NE(log.find("slot 1 refused: unsafe name"), std::string::npos) << log;
  EXPECT_NE(log.find("macro \"Gone\" has no file"), std::string::npos) << log;
}

TEST_F(DeviceAgentTest, RecentProgramsAreFewNewestFirstAndOnceEach) {
  agent.Start();
  for (int i = 0; i < 12; ++i) agent.FocusChanged(FocusedProgram{{"p" + std::to_string(i)}});
  agent.FocusChanged(FocusedProgram{{"", "", "P5"}});
  agent.FocusChanged(FocusedProgram{{"", "", ""}});
  AgentState s;
  agent.DescribeFocus(s);
  EXPECT_EQ(s.recent, (std::vector<std::string>{"P5", "p11", "p10", "p9", "p8", "p7", "p6", "p4"}));
}

}  // namespace
}  // namespace vantix::agent
