// The agent's view of the input devices: what a device is, which one it
// serves, why it serves none, and the settings file that holds the choice.
#include "agent/input_devices.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "agent/udev_dpi.h"
#include "devicelink/agent_config.h"
#include "devicelink/serving_reason.h"
#include "tests/test_support.h"

namespace vantix::agent {
namespace {

using Kind = DeviceChoice::Kind;

// A device that exists only in memory, with the given capabilities.
struct DeviceCase {
  const char* label;
  std::string name;
  std::vector<unsigned> keys;
  std::vector<unsigned> rels;
  bool pointing;
  int buttons;
  bool own_virtual = false;
};

std::vector<unsigned> Range(unsigned first, unsigned last) {
  std::vector<unsigned> codes;
  for (unsigned c = first; c <= last; ++c) codes.push_back(c);
  return codes;
}

std::vector<unsigned> Join(std::vector<unsigned> a, const std::vector<unsigned>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<unsigned> kTwelve = {BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE, BTN_EXTRA, BTN_FORWARD,
                                       BTN_BACK, BTN_TASK, BTN_0,      BTN_1,    BTN_2,     BTN_3};

class DescribeTest : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DescribeTest, ClassifiesByCapabilities) {
  const DeviceCase& device_case = GetParam();
  std::unique_ptr<libevdev, void (*)(libevdev*)> device(libevdev_new(), libevdev_free);
  libevdev_set_name(device.get(), device_case.name.c_str());
  for (unsigned code : device_case.keys) libevdev_enable_event_code(device.get(), EV_KEY, code, nullptr);
  for (unsigned code : device_case.rels) libevdev_enable_event_code(device.get(), EV_REL, code, nullptr);
  const InputDeviceInfo info = DescribeDevice("/dev/input/event7", device.get());
  EXPECT_EQ(info.path, "/dev/input/event7");
  EXPECT_EQ(info.name, PrintableName(device_case.name));
  EXPECT_EQ(info.pointing, device_case.pointing);
  EXPECT_EQ(info.buttons, device_case.buttons);
  EXPECT_EQ(info.own_virtual, device_case.own_virtual);
  EXPECT_EQ(Servable(info), device_case.pointing && !device_case.own_virtual);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DescribeTest,
    ::testing::Values(
        DeviceCase{"TheMouse", "Corvane II Gaming Mouse", kTwelve, {REL_X, REL_Y, REL_WHEEL}, true, 12},
        DeviceCase{"PlainMouse", "Plain Mouse", {BTN_LEFT, BTN_RIGHT}, {REL_X, REL_Y}, true, 2},
        DeviceCase{"FortyButtons", "Many", Join({BTN_LEFT}, Range(BTN_TRIGGER_HAPPY1, BTN_TRIGGER_HAPPY40)),
                   {REL_X, REL_Y}, true, 41},
        DeviceCase{"NoButtons", "Motion only", {}, {REL_X, REL_Y}, false, 0},
        DeviceCase{"NoLeftButton", "Right only", {BTN_RIGHT}, {REL_X, REL_Y}, false, 1},
        DeviceCase{"Keyboard", "AT keyboard", Range(KEY_ESC, KEY_SPACE), {}, false, 0},
        DeviceCase{"KeyboardWithWheel", "Media keyboard", Join({KEY_A, KEY_B}, {}), {REL_WHEEL}, false, 0},
        DeviceCase{"OnlyX", "Half a mouse", {BTN_LEFT}, {REL_X}, false, 1},
        DeviceCase{"OwnVirtual", "Vantix virtual mouse", kTwelve, {REL_X, REL_Y}, true, 12, true},
        DeviceCase{"ControlBytesInName", "Bad\nName\x01", {BTN_LEFT}, {REL_X, REL_Y}, true, 1}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PrintableNameTest, ControlCharactersBecomeSpaces) {
  EXPECT_EQ(PrintableName("a\tb\nc\x7f" "d"), "a b c d");
  EXPECT_EQ(PrintableName("Corvane II Gaming Mouse"), "Corvane II Gaming Mouse");
}

TEST(EventNodeLessTest, SortsByNumber) {
  std::vector<std::string> nodes = {"event10", "event2", "event1", "event0"};
  std::sort(nodes.begin(), nodes.end(), EventNodeLess);
  EXPECT_EQ(nodes, (std::vector<std::string>{"event0", "event1", "event2", "event10"}));
}

InputDeviceInfo Mouse(std::string path, std::string name, bool pointing = true, bool own = false) {
  return {std::move(path), std::move(name), 5, pointing, own};
}

struct ChoiceCase {
  const char* label;
  DeviceChoice choice;
  std::optional<std::size_t> expected;
};

class ChooseTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChooseTest, PicksTheServedDevice) {
  // 0 our own virtual device, 1 a keyboard, 2 another mouse, 3 the product's
  // mouse, 4 a second one of those.
  const std::vector<InputDeviceInfo> devices = {
      Mouse("/dev/input/event0", "Corvane II Gaming Mouse", true, true),
      Mouse("/dev/input/event1", "AT keyboard", false),
      Mouse("/dev/input/event2", "Other Mouse"),
      Mouse("/dev/input/event3", "Corvane II Gaming Mouse"),
      Mouse("/dev/input/event4", "Corvane II Gaming Mouse"),
  };
  EXPECT_EQ(ChooseDevice(devices, GetParam().choice), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChooseTest,
    ::testing::Values(ChoiceCase{"AutomaticTakesTheFirstProductMouse", {}, 3},
                      ChoiceCase{"NoneTakesNothing", {Kind::kNone, ""}, std::nullopt},
                      ChoiceCase{"PathWins", {Kind::kPath, "/dev/input/event2"}, 2},
                      ChoiceCase{"NameWins", {Kind::kName, "Other Mouse"}, 2},
                      ChoiceCase{"AbsentPathFallsBack", {Kind::kPath, "/dev/input/event9"}, 3},
                      ChoiceCase{"AbsentNameFallsBack", {Kind::kName, "Gone"}, 3},
                      ChoiceCase{"KeyboardIsNeverServed", {Kind::kPath, "/dev/input/event1"}, 3},
                      ChoiceCase{"OwnVirtualIsNeverServed", {Kind::kPath, "/dev/input/event0"}, 3},
                      ChoiceCase{"ASecondProductMouseByPath", {Kind::kPath, "/dev/input/event4"}, 4}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ChooseTest, NothingWithoutAProductMouse) {
  const std::vector<InputDeviceInfo> devices = {Mouse("/dev/input/event2", "Other Mouse")};
  EXPECT_EQ(ChooseDevice(devices, {}), std::nullopt);
  EXPECT_EQ(ChooseDevice({}, {Kind::kName, "Other Mouse"}), std::nullopt);
}

TEST(ChooseTest, ALinkNamesTheNodeItPointsTo) {
  test::ScratchDir dir;
  const std::string node = dir / "event5";
  test::WriteBytes(node, "");
  ASSERT_EQ(::symlink(node.c_str(), (dir / "by-id-mouse").c_str()), 0);
  const std::vector<InputDeviceInfo> devices = {Mouse(node, "Other Mouse")};
  EXPECT_EQ(ChooseDevice(devices, {Kind::kPath, dir / "by-id-mouse"}), 0u);
}

TEST(WhyNoneServedTest, NamesTheNodeAndTheCause) {
  InputScan scan;
  EXPECT_EQ(WhyNoneServed(scan, {}), "no Corvane II Gaming Mouse is plugged in");
  EXPECT_EQ(WhyNoneServed(scan, {Kind::kNone, ""}), "released (vantixctl agent device use none)");
  EXPECT_EQ(WhyNoneServed(scan, {Kind::kName, "Other"}),
            "no device named \"Other\" and no Corvane II Gaming Mouse is plugged in");

  scan.unreadable.push_back({"/dev/input/event3", "", EACCES, std::nullopt});
  EXPECT_EQ(WhyNoneServed(scan, {}),
            "no Corvane II Gaming Mouse is plugged in (no read access to event3: Permission denied)");
  scan.unreadable.push_back({"/dev/input/event5", "Corvane II Gaming Mouse", EACCES, true});
  EXPECT_EQ(WhyNoneServed(scan, {}),
            "no read access to /dev/input/event5 (Corvane II Gaming Mouse): Permission denied");

  InputScan keyboard;
  keyboard.devices.push_back(Mouse("/dev/input/event1", "AT keyboard", false));
  EXPECT_EQ(WhyNoneServed(keyboard, {Kind::kPath, "/dev/input/event1"}),
            "/dev/input/event1 (AT keyboard) is not a mouse the agent may serve");
}

TEST(WhyNoneServedTest, NodesSysfsKnowsAsNoMiceAreNoExcuse) {
  InputScan scan;
  scan.unreadable.push_back({"/dev/input/event0", "Power Button", EACCES, false});
  EXPECT_EQ(WhyNoneServed(scan, {}), "no Corvane II Gaming Mouse is plugged in");
  scan.unreadable.push_back({"/dev/input/event6", "Some Mouse", EACCES, true});
  EXPECT_EQ(WhyNoneServed(scan, {}),
            "no Corvane II Gaming Mouse is plugged in (no read access to event6: Permission denied)");
}

TEST(CapabilityBitTest, ReadsSysfsBitmaps) {
  const struct {
    const char* bitmap;
    unsigned bit;
    bool set;
  } cases[] = {
      {"3", REL_X, true},     {"3", REL_Y, true},   {"1", REL_Y, false},   {"1943", REL_WHEEL, true},
      {"", REL_X, false},     {"zz", REL_X, false}, {"0", REL_X, false},
      // key bitmaps: BTN_LEFT is bit 272 = 16 of the fifth word from the end.
      {"70000 0 0 0 0", BTN_LEFT, true},         {"10000 0 0 0 0", BTN_LEFT, true},
      {"20000 0 0 0 0", BTN_LEFT, false},        {"1 0 0 0", BTN_LEFT, false},
      {"ffffffffffffffffff 0 0 0 0", BTN_LEFT, false},
  };
  for (const auto& c : cases) EXPECT_EQ(CapabilityBit(c.bitmap, c.bit), c.set) << c.bitmap << " bit " << c.bit;
}

TEST(ScanTest, AFolderWithoutDevicesGivesNothing) {
  test::ScratchDir dir;
  test::WriteBytes(dir / "event0", "not a device");
  test::WriteBytes(dir / "mouse0", "");
  test::WriteBytes(dir / "eventx", "");
  const InputScan scan = ScanInputDevices(dir.path());
  EXPECT_TRUE(scan.devices.empty());
  EXPECT_TRUE(scan.unreadable.empty());
  EXPECT_TRUE(ScanInputDevices(dir / "missing").devices.empty());
}

}  // namespace
}  // namespace vantix::agent

namespace vantix {
namespace {

using Kind = DeviceChoice::Kind;

TEST(DeviceChoiceTest, ParsesAndWritesBack) {
  const struct {
    const char* text;
    DeviceChoice choice;
  } cases[] = {
      {"", {Kind::kAutomatic, ""}},
      {"none", {Kind::kNone, ""}},
      {"/dev/input/event3", {Kind::kPath, "/dev/input/event3"}},
      {"Corvane II Gaming Mouse", {Kind::kName, "Corvane II Gaming Mouse"}},
      {"None", {Kind::kName, "None"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DeviceChoice::Parse(c.text), c.choice) << c.text;
    EXPECT_EQ(c.choice.Text(), c.text);
  }
}

TEST(AgentConfigTest, PathFollowsXdgConfigHome) {
  const struct {
    std::optional<std::string> config_home, home;
    std::optional<std::string> expected;
  } cases[] = {
      {"/cfg", "/home/u", "/cfg/vantix/agent.ini"},
      {"/cfg/", "/home/u", "/cfg/vantix/agent.ini"},
      {std::nullopt, "/home/u", "/home/u/.config/vantix/agent.ini"},
      {"", "/home/u", "/home/u/.config/vantix/agent.ini"},
      {"relative/cfg", "/home/u", "/home/u/.config/vantix/agent.ini"},
  };
  for (const auto& c : cases) {
    const auto getenv = [&](const char* name) -> std::optional<std::string> {
      return std::string(name) == "XDG_CONFIG_HOME" ? c.config_home : c.home;
    };
    EXPECT_EQ(AgentConfigPath(getenv), c.expected) << c.config_home.value_or("(unset)");
  }
}

TEST(AgentConfigTest, RoundTripsAndFallsBackToDefaults) {
  test::ScratchDir dir;
  const std::string path = dir / "made/by/write/agent.ini";
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()), AgentConfig{});

  ASSERT_TRUE(WriteDeviceChoice(path, {Kind::kPath, "/dev/input/event4"}, SystemFileIo()).ok());
  ASSERT_TRUE(WriteNativeResolution(path, 1600, SystemFileIo()).ok());
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()), (AgentConfig{{Kind::kPath, "/dev/input/event4"}, 1600, ResolutionSource::kUser}));
  ASSERT_TRUE(WriteDeviceChoice(path, {Kind::kNone, ""}, SystemFileIo()).ok());
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()).device.kind, Kind::kNone);
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()).native_resolution, 1600);

  EXPECT_FALSE(WriteNativeResolution(path, 99, SystemFileIo()).ok());
  EXPECT_FALSE(WriteNativeResolution(path, 50001, SystemFileIo()).ok());
  for (const char* stored : {"0", "-5", "99999999", "abc"}) {
    test::WriteBytes(path, std::string("[Device]\nResolution=") + stored + "\n");
    EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()).native_resolution, kDefaultNativeResolution) << stored;
  }
}

TEST(AgentStateTest, RoundTrips) {
  test::ScratchDir dir;
  const std::string path = AgentStatePath(dir.path());
  EXPECT_EQ(ReadAgentState(path, SystemFileIo()), AgentState{});
  AgentState state;
  state.backend = "kernel";
  state.served_path = "/dev/input/event3";
  state.served_name = "Corvane II Gaming Mouse";
  state.profile = 3;
  state.program = "Steam";
  state.focus = "x11";
  state.recent = {"steam", "firefox"};
  ASSERT_TRUE(WriteAgentState(path, state, SystemFileIo()).ok());
  EXPECT_EQ(ReadAgentState(path, SystemFileIo()), state);
  // A shorter list of recent programs leaves nothing of the longer one.
  AgentState none;
  none.backend = "kernel";
  none.reason = "no read access to /dev/input/event3: Permission denied";
  none.focus_problem = "x11: no DISPLAY";
  none.recent = {"firefox"};
  ASSERT_TRUE(WriteAgentState(path, none, SystemFileIo()).ok());
  EXPECT_EQ(ReadAgentState(path, SystemFileIo()), none);
}

TEST(AgentStateTest, CarriesTheDeviceListAndTheResolution) {
  test::ScratchDir dir;
  const std::string path = AgentStatePath(dir.path());
  AgentState state{"simulated", "simulated:2", "Trackball", ""};
  state.devices = {{"simulated:1", "Office Mouse", 5}, {"simulated:2", "Trackball", 8}};
  state.resolution = 1600;
  state.resolution_source = "udev";
  ASSERT_TRUE(WriteAgentState(path, state, SystemFileIo()).ok());
  EXPECT_EQ(ReadAgentState(path, SystemFileIo()), state);
  EXPECT_TRUE(ReadAgentState(path, SystemFileIo()).Simulated());
  // A damaged list loses its bad lines, not the rest; a huge count is no
  // reason to read on forever.
  test::WriteBytes(path, "[Agent]\nBackend=kernel\nDevices=999999999\n[Devices]\n1=/dev/input/event4\tMouse\t3\n"
                         "2=no tabs here\n");
  EXPECT_EQ(ReadAgentState(path, SystemFileIo()).devices,
            (std::vector<PublishedDevice>{{"/dev/input/event4", "Mouse", 3}}));
}

TEST(AgentConfigTest, TellsTheUsersResolutionFromTheOneTheAgentMatched) {
  test::ScratchDir dir;
  const std::string path = dir / "agent.ini";
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()).resolution_source, ResolutionSource::kDefault);
  ASSERT_TRUE(WriteNativeResolution(path, 2000, SystemFileIo(), ResolutionSource::kStage).ok());
  EXPECT_EQ(ReadAgentConfig(path, SystemFileIo()).resolution_source, ResolutionSource::kStage);
  ASSERT_TRUE(WriteNativeResolution(path, 1000, SystemFileIo()).ok());
  const AgentConfig config = ReadAgentConfig(path, SystemFileIo());
  EXPECT_EQ(config.resolution_source, ResolutionSource::kUser);
  EXPECT_EQ(config.native_resolution, 1000);
}

struct ReasonCase {
  const char* text;
  ServingReason expected;
};

class ServingReasonTest : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(ServingReasonTest, SortsTheAgentsWordsIntoWhatTheUserCanDo) {
  EXPECT_EQ(ClassifyServingReason(GetParam().text), GetParam().expected) << GetParam().text;
}

using ReasonKind = ServingReason::Kind;
INSTANTIATE_TEST_SUITE_P(
    Reasons, ServingReasonTest,
    ::testing::Values(
        ReasonCase{"", {}},
        ReasonCase{"no read access to /dev/input/event5 (Some (Odd) Mouse): Permission denied",
                   {ReasonKind::kNoAccess, "/dev/input/event5", "Some (Odd) Mouse"}},
        ReasonCase{"cannot open /dev/uinput: No such file or directory", {ReasonKind::kNoUinput, "/dev/uinput", ""}},
        ReasonCase{"no write access to /dev/uinput: Permission denied", {ReasonKind::kNoUinput, "/dev/uinput", ""}},
        ReasonCase{"no Corvane II Gaming Mouse is plugged in", {ReasonKind::kNoMouse, "", ""}},
        ReasonCase{"no Corvane II Gaming Mouse is plugged in (no read access to event3, event4: Permission denied)",
                   {ReasonKind::kNoAccess, "event3, event4", ""}},
        ReasonCase{"no device named \"Trackball\" and no Corvane II Gaming Mouse is plugged in",
                   {ReasonKind::kChosenAbsent, "", "Trackball"}},
        ReasonCase{"/dev/input/by-id/x is not there and no Corvane II Gaming Mouse is plugged in",
                   {ReasonKind::kChosenAbsent, "", "/dev/input/by-id/x"}},
        ReasonCase{"released (vantixctl agent device use none)", {ReasonKind::kReleased, "", ""}},
        ReasonCase{"cannot grab /dev/input/event2 (Mouse) (another program holds it?): Device or resource busy",
                   {ReasonKind::kHeld, "/dev/input/event2", "Mouse"}},
        ReasonCase{"/dev/input/event1 (Power Button) is not a mouse the agent may serve",
                   {ReasonKind::kNotMouse, "/dev/input/event1", "Power Button"}},
        ReasonCase{"disconnected (vantixctl agent disconnect)", {ReasonKind::kDisconnected, "", ""}},
        ReasonCase{"the agent stopped", {ReasonKind::kOther, "", "the agent stopped"}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(UdevDpiTest, TakesTheStarredOrTheOnlyResolution) {
  const std::vector<std::pair<std::string_view, std::optional<int>>> cases = {
      {"800@125", 800},           {"400 *1600@500 3200", 1600}, {"400 800", 400},   {"*1200", 1200},
      {"", std::nullopt},         {"abc", std::nullopt},         {"50", std::nullopt}, {"99999999999", std::nullopt},
      {"  1000@1000  ", 1000},
  };
  for (const auto& [value, dpi] : cases) EXPECT_EQ(agent::ParseMouseDpi(value), dpi) << value;
}

TEST(UdevDpiTest, ReadsTheEntryOfTheNodesDeviceNumber) {
  // /dev/null is character device 1:3: a stand-in for an event node.
  test::ScratchDir dir;
  test::WriteBytes(dir / "c1:3", "S:input/by-id/x\nE:ID_INPUT_MOUSE=1\nE:MOUSE_DPI=400 *1600@500\n");
  EXPECT_EQ(agent::UdevMouseDpi("/dev/null", dir.path()), 1600);
  test::WriteBytes(dir / "c1:3", "E:ID_INPUT_MOUSE=1\n");
  EXPECT_EQ(agent::UdevMouseDpi("/dev/null", dir.path()), std::nullopt);
  EXPECT_EQ(agent::UdevMouseDpi(dir / "c1:3", dir.path()), std::nullopt) << "not a device node";
  EXPECT_EQ(agent::UdevMouseDpi("simulated:1", dir.path()), std::nullopt);
}

}  // namespace
}  // namespace vantix
