// The window's side of the kernel backend, driven by a small client over the
// bus as the window drives it: the published device list, the choice of the
// mouse through agent.ini and 0x7A04 with 0x1520 coming back, and the
// reports of the source's buttons, which come only while a window listens.
#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {

class AgentWindowLink : public AgentFixture {
 protected:
  // Made after the session has pointed the runtime folder at its own home.
  static MessageBus Bus() { return MessageBus(); }
  AgentState Published() const { return ReadAgentState(AgentStatePath(Bus().Folder()), SystemFileIo()); }
  // As the chooser does: the choice into agent.ini, then the agent told.
  void Choose(const DeviceChoice& choice) {
    const auto path = AgentConfigPath();
    ASSERT_TRUE(path);
    ASSERT_TRUE(WriteDeviceChoice(*path, choice, SystemFileIo()).ok());
    session->Window().Clear();
    ASSERT_EQ(Bus().SendMessage(kAgentWindowTitle, kAgentControlReconfigure, 0, 0).state,
              SendOutcome::State::kAnswered);
    EXPECT_TRUE(session->Window().Take([](const WindowMessage& m) { return m.message == WM_AGENT_STATE; }, kArrive))
        << "no 0x1520 after the choice" << Log();
  }
  std::optional<WindowMessage> Report(std::int64_t button, std::int64_t state, milliseconds timeout = kArrive) {
    return session->Window().Take(
        [&](const WindowMessage& m) {
          return m.message == WM_AGENT_SOURCE_BUTTON && m.wparam == button && m.lparam == state;
        },
        timeout);
  }
};

TEST_F(AgentWindowLink, TheWindowChoosesTheMouseAndHearsItsButtons) {
  const AgentState served = Published();
  EXPECT_EQ(served.backend, "kernel");
  EXPECT_EQ(served.served_path, source->Node());
  bool listed = false;
  for (const PublishedDevice& d : served.devices) listed = listed || d.path == source->Node();
  EXPECT_TRUE(listed) << "the source is not in the published list";

  // The window was there before the agent: it hears the buttons at once.
  Press(1);
  Release(1);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}})) << Log();
  EXPECT_TRUE(Report(1, 1)) << Log();
  EXPECT_TRUE(Report(1, 0)) << Log();

  ASSERT_NO_FATAL_FAILURE(Choose({DeviceChoice::Kind::kNone, {}}));
  EXPECT_TRUE(Published().served_path.empty());
  EXPECT_EQ(Published().reason, "released (vantixctl agent device use none)");
  ASSERT_NO_FATAL_FAILURE(Choose({DeviceChoice::Kind::kName, "Corvane II Gaming Mouse"}));
  EXPECT_EQ(Published().served_path, source->Node()) << Log();

  // A window that stops listening hears nothing more; the mouse still works.
  ASSERT_EQ(Bus().SendMessage(kAgentWindowTitle, kAgentControlListen, 0, 0).state, SendOutcome::State::kAnswered);
  Press(1);
  Release(1);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}})) << Log();
  EXPECT_FALSE(Report(1, 1, kQuiet));
  ASSERT_EQ(Bus().SendMessage(kAgentWindowTitle, kAgentControlListen, 1, 0).state, SendOutcome::State::kAnswered);
  Press(12);
  EXPECT_TRUE(Report(12, 1)) << Log();
  Release(12);
}

}  // namespace
}  // namespace vantix::vmtest
