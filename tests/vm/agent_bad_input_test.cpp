// Bad input for the real agent: damaged profile and macro files, a mouse
// that vanishes in the middle of a report, a flood of reports, devices with
// forty buttons or none. The agent keeps running, keeps serving and never
// leaves a key down.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {


void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::remove_all(path);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Garbage(std::size_t size) {
  std::string bytes;
  unsigned state = 12345;
  for (std::size_t i = 0; i < size; ++i) {
    state = state * 1103515245 + 12345;
    bytes += static_cast<char>(state >> 16);
  }
  return bytes + "\n[GROUP]\nButtonAssigned_1=\xff\xfe\n[ButtonAssigned_1\nButtonFunc=";
}

class AgentBadInput : public AgentFixture {
 protected:
  // Apply as the window sends it, without vantixctl's repair of the files.
  void ApplyAsIs() {
    session->Window().Clear();
    const SendOutcome sent = MessageBus().SendMessage(kAgentWindowTitle, WM_AGENT_APPLY, 0, 0);
    ASSERT_EQ(sent.state, SendOutcome::State::kAnswered) << Log();
    ASSERT_TRUE(session->Window().TakeEvent(kEventApplyDone, kArrive)) << "no apply-done event" << Log();
  }
  // The agent still runs, the left button still clicks, and after every
  // button was pressed and released nothing is down.
  void ExpectStillSane() {
    ASSERT_TRUE(MessageBus().FindWindow(kAgentWindowTitle)) << "the agent is gone" << Log();
    Press(1);
    Release(1);
    EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}})) << Log();
    for (int button = 1; button <= 12; ++button) {
      Press(button);
      Release(button);
    }
    virtual_mouse->Drain(milliseconds(1500));
    EXPECT_TRUE(virtual_mouse->KeysDown().empty()) << "a key stayed down" << Log();
  }
};

struct Damage {
  const char* name;
  std::function<void(AgentSession&, ProfileWriter&)> apply;
};
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedFiles : public AgentBadInput, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFiles, AreSurvivedWithoutAStuckKey) {
  ASSERT_NO_FATAL_FAILURE(GetParam().apply(*session, *profile));
  ApplyAsIs();
  ExpectStillSane();
}

const std::string kBadHex = "0A0B0C";  // neither 189 bytes nor checksummed

INSTANTIATE_TEST_SUITE_P(
    Profiles, DamagedFiles,
    ::testing::Values(
        Damage{"garbage", [](AgentSession& s, ProfileWriter&) { WriteFile(s.ProfileFile(1), Garbage(3000)); }},
        Damage{"empty", [](AgentSession& s, ProfileWriter&) { WriteFile(s.ProfileFile(1), ""); }},
        Damage{"folder",
               [](AgentSession& s, ProfileWriter&) {
                 std::filesystem::remove(s.ProfileFile(1));
                 std::filesystem::create_directory(s.ProfileFile(1));
               }},
        Damage{"values_out_of_range",
               [](AgentSession& s, ProfileWriter& p) {
                 const std::string file = s.ProfileFile(1);
                 ASSERT_TRUE(p.SetButton(4, {.func = 200, .loop_number = 255, .key_number = 255}));
                 ASSERT_TRUE(p.SetButton(5, {.func = 7, .key_number = 250, .key_events = std::vector<std::uint8_t>(189, 0xE0)}));
                 ASSERT_TRUE(p.SetButton(6, {.func = 12, .loop_number = 0, .key_events = {0xF1}, .macro_name = "-7"}));
                 for (const auto& [key, value] :
                      {std::pair{"DPI", 77}, {"MouseSensitivity", -3}, {"WheelScrollLines", 100000},
                       {"Acceleration", 9}, {"GroupID", 42}}) {
                   ASSERT_TRUE(p.SetInt(key, value));
                 }
                 ASSERT_TRUE(p.SetStages({{{1, 100000, -5}, {0, 0, 0}, {1, 135, 135}, {0, 1, 1}, {0, 1, 1}, {0, 1, 1}}}));
               }},
        Damage{"broken_blocks",
               [](AgentSession& s, ProfileWriter& p) {
                 const std::string file = s.ProfileFile(1);
                 ASSERT_TRUE(p.SetButton(4, {.func = 6, .key_events = {0x04}}));
                 ASSERT_TRUE(s.CtlOk({"ini", "write-string", file, "GROUP", "ButtonAssigned_4", kBadHex}));
                 ASSERT_TRUE(s.CtlOk({"ini", "write-string", file, "GROUP", "DPIStageValue", "ZZ"}));
               }},
        Damage{"macro_missing",
               [](AgentSession& s, ProfileWriter& p) {
                 ASSERT_TRUE(WriteMacro(s, "Gone", {0x84, 0x04, 0, 0x04, 0x04, 0}, 2, 1));
                 std::filesystem::remove(s.MacroFile("Gone"));
                 ASSERT_TRUE(p.SetButton(4, {.func = 11, .key_number = 0, .macro_name = "Gone"}));
                 ASSERT_TRUE(p.SetButton(5, {.func = 11, .key_number = 14, .macro_name = "Nowhere"}));
               }},
        Damage{"macro_damaged",
               [](AgentSession& s, ProfileWriter& p) {
                 // Unknown event types, a press without its release, a bad block.
                 ASSERT_TRUE(WriteMacro(s, "Odd", {0x7F, 1, 2, 0x85, 0x04, 0, 0x84, 0xFF, 0, 0x84, 0x05, 0}, 1, 255));
                 ASSERT_TRUE(WriteMacro(s, "Bad", {}, 0, 3));
                 ASSERT_TRUE(s.CtlOk({"ini", "write-string", s.MacroFile("Bad"), "Setting", "MacroSetting_0", kBadHex}));
                 ASSERT_TRUE(s.CtlOk({"ini", "write-string", s.MacroFile("Bad"), "Setting", "Count", "99999"}));
                 ASSERT_TRUE(p.SetButton(4, {.func = 11, .loop_number = 1, .key_number = 0, .macro_name = "Odd"}));
                 ASSERT_TRUE(p.SetButton(5, {.func = 11, .loop_number = 3, .key_number = 1, .macro_name = "Bad"}));
               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentBadInput, MouseVanishingInTheMiddleOfAReportLeavesNoKeyDown) {
  ASSERT_TRUE(profile->SetButton(4, {.func = 6, .key_events = {0x04}}));
  ASSERT_NO_FATAL_FAILURE(Apply());
  Press(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 1}}));
  // No SYN_REPORT: the kernel ends the report itself as the device goes,
  // with the release of the held button.
  source->Emit(EV_REL, REL_X, 5);
  source.reset();
  const Events out = Out(milliseconds(1500));
  EXPECT_NE(std::find(out.begin(), out.end(), Event{EV_KEY, KEY_A, 0}), out.end()) << Describe(out) << Log();
  EXPECT_TRUE(virtual_mouse->KeysDown().empty()) << "a key stayed down";
  EXPECT_TRUE(WaitForSetting(0)) << Log();
  EXPECT_TRUE(session->Window().TakeStatus(kArrive)) << "no 0x4DD" << Log();
  ASSERT_NO_FATAL_FAILURE(PlugIn());
  ExpectStillSane();
}

// Bursts as fast as the test can write, each smaller than the kernel's
// buffer of a reader (which would drop events of any slow reader, not only
// the agent's), with a button pressed and released among the moves.
TEST_F(AgentBadInput, FloodOfReportsArrivesWholeAndInOrder) {
  ASSERT_TRUE(profile->SetStages({{{1, 10, 10}, {1, 20, 20}, {0, 30, 30}, {0, 50, 50}, {0, 100, 100}, {0, 135, 135}}}));
  ASSERT_TRUE(profile->SetInt("DPI", 0));  // 1000 DPI: motion unchanged
  ASSERT_NO_FATAL_FAILURE(Apply());
  constexpr int kBursts = 250, kMoves = 16;
  Events sent, received;
  for (int burst = 0; burst < kBursts; ++burst) {
    for (int move = 0; move < kMoves; ++move) {
      const int dx = (burst * kMoves + move) % 97 - 48;
      source->Move(dx == 0 ? 49 : dx, 0);
      sent.push_back({EV_REL, REL_X, dx == 0 ? 49 : dx});
      if (move == 5 || move == 11) {
        Press(3);
        sent.push_back({EV_KEY, BTN_MIDDLE, 1});
        Release(3);
        sent.push_back({EV_KEY, BTN_MIDDLE, 0});
      }
    }
    const Events burst_out = OutThrough(sent.back(), kArrive);
    received.insert(received.end(), burst_out.begin(), burst_out.end());
    ASSERT_EQ(received.size(), sent.size()) << "burst " << burst << Log();
  }
  EXPECT_EQ(received, sent);
}

// The agent stopped while the mouse goes on: the kernel's buffer overflows
// and drops the release of a held button. After SYN_DROPPED the agent reads
// the buttons back from the kernel and releases it.
TEST_F(AgentBadInput, ButtonReleasedWhileEventsWereDroppedIsReleased) {
  Press(1);
  Press(2);
  ASSERT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_RIGHT, 1}})) << Log();
  ASSERT_EQ(::kill(session->AgentPid(), SIGSTOP), 0);
  // Each burst is far more than the kernel keeps for one reader.
  for (int i = 0; i < 300; ++i) source->Move(1, 0);
  Release(1);
  for (int i = 0; i < 300; ++i) source->Move(1, 0);
  ASSERT_EQ(::kill(session->AgentPid(), SIGCONT), 0);
  const Events out = OutThrough({EV_KEY, BTN_LEFT, 0});
  EXPECT_NE(std::find(out.begin(), out.end(), Event{EV_KEY, BTN_LEFT, 0}), out.end())
      << "the left button stayed down" << Log();
  Out();
  EXPECT_EQ(virtual_mouse->KeysDown(), (std::vector<std::uint16_t>{BTN_RIGHT}));
  Release(2);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_RIGHT, 0}})) << Log();
}

TEST_F(AgentBadInput, MouseWithFortyButtonsIsServed) {
  ASSERT_NO_FATAL_FAILURE(Unplug());
  SourceDevice::Spec forty;
  for (std::uint16_t code = BTN_TRIGGER_HAPPY1; forty.buttons.size() < 40; ++code) forty.buttons.push_back(code);
  ASSERT_NO_FATAL_FAILURE(PlugIn(forty));
  const CommandResult list = session->Ctl({"agent", "device", "list"});
  EXPECT_NE(list.out.find(source->Node() + "\tCorvane II Gaming Mouse\t40\tserved"), std::string::npos)
      << list.out << list.err;
  source->Button(BTN_TRIGGER_HAPPY20, true);
  source->Button(BTN_TRIGGER_HAPPY20, false);
  ExpectStillSane();
}

TEST_F(AgentBadInput, MouseWithoutButtonsIsNotServedAndTheReasonIsShown) {
  ASSERT_NO_FATAL_FAILURE(Unplug());
  SourceDevice::Spec none;
  none.buttons.clear();
  ASSERT_NO_FATAL_FAILURE(PlugIn(none, false));
  std::string error;
  const auto other = EventReader::Open(source->Node(), error);
  ASSERT_TRUE(other) << error;
  source->Move(3, 3);
  EXPECT_EQ(WithoutSyn(other->Drain(kQuiet)).size(), 2u) << "the device was grabbed";
  EXPECT_EQ(session->Setting(), 0);
  const CommandResult status = session->Ctl({"agent", "status"});
  EXPECT_NE(status.out.find("device: disconnected\nreason: "), std::string::npos) << status.out;
  const CommandResult list = session->Ctl({"agent", "device", "list"});
  EXPECT_EQ(list.out.find(source->Node() + "\t"), std::string::npos) << "listed as a pointing device:\n" << list.out;
}

}  // namespace
}  // namespace vantix::vmtest
