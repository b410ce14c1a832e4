#include "tests/vm/agent_fixture.h"

#include <signal.h>

#include <thread>

#include "devicelink/agent_messages.h"

namespace vantix::vmtest {

void AgentFixture::SetUp() {
  session = std::make_unique<AgentSession>();
  profile = std::make_unique<ProfileWriter>(*session);
  ASSERT_TRUE(session->CtlOk({"reset", "all"}));
  // The mapping is measured against a mouse of 1000 DPI, the user's choice,
  // not the one the agent would match to the active stage.
  if (user_resolution_1000) {
    ASSERT_TRUE(session->CtlOk({"agent", "device", "resolution", "1000"}));
  }
  std::string error;
  source = SourceDevice::Create({}, error);
  ASSERT_TRUE(source) << error;
  StartAgent();
}

void AgentFixture::TearDown() {
  virtual_mouse.reset();
  if (session && session->AgentRunning()) session->StopAgent(SIGTERM);
  source.reset();
  session.reset();
}

void AgentFixture::StartAgent() {
  ASSERT_TRUE(session->StartAgent()) << Log();
  OpenVirtualMouse();
  // The virtual mouse comes first, the grab of the source after it.
  if (source) {
    ASSERT_TRUE(WaitForSetting(1)) << "the mouse was not served" << Log();
  }
}

bool AgentFixture::WaitForSetting(int value) {
  const auto deadline = Clock::now() + kArrive;
  while (session->Setting() != value && Clock::now() < deadline) std::this_thread::sleep_for(milliseconds(20));
  return session->Setting() == value;
}

void AgentFixture::Unplug() {
  source.reset();
  ASSERT_TRUE(WaitForSetting(0)) << Log();
  ASSERT_TRUE(session->Window().TakeStatus(kArrive)) << "no 0x4DD on unplug" << Log();
}

void AgentFixture::PlugIn(const SourceDevice::Spec& spec, bool servable) {
  session->Window().Clear();
  std::string error;
  source = SourceDevice::Create(spec, error);
  ASSERT_TRUE(source) << error;
  if (!servable) return;
  ASSERT_TRUE(WaitForSetting(1)) << "not served" << Log();
  ASSERT_TRUE(session->Window().TakeStatus(kArrive)) << "no 0x4DD on plugging in" << Log();
}

void AgentFixture::OpenVirtualMouse() {
  const auto node = WaitForDevice("Vantix virtual mouse", kAppear);
  ASSERT_TRUE(node) << "no virtual mouse" << Log();
  std::string error;
  virtual_mouse = EventReader::Open(*node, error);
  ASSERT_TRUE(virtual_mouse) << error;
}

Events AgentFixture::OutCount(std::size_t count) {
  Events events;
  const auto deadline = Clock::now() + kArrive;
  while (events.size() < count) {
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    const auto event = virtual_mouse->Next(left);
    if (!event) break;
    if (event->type != EV_SYN || event->code != SYN_REPORT) events.push_back(*event);
  }
  const Events more = Out(kSettle);
  events.insert(events.end(), more.begin(), more.end());
  return events;
}

::testing::AssertionResult AgentFixture::OutIs(const Events& expected) {
  const Events got = expected.empty() ? Out() : OutCount(expected.size());
  if (got == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the virtual mouse sent:" << Describe(got) << "\nexpected:"
                                       << Describe(expected);
}

void AgentFixture::Apply() {
  session->Window().Clear();
  const CommandResult applied = session->Ctl({"apply"});
  ASSERT_EQ(applied.status, 0) << applied.err;
  ASSERT_EQ(applied.out, "notified\n") << Log();
  ASSERT_TRUE(session->Window().TakeEvent(kEventApplyDone, kArrive)) << "no apply-done event" << Log();
}

}  // namespace vantix::vmtest
