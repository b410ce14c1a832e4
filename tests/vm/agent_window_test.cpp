// The window's side of the kernel backend, driven by a small client over the
// bus as the window drives it: the published device list, the choice of the
// mouse through agent.ini and 0x7A04 with 0x1520 coming back, and the
// reports of the source's buttons, which come only while a window listens.
#include <array>

#include "devicelink/agent_config.h"
#include "devicelink/agent_messages.h"
#include "devicelink/message_bus.h"
#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {

class AgentWindowLink : public AgentFixture {
 protected:
  // The agent finds the resolution itself.
  AgentWindowLink() { user_resolution_1000 = false; }
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

TEST_F(AgentWindowLink, TheFirstMouseServedMovesAsBeforeAndTheListSaysWhy) {
  // A fresh session: no resolution of the user's, udev knows nothing of the
  // test's mouse, so the active factory stage (2000 DPI) is kept: x1.
  source->Move(5, -3);
  std::array<int, 2> sum{};
  for (const Event& e : OutCount(2)) {
    if (e.type == EV_REL && e.code == REL_X) sum[0] += e.value;
    if (e.type == EV_REL && e.code == REL_Y) sum[1] += e.value;
  }
  EXPECT_EQ(sum, (std::array<int, 2>{5, -3})) << Log();
  EXPECT_EQ(Published().resolution, 2000);
  EXPECT_EQ(Published().resolution_source, "stage");
  const CommandResult list = session->Ctl({"agent", "device", "list"});
  EXPECT_NE(list.out.find(source->Node() + "\tCorvane II Gaming Mouse\t12\tserved\t2000 dpi (stage)\n"),
            std::string::npos)
      << list.out;
  const auto config = AgentConfigPath();
  ASSERT_TRUE(config);
  EXPECT_EQ(ReadAgentConfig(*config, SystemFileIo()).resolution_source, ResolutionSource::kStage)
      << "the match was not kept";
}

}  // namespace
}  // namespace vantix::vmtest
