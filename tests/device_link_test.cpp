#include "devicelink/device_link.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "devicelink/agent_events.h"
#include "devicelink/agent_messages.h"
#include "settings/ini_file.h"
#include "tests/recorders.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ScratchDir;

using test::RecordingAgent;
using test::Sent;

SettingsBlock Factory() {
  SettingsBlock init;
  InitSettings(init);
  SettingsBlock live;
  ValidateSettings(init, live);
  return live;
}

class AgentEventTest : public ::testing::Test {
 protected:
  AgentEventTest() : live(Factory()), store(dir.path() + "/", live, SystemFileIo()) {
    live.CurrentProfile = 2;
  }
  AgentEventEffects Event(std::int64_t kind, std::int64_t value) {
    return OnAgentEvent(live, store, kind, value);
  }
  ScratchDir dir;
  SettingsBlock live;
  ProfileStore store;
};

TEST_F(AgentEventTest, ReloadReadsTheFilesAgainOnlyForValueZero) {
  SettingsBlock on_disk = Factory();
  on_disk.CurrentProfile = 4;
  on_disk.Profiles[4].DPI = 3;
  ASSERT_TRUE(ProfileStore(dir.path() + "/", on_disk, SystemFileIo()).SaveProfiles().ok());

  EXPECT_FALSE(Event(kEventReload, 1).handled);
  EXPECT_EQ(live.CurrentProfile, 2);

  const AgentEventEffects effects = Event(kEventReload, 0);
  EXPECT_TRUE(effects.handled);
  EXPECT_TRUE(effects.reloaded);
  EXPECT_EQ(live.CurrentProfile, 4);
  EXPECT_EQ(live.Profiles[4].DPI, 3);
}

TEST_F(AgentEventTest, DeviceSideChangesLandInTheCurrentProfile) {
  AgentEventEffects e = Event(kEventDpiStage, 4);
  EXPECT_EQ(live.Profiles[2].DPI, 4);
  EXPECT_EQ(e.stage_label, 4);

  e = Event(kEventPointerSpeed, 17);
  EXPECT_EQ(live.Profiles[2].MouseSensitivity, 17);
  EXPECT_EQ(e.pointer_slider, 17);

  e = Event(kEventLightingMode, 7);  // stored, but no mode is shown for it
  EXPECT_EQ(live.Profiles[2].LedMode1, 7);
  EXPECT_FALSE(e.lighting_mode.has_value());
  EXPECT_TRUE(e.handled);
  e = Event(kEventLightingMode, 2);
  EXPECT_EQ(e.lighting_mode, 2);

  e = Event(kEventApplyDone, 12345);
  EXPECT_TRUE(e.start_apply_done_timer);
  EXPECT_EQ(live.Profiles[1], Factory().Profiles[1]);
}

TEST_F(AgentEventTest, ProfileSwitchTakesOnlyValidProfiles) {
  for (const std::int64_t bad : {-1LL, 5LL, 1LL << 33}) {
    EXPECT_FALSE(Event(kEventProfile, bad).handled) << bad;
    EXPECT_EQ(live.CurrentProfile, 2);
  }
  const AgentEventEffects e = Event(kEventProfile, 4);
  EXPECT_EQ(e.switch_profile, 4);
  EXPECT_EQ(live.CurrentProfile, 4);
}

TEST_F(AgentEventTest, ReportRateSelectsItsButtonOrFallsBackToTwo) {
  for (const auto& [value, stored, button] :
       {std::tuple{1, 1, 3}, {2, 2, 2}, {4, 4, 1}, {8, 8, 0}, {3, 2, 2}, {0, 2, 2}, {-8, 2, 2}}) {
    const AgentEventEffects e = Event(kEventReportRate, value);
    EXPECT_EQ(live.Profiles[2].PollingRate, stored) << value;
    EXPECT_EQ(e.report_rate_button, button) << value;
  }
}

TEST_F(AgentEventTest, UnknownKindsAreIgnored) {
  const SettingsBlock before = live;
  for (const std::int64_t kind : {-1LL, 1LL, 7LL, 13LL, 14LL, 16LL, 0x7FFFFFFFFFLL}) {
    EXPECT_FALSE(Event(kind, 1).handled) << kind;
  }
  EXPECT_EQ(live, before);
}

TEST(AgentStatusTest, ConnectionChangesDriveTheLabels) {
  StatusEffects up = OnAgentStatus(true);
  EXPECT_EQ(up.show_connected, false);
  EXPECT_EQ(up.show_disconnected, false);
  EXPECT_TRUE(up.restart_blink);

  StatusEffects down = OnAgentStatus(false);
  EXPECT_EQ(down.show_disconnected, true);
  EXPECT_TRUE(down.stop_blink);

  EXPECT_FALSE(InitialConnectionEffects(true).show_disconnected.has_value());
  EXPECT_EQ(InitialConnectionEffects(false).show_disconnected, true);
}

ApplyOutcome Outcome(Status saved, SendOutcome::State notified) {
  return {std::move(saved), {notified, 0}};
}

TEST(ApplyWaitTest, TheRowWaitsOnlyForAnAgentThatWasTold) {
  using State = SendOutcome::State;
  const ApplyEffects waits{.start_watch = true};
  const ApplyEffects unconfirmed{.stop_watch = true, .row_enabled = true,
                                 .show_unconfirmed = true};
  struct Case {
    const char* name;
    ApplyOutcome outcome;
    ApplyEffects effects;
    bool waiting;
  };
  const Case cases[] = {
      {"saved, agent told", Outcome(Status::Ok(), State::kAnswered), waits, true},
      {"saved, agent silent", Outcome(Status::Ok(), State::kNoAnswer), waits, true},
      {"saved, no agent", Outcome(Status::Ok(), State::kAbsent), unconfirmed, false},
      // The agent reads whatever the files hold, so the row waits for it even
      // after a failed save; the user is told after the wait has begun.
      {"not saved, agent told", Outcome(Status::Error("read-only"), State::kAnswered),
       {.start_watch = true, .warn_not_saved = true}, true},
      {"not saved, no agent", Outcome(Status::Error("read-only"), State::kAbsent),
       {.stop_watch = true, .warn_not_saved = true, .row_enabled = true,
        .show_unconfirmed = true},
       false},
      // Another writer holds the folder: told, and the row back at once.
      {"folder busy", Outcome(Status::LockBusy("held"), State::kAnswered),
       {.warn_not_saved = true, .row_enabled = true}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ApplyWait wait(std::chrono::seconds(10));
    EXPECT_EQ(wait.Begin(), (ApplyEffects{.row_enabled = false, .show_unconfirmed = false}));
    EXPECT_EQ(wait.Saved(c.outcome), c.effects);
    EXPECT_EQ(wait.Waiting(), c.waiting);
  }
}

TEST(ApplyWaitTest, TheWaitEndsWithTheAnswerOrTheAgentsSilence) {
  const ApplyOutcome told = Outcome(Status::Ok(), SendOutcome::State::kAnswered);
  const ApplyEffects unconfirmed{.stop_watch = true, .row_enabled = true,
                                 .show_unconfirmed = true};
  using std::chrono::milliseconds;
  {
    SCOPED_TRACE("silent past the limit");
    ApplyWait wait(milliseconds(2500));
    EXPECT_EQ(wait.WatchInterval(), milliseconds(1000));
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnWatchTick(true), ApplyEffects{});
    EXPECT_EQ(wait.OnWatchTick(true), ApplyEffects{});
    EXPECT_EQ(wait.OnWatchTick(true), unconfirmed);
    EXPECT_FALSE(wait.Waiting());
    // A second Apply waits its own full limit again.
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnWatchTick(true), ApplyEffects{});
  }
  {
    SCOPED_TRACE("a short limit is looked at as often as it lasts");
    ApplyWait wait(milliseconds(300));
    EXPECT_EQ(wait.WatchInterval(), milliseconds(300));
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnWatchTick(true), unconfirmed);
  }
  {
    SCOPED_TRACE("gone");
    ApplyWait wait(std::chrono::seconds(10));
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnWatchTick(false), unconfirmed);
  }
  {
    SCOPED_TRACE("its state changed; afterwards a status change is no news");
    ApplyWait wait(std::chrono::seconds(10));
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnAgentStatus(), unconfirmed);
    EXPECT_EQ(wait.OnAgentStatus(), ApplyEffects{});
  }
  {
    SCOPED_TRACE("confirmed, then the done timer");
    ApplyWait wait(std::chrono::seconds(10));
    std::ignore = wait.Saved(told);
    EXPECT_EQ(wait.OnConfirmed(), (ApplyEffects{.stop_watch = true, .start_done_timer = true}));
    EXPECT_FALSE(wait.Waiting());
    EXPECT_EQ(wait.OnAgentStatus(), ApplyEffects{});
    EXPECT_EQ(wait.OnDone(),
              (ApplyEffects{.stop_watch = true, .row_enabled = true, .show_unconfirmed = false}));
  }
}

TEST(AgentStatusTest, BlinkFlashesThreeTimesAndEndsHidden) {
  StatusBlink blink;
  for (int round = 0; round < 2; ++round) {  // a restart begins from the start again
    std::string pattern;
    bool stopped = false;
    int ticks = 0;
    while (!stopped && ticks < 20) {
      const StatusBlink::Tick t = blink.OnTick();
      pattern += t.show_connected ? 'S' : 'h';
      stopped = t.stop_timer;
      ++ticks;
    }
    EXPECT_EQ(pattern, "hShShShh");
    blink.Restart();
  }
}

TEST(DeviceLinkTest, ApplyLooksTheAgentUpThenSavesThenNotifies) {
  ScratchDir dir;
  SettingsBlock live = Factory();
  const ProfileStore store(dir.path() + "/", live, SystemFileIo());
  RecordingAgent agent;
  bool files_at_find = true;
  bool files_at_send = false;
  agent.on_find = [&] { files_at_find = test::Exists(dir / "RSProfile1.pfd"); };
  agent.on_send = [&] { files_at_send = test::Exists(dir / "RSProfile5.pfd"); };
  const ApplyOutcome outcome = ApplyProfiles(store, agent);
  EXPECT_TRUE(outcome.saved.ok());
  EXPECT_EQ(outcome.notified.state, SendOutcome::State::kAnswered);
  EXPECT_FALSE(files_at_find);
  EXPECT_TRUE(files_at_send);
  EXPECT_EQ(agent.sent, (std::vector<Sent>{{WM_AGENT_APPLY, 0, 0}}));
}

TEST(DeviceLinkTest, ApplyWithoutAnAgentSavesAndSendsNothing) {
  ScratchDir dir;
  SettingsBlock live = Factory();
  RecordingAgent agent;
  agent.present = false;
  const ApplyOutcome outcome =
      ApplyProfiles(ProfileStore(dir.path() + "/", live, SystemFileIo()), agent);
  EXPECT_TRUE(outcome.saved.ok());
  EXPECT_EQ(outcome.notified.state, SendOutcome::State::kAbsent);
  EXPECT_TRUE(agent.sent.empty());
  for (int i = 0; i < kProfileCount; ++i) EXPECT_TRUE(test::Exists(ProfilePath(dir.path() + "/", i)));
}

TEST(DeviceLinkTest, MacroNoticesGoToExactlyTheButtonsUsingTheMacro) {
  SettingsBlock live = Factory();
  const auto assign = [&](int p, int b, std::u16string_view name, std::uint8_t func = 11) {
    ButtonRecord& button = live.Profiles[p].Buttons[b];
    button.ButtonFunc = func;
    button.MacroName.fill(0);
    std::copy(name.begin(), name.end(), button.MacroName.begin());
  };
  assign(3, 7, u"Combo");
  assign(0, 11, u"Combo");
  assign(1, 0, u"combo");        // names compare exactly
  assign(2, 2, u"Combo", 6);     // not a macro assignment
  assign(4, 4, u"Combo2");
  RecordingAgent agent;
  NotifyMacroAssignment(agent, live, u"Combo");
  EXPECT_EQ(agent.sent, (std::vector<Sent>{{WM_AGENT_MACRO_ASSIGNED, 0, 11},
                                           {WM_AGENT_MACRO_ASSIGNED, 3, 7}}));
  NotifyMacroChanged(agent, -1);
  EXPECT_EQ(agent.sent.back(), (Sent{WM_AGENT_MACRO_CHANGED, -1, 0}));

  RecordingAgent absent;
  absent.present = false;
  NotifyMacroAssignment(absent, live, u"Combo");
  NotifyMacroChanged(absent, 3);
  EXPECT_TRUE(absent.sent.empty());
}

TEST(DeviceLinkTest, ConnectionStateComesFromTheMacroIndex) {
  ScratchDir dir;
  const std::string data = dir.path() + "/";
  EXPECT_FALSE(ReadConnectionState(data, SystemFileIo()));
  ::mkdir((dir / "MacroDB").c_str(), 0700);
  ASSERT_TRUE(IniFile(MacroIndexPath(data), SystemFileIo()).WriteInt("Device", "Setting", 1).ok());
  EXPECT_TRUE(ReadConnectionState(data, SystemFileIo()));
  ASSERT_TRUE(IniFile(MacroIndexPath(data), SystemFileIo()).WriteInt("Device", "Setting", 0).ok());
  EXPECT_FALSE(ReadConnectionState(data, SystemFileIo()));
}

class RecordingLauncher final : public ProcessLauncher {
 public:
  std::vector<std::string> started;
  bool StartDetached(const std::string& path) override {
    started.push_back(path);
    return true;
  }
};

TEST(DeviceLinkTest, TheAgentIsStartedOnlyWhenAbsent) {
  RecordingAgent agent;
  RecordingLauncher launcher;
  StartAgentIfAbsent(agent, "/opt/vantix/", launcher);
  EXPECT_TRUE(launcher.started.empty());
  agent.present = false;
  StartAgentIfAbsent(agent, "/opt/vantix/", launcher);
  EXPECT_EQ(launcher.started, std::vector<std::string>{"/opt/vantix/hid"});
}

TEST(DeviceLinkTest, ADetachedProgramRunsOnAndIsNotOurChild) {
  ScratchDir dir;
  const std::string script = dir / "agent.sh";
  test::WriteBytes(script, "#!/bin/sh\necho $PPID > \"$(dirname \"$0\")/ran\"\n");
  ::chmod(script.c_str(), 0755);
  ASSERT_TRUE(SystemProcessLauncher().StartDetached(script));
  EXPECT_TRUE(test::WaitFor([&] { return test::Exists(dir / "ran"); }, std::chrono::seconds(5),
                            "the detached program's mark"));
  // Nothing is left for us to reap.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
}  // namespace vantix
