// The agent's handling of a backend that comes and goes on its own (a real
// mouse), in process: the connection state it stores and announces, the
// files it applies, the messages it queues, the agent's own settings.
#include "agent/device_agent.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "devicelink/agent_messages.h"
#include "devicelink/device_link.h"
#include "devicelink/program_rules.h"
#include "settings/ini_file.h"
#include "settings/profile_store.h"
#include "tests/test_support.h"

namespace vantix::agent {
namespace {

// Stands in for the kernel's devices: plugged and unplugged by the test.
class FakeMouse final : public MouseBackend {
 public:
  bool connected = false;
  int profiles_applied = 0;
  SettingsBlock last{};
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
  Status ApplyProfiles(const SettingsBlock& settings) override {
    ++profiles_applied;
    last = settings;
    return Status::Ok();
  }
  Status ApplyMacro(const MacroUpload& macro) override {
    macros.push_back(macro);
    return Status::Ok();
  }
  Status ApplyButton(int, int, const ButtonRecord&) override { return Status::Ok(); }
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
    // Saved profiles with the third one current.
    SettingsBlock live;
    InitSettings(live);
    SettingsBlock init = live;
    ValidateSettings(init, live);
    live.CurrentProfile = 2;
    EXPECT_TRUE(ProfileStore(data, live, SystemFileIo()).SaveProfiles().ok());
  }
  int Setting() {
    return IniFile(MacroIndexPath(data), SystemFileIo()).ReadInt(-1, "Device", "Setting");
  }
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
  const int applied_at_start = mouse.profiles_applied;

  mouse.Plug(true);
  EXPECT_TRUE(posted.empty()) << "posted before the loop's turn ended";
  EXPECT_EQ(TakePosted(), std::vector<Posted>{kStatus});
  EXPECT_EQ(Setting(), 1);
  EXPECT_EQ(mouse.profiles_applied, applied_at_start + 1);
  EXPECT_EQ(mouse.last.CurrentProfile, 2);
  EXPECT_EQ(mouse.macros.size(), 2u * kMacroSlots) << "every slot handed over at start and at the plug";

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
  EXPECT_EQ(mouse.last.CurrentProfile, 2);
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
  EXPECT_EQ(mouse.RuleProfile(), 4);
  EXPECT_EQ(state().program, "hl2_linux");
  // Same profile, other rule: the window hears it, to name the program.
  EXPECT_EQ(in_front({"steam", "", ""}), std::vector<Posted>{to_fifth});
  EXPECT_EQ(state().program, "Steam");
  EXPECT_TRUE(in_front({"steam", "", ""}).empty()) << "no change, no message";
  EXPECT_EQ(in_front({"xterm", "xterm", "xterm"}), std::vector<Posted>{to_third});
  EXPECT_EQ(mouse.RuleProfile(), std::nullopt);
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
  EXPECT_EQ(mouse.RuleProfile(), 0);
  EXPECT_EQ(mouse.last.CurrentProfile, 2);
  SettingsBlock live;
  ProfileStore(data, live, SystemFileIo()).ReloadProfiles();
  EXPECT_EQ(live.CurrentProfile, 2);
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
