// The panel of the served mouse: what it says for each state the agent
// publishes, the chooser, Apply with nothing to take it, the demo box and
// the live test of the buttons. The agent's state is its real file, read
// when the window hears 0x1520 or 0x4DD, as from the agent.
#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/device_panel.h"
#include "app/tests/dlg_test_fixture.h"
#include "app/vantix_dlg.h"
#include "devicelink/agent_messages.h"
#include "settings/ini_file.h"
#include "tests/test_support.h"
#include "ui/bitmap_btn.h"
#include "ui/bmp_menu.h"
#include "ui/clr_edit.h"
#include "ui/static_trans.h"

namespace vantix {
namespace {

class DevicePanelTest : public DlgTest {
 protected:
  DevicePanelTest() {
    ::mkdir(endpoints.c_str(), 0700);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
  }
  ~DevicePanelTest() override { ::unsetenv("XDG_CONFIG_HOME"); }

  // The agent publishes a state and says so.
  void Publish(const AgentState& state) {
    ASSERT_TRUE(WriteAgentState(AgentStatePath(bus.Folder()), state, SystemFileIo()).ok());
    Agent(WM_AGENT_STATE, 0, 0);
  }
  static AgentState Kernel(std::string reason) {
    AgentState state{"kernel", "", "", std::move(reason)};
    state.devices = {{"/dev/input/event4", "Office Mouse", 5}, {"/dev/input/event7", "Trackball", 8}};
    return state;
  }
  DevicePanel& Panel() { return *dlg->Device(); }
  QString Said() { return Panel().Served()->text(); }
  std::string AgentIni(const char* key) {
    return IniFile(scratch / "config/vantix/agent.ini", SystemFileIo()).ReadString("Device", key, "?");
  }
};

struct SaidCase {
  const char* reason;
  bool no_devices;
  const char16_t* said;
};

class DevicePanelReasonTest : public DevicePanelTest, public ::testing::WithParamInterface<SaidCase> {};

TEST_P(DevicePanelReasonTest, SaysWhyNoMouseIsServedAndWhatToDo) {
  AnsweringAgent agent(bus);
  Open();
  AgentState state = Kernel(GetParam().reason);
  if (GetParam().no_devices) state.devices.clear();
  Publish(state);
  EXPECT_EQ(Said(), QString::fromUtf16(GetParam().said)) << GetParam().reason;
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, DevicePanelReasonTest,
    ::testing::Values(
        SaidCase{"no read access to /dev/input/event5 (Office Mouse): Permission denied", false,
                 u"No access to /dev/input/event5 (Office Mouse). Install the udev rule, then unplug and plug in "
                 u"the mouse, or log in again."},
        SaidCase{"cannot open /dev/uinput: No such file or directory", false,
                 u"/dev/uinput is missing or not writable: load the uinput module, install the udev rule and log "
                 u"in again."},
        SaidCase{"no Corvane II Gaming Mouse is plugged in", true, u"No mouse found. Plug in a mouse."},
        SaidCase{"no Corvane II Gaming Mouse is plugged in", false, u"No Corvane II plugged in. Choose your mouse."},
        SaidCase{"no device named \"Trackball\" and no Corvane II Gaming Mouse is plugged in", false,
                 u"The chosen mouse Trackball is not plugged in. Plug it in or choose another."},
        SaidCase{"released (vantixctl agent device use none)", false,
                 u"No mouse served: you chose none. Choose a mouse."},
        SaidCase{"something new", false, u"No mouse served: something new"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(DevicePanelTest, AnAgentThatCannotBeStartedIsToldAndTheServedMouseIsNamed) {
  launcher.succeed = false;
  Open();
  EXPECT_EQ(Said(), QStringLiteral("The device agent could not be started. Run hid from the program folder to see why."));
  EXPECT_FALSE(Panel().ChooseButton()->isEnabled());

  AnsweringAgent agent(bus);
  AgentState served = Kernel("");
  served.served_path = "/dev/input/event7";
  served.served_name = "Trackball";
  served.resolution = 1600;
  served.resolution_source = "udev";
  Publish(served);
  EXPECT_EQ(Said(), QStringLiteral("Trackball"));
  EXPECT_EQ(Panel().ResolutionEdit()->text(), QStringLiteral("1600"));
  EXPECT_EQ(Panel().ResolutionSource()->text(), QStringLiteral("from udev"));
  EXPECT_TRUE(Panel().ChooseButton()->isEnabled());
  EXPECT_TRUE(Panel().DemoLabel()->isHidden());
}

TEST_F(DevicePanelTest, TheChooserListsTheAgentsDevicesAndWritesTheChoice) {
  AnsweringAgent agent(bus);
  Open();
  AgentState state = Kernel("");
  state.served_path = "/dev/input/event7";
  state.served_name = "Trackball";
  Publish(state);
  Click(Panel().ChooseButton());
  CBmpMenu* menu = Panel().Chooser();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->ItemCount(), 4);
  EXPECT_EQ(menu->Item(0).text, QStringLiteral("Automatic (Corvane II)"));
  EXPECT_EQ(menu->Item(1).text, QStringLiteral("Office Mouse (5 buttons)"));
  EXPECT_EQ(menu->Item(2).text, QStringLiteral("\u2713 Trackball (8 buttons)"));
  EXPECT_EQ(menu->Item(3).text, QStringLiteral("None"));
  Click(menu->Row(1));
  QCoreApplication::sendPostedEvents(&Panel());
  EXPECT_EQ(Panel().Chooser(), nullptr);
  EXPECT_EQ(AgentIni("Use"), "Office Mouse");

  Panel().OpenChooser();
  Click(Panel().Chooser()->Row(3));
  QCoreApplication::sendPostedEvents(&Panel());
  EXPECT_EQ(AgentIni("Use"), "none");

  // The resolution: kept as the user's, refused out of range.
  EXPECT_TRUE(Panel().SetResolution(QStringLiteral("1800")));
  EXPECT_EQ(AgentIni("Resolution"), "1800");
  EXPECT_EQ(AgentIni("ResolutionFrom"), "user");
  EXPECT_FALSE(Panel().SetResolution(QStringLiteral("99")));
  EXPECT_FALSE(Panel().SetResolution(QStringLiteral("12ab")));
  EXPECT_EQ(AgentIni("Resolution"), "1800");
}

TEST_F(DevicePanelTest, ApplySavesAndSaysWhenNothingTakesIt) {
  Open();
  Click(C().apply);
  EXPECT_TRUE(AllProfileFiles());
  EXPECT_EQ(Panel().Note()->text(),
            QStringLiteral("Saved. The settings take effect once the device agent runs."));

  AnsweringAgent agent(bus);
  Publish(Kernel("released (vantixctl agent device use none)"));
  EXPECT_TRUE(C().apply->isEnabled());
  Click(C().apply);
  EXPECT_EQ(agent.Applies(), 1);
  EXPECT_EQ(Panel().Note()->text(), QStringLiteral("Saved. The settings take effect once a mouse is served."));
}

TEST_F(DevicePanelTest, TheSimulatedMouseIsADemoAndItsButtonsLightTheirRows) {
  AnsweringAgent agent(bus);
  SetConnected(1);
  Open();
  AgentState state{"simulated", "simulated:1", "Corvane II Gaming Mouse", ""};
  state.devices = {{"simulated:1", "Corvane II Gaming Mouse", 12}};
  Publish(state);
  Agent(WM_AGENT_STATUS, 0, 0);
  EXPECT_FALSE(Panel().DemoLabel()->isHidden());
  EXPECT_TRUE(C().status_connected->isHidden());
  EXPECT_TRUE(C().status_disconnected->isHidden());
  EXPECT_FALSE(dlg->TimerActive(kTimerStatusBlink));
  EXPECT_EQ(Said(), QStringLiteral("Demo mouse (simulated): Corvane II Gaming Mouse"));

  Agent(WM_AGENT_SOURCE_BUTTON, 7, 1);
  EXPECT_TRUE(Panel().Lit(7));
  EXPECT_TRUE(C().assign_buttons[6]->Highlighted());
  Agent(WM_AGENT_SOURCE_BUTTON, 7, 0);
  EXPECT_FALSE(Panel().Lit(7));
  EXPECT_FALSE(C().assign_buttons[6]->Highlighted());
  // A wheel notch lights the wheel's row for a moment.
  Agent(WM_AGENT_SOURCE_BUTTON, 3, kSourceNotch);
  EXPECT_TRUE(Panel().Lit(3));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Panel().Lit(3); }, 2000));
  // Nonsense from the bus changes nothing.
  for (const std::int64_t button : {0LL, 13LL, -1LL, 1LL << 40}) Agent(WM_AGENT_SOURCE_BUTTON, button, 1);
  for (int b = 1; b <= kButtonCount; ++b) EXPECT_FALSE(Panel().Lit(b)) << b;
}

TEST_F(DevicePanelTest, NewControlsHaveNamesForScreenReaders) {
  Open();
  EXPECT_EQ(Panel().ResolutionEdit()->accessibleName(), QStringLiteral("Resolution of the mouse in DPI"));
  EXPECT_EQ(Panel().ChooseButton()->Caption(), QStringLiteral("Choose Mouse"));
}

}  // namespace
}  // namespace vantix
