#include "tests/vm/agent_fixture.h"

#include <signal.h>

#include "devicelink/agent_messages.h"

namespace vantix::vmtest {

void AgentFixture::SetUp() {
  session = std::make_unique<AgentSession>();
  profile = std::make_unique<ProfileWriter>(*session);
  ASSERT_TRUE(session->CtlOk({"reset", "all"}));
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
}

void AgentFixture::OpenVirtualMouse() {
  const auto node = WaitForDevice("Vantix virtual mouse", kAppear);
  ASSERT_TRUE(node) << "no virtual mouse" << Log();
  std::string error;
  virtual_mouse = EventReader::Open(*node, error);
  ASSERT_TRUE(virtual_mouse) << error;
}

void AgentFixture::Apply() {
  session->Window().Clear();
  const CommandResult applied = session->Ctl({"apply"});
  ASSERT_EQ(applied.status, 0) << applied.err;
  ASSERT_EQ(applied.out, "notified\n") << Log();
  ASSERT_TRUE(session->Window().TakeEvent(kEventApplyDone, kArrive)) << "no apply-done event" << Log();
}

}  // namespace vantix::vmtest
