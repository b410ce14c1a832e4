// The real agent serving a uinput "Corvane II Gaming Mouse" with twelve
// buttons, in a fresh session with factory profiles; the test presses the
// source's buttons and reads the agent's virtual device.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/vm/agent_session.h"
#include "tests/vm/input_devices.h"

namespace vantix::vmtest {

// Generous: the machine is emulated and its host may be busy.
inline constexpr milliseconds kAppear{20000};
inline constexpr milliseconds kArrive{5000};
// How long nothing must come before a test concludes nothing will.
inline constexpr milliseconds kQuiet{400};
// After the events a test waits for: how long it looks for more.
inline constexpr milliseconds kSettle{150};

using Events = std::vector<Event>;

class AgentFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The source's button number n (1..12) as its event code.
  static std::uint16_t Code(int button) { return TwelveButtons().at(static_cast<std::size_t>(button - 1)); }
  void Press(int button) { source->Button(Code(button), true); }
  void Release(int button) { source->Button(Code(button), false); }

  // vantixctl apply, then the agent's "apply done".
  void Apply();
  // The virtual device's events, without SYN_REPORT, until it is quiet.
  Events Out(milliseconds quiet = kQuiet) { return WithoutSyn(virtual_mouse->Drain(quiet)); }
  // The next count events (waiting up to kArrive for them, however late
  // they are), then any more that follow within kSettle.
  Events OutCount(std::size_t count);
  // The virtual device sends exactly expected (for nothing: within kQuiet).
  ::testing::AssertionResult OutIs(const Events& expected);
  // Events through the one equal to last.
  std::vector<Event> OutThrough(const Event& last, milliseconds timeout = kArrive) {
    return WithoutSyn(virtual_mouse->ReadThrough(last, timeout));
  }
  void StartAgent();
  // The agent's connection state reaches value within kArrive.
  bool WaitForSetting(int value);
  // The mouse goes away: connection state 0, announced with 0x4DD.
  void Unplug();
  // A mouse comes: served (state 1, announced) when servable.
  void PlugIn(const SourceDevice::Spec& spec = {}, bool servable = true);
  void OpenVirtualMouse();
  std::string Log() { return "\nagent's log:\n" + session->AgentLog(); }

  // Set before SetUp: the session starts with the user's resolution 1000.
  bool user_resolution_1000 = true;
  std::unique_ptr<AgentSession> session;
  std::unique_ptr<SourceDevice> source;
  std::unique_ptr<EventReader> virtual_mouse;
  std::unique_ptr<ProfileWriter> profile;
};

}  // namespace vantix::vmtest
