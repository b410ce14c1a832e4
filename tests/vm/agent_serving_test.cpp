// The agent takes the mouse over and gives it back: the grab, the
// connection state, unplugging and plugging in again, "use none", and the
// agent's end by SIGTERM or SIGKILL with keys held.
#include <signal.h>

#include "devicelink/agent_messages.h"
#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {

class AgentServing : public AgentFixture {
 protected:
  // A second reader of the source, as any other program would open it.
  std::unique_ptr<EventReader> OtherReader() {
    std::string error;
    auto reader = EventReader::Open(source->Node(), error);
    EXPECT_TRUE(reader) << error;
    return reader;
  }
  // Button 4 sends the key A.
  void AssignKeyA() {
    ASSERT_TRUE(profile->SetButton(4, {.func = 6, .key_events = {0x04}}));
    Apply();
  }
  // The source's events reach other programs again.
  void ExpectSourceReleased() {
    const auto other = OtherReader();
    ASSERT_TRUE(other);
    source->Move(5, 0);
    EXPECT_EQ(WithoutSyn(other->Drain(kQuiet)), (std::vector<Event>{{EV_REL, REL_X, 5}}))
        << "the mouse is still grabbed";
  }
};

TEST_F(AgentServing, GrabsTheMouseAndAnnouncesTheConnection) {
  ASSERT_TRUE(session->Window().TakeStatus(kArrive)) << "no 0x4DD" << Log();
  EXPECT_EQ(session->Setting(), 1);
  const auto other = OtherReader();
  ASSERT_TRUE(other);

  Press(1);
  Release(1);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}})) << Log();
  EXPECT_TRUE(other->Drain(kQuiet).empty()) << "another program saw the grabbed mouse";

  const CommandResult status = session->Ctl({"agent", "status"});
  EXPECT_NE(status.out.find("device: connected"), std::string::npos) << status.out;
}

TEST_F(AgentServing, MouseThatComesBackIsServedWithItsProfileWithoutApply) {
  AssignKeyA();
  ASSERT_NO_FATAL_FAILURE(Unplug());
  ASSERT_NO_FATAL_FAILURE(PlugIn());
  Press(4);
  Release(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_A, 0}})) << Log();
}

TEST_F(AgentServing, UseNoneGivesTheMouseBackAtOnceAndUseServesItAgain) {
  AssignKeyA();
  Press(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 1}}));

  session->Window().Clear();
  const CommandResult none = session->Ctl({"agent", "device", "use", "none"});
  ASSERT_EQ(none.status, 0) << none.err;
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 0}})) << "a key stayed down" << Log();
  EXPECT_TRUE(WaitForSetting(0)) << Log();
  EXPECT_TRUE(session->Window().TakeStatus(kArrive)) << "no 0x4DD after use none";
  Release(4);
  ExpectSourceReleased();

  const CommandResult use = session->Ctl({"agent", "device", "use", "Corvane II Gaming Mouse"});
  ASSERT_EQ(use.status, 0) << use.err;
  ASSERT_TRUE(WaitForSetting(1)) << Log();
  Press(4);
  Release(4);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_A, 0}})) << Log();
}

// However the agent ends, the mouse works again and nothing stays pressed:
// the buttons it held are released on the virtual device before it goes, or
// by the kernel as it goes (SIGKILL). The mouse multiplexer, which outlives
// the virtual device, shows which.
struct EndCase {
  const char* name;
  int signal_number;
};
void PrintTo(const EndCase& end, std::ostream* out) { *out << end.name; }

class AgentEnd : public AgentServing, public ::testing::WithParamInterface<EndCase> {};

TEST_P(AgentEnd, ReleasesHeldButtonsAndTheMouse) {
  // Factory functions: button 2 is the right click, button 1 the left one.
  MiceReader mice;
  ASSERT_TRUE(mice.IsOpen());
  Press(2);
  Press(1);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_RIGHT, 1}, {EV_KEY, BTN_LEFT, 1}})) << Log();
  EXPECT_EQ(mice.ButtonsAfter(kQuiet), 3);

  const int status = session->StopAgent(GetParam().signal_number);
  if (GetParam().signal_number != SIGKILL) {
    EXPECT_EQ(status, 0) << Log();
  }
  EXPECT_EQ(mice.ButtonsAfter(kQuiet), 0) << "a button stayed down" << Log();
  EXPECT_TRUE(WaitForNoDevice("Vantix virtual mouse", kAppear)) << "the virtual mouse stayed";
  Release(1);
  Release(2);
  ExpectSourceReleased();
}

INSTANTIATE_TEST_SUITE_P(Signals, AgentEnd,
                         ::testing::Values(EndCase{"SIGTERM", SIGTERM}, EndCase{"SIGINT", SIGINT},
                                           EndCase{"SIGHUP", SIGHUP}, EndCase{"SIGKILL", SIGKILL}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantix::vmtest
