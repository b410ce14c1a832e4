// Faults under the agent, injected by a shim loaded into hid (fault_shim):
// a wait that fails ends the agent, a read or write that fails ends serving,
// each with the reason; a write the kernel refuses for a moment is tried
// again. Whatever happens, no button stays down and the agent does not spin.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

#include "tests/vm/agent_fixture.h"

namespace vantix::vmtest {
namespace {

// Nanoseconds the process has run, system calls included.
double CpuNs(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/schedstat");
  double ns = 0;
  in >> ns;
  return ns;
}

class AgentFault : public AgentFixture {
 protected:
  void SetUp() override {
    ::unlink(kPlanFile);
    ::setenv("LD_PRELOAD", (std::string(kProgramDir) + "libvantix_fault_shim.so").c_str(), 1);
    AgentFixture::SetUp();
    ::unsetenv("LD_PRELOAD");
  }
  void TearDown() override {
    ::unlink(kPlanFile);
    AgentFixture::TearDown();
  }
  static void Plan(const char* call, int error, int times) {
    std::ofstream(kPlanFile) << call << " " << error << " " << times << "\n";
  }
  // Button 1 held: the left button is down on the virtual mouse.
  void HoldLeft(MiceReader& mice) {
    ASSERT_TRUE(mice.IsOpen());
    Press(1);
    ASSERT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}})) << Log();
    ASSERT_EQ(mice.ButtonsAfter(kQuiet), 1);
  }
  // Less than a tenth of a second of processor time in a second.
  ::testing::AssertionResult Calm() {
    const pid_t pid = session->AgentPid();
    const double before = CpuNs(pid);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double used_ms = (CpuNs(pid) - before) / 1e6;
    if (used_ms < 100) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the agent used " << used_ms << " ms of a second";
  }
  std::string Reason() { return session->Ctl({"agent", "status"}).out; }

  static constexpr const char* kPlanFile = "/tmp/vantix-fault";
};

struct WriteCase {
  const char* name;
  int error;
};

class AgentWriteFault : public AgentFault, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(AgentWriteFault, EndsServingWithTheReasonAndNothingStaysDown) {
  MiceReader mice;
  ASSERT_NO_FATAL_FAILURE(HoldLeft(mice));
  Plan("write", GetParam().error, -1);
  source->Move(3, 0);
  ASSERT_TRUE(WaitForSetting(0)) << "still served" << Log();
  EXPECT_EQ(mice.ButtonsAfter(kQuiet), 0) << "a button stayed down" << Log();
  EXPECT_TRUE(WaitForNoDevice("Vantix virtual mouse", kAppear)) << "the broken virtual mouse stayed";
  EXPECT_NE(Reason().find(std::string("reason: cannot write to the virtual mouse: ") +
                          std::strerror(GetParam().error)),
            std::string::npos)
      << Reason() << Log();
  // Not served again behind the user's back while the mouse is there.
  source->Move(3, 0);
  Release(1);
  EXPECT_TRUE(Calm());
  EXPECT_EQ(session->Setting(), 0);
  EXPECT_EQ(session->StopAgent(SIGTERM), 0) << Log();
}

INSTANTIATE_TEST_SUITE_P(Errors, AgentWriteFault,
                         ::testing::Values(WriteCase{"ENOSPC", ENOSPC}, WriteCase{"EAGAIN", EAGAIN},
                                           WriteCase{"ENODEV", ENODEV}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AgentFault, WriteRefusedForAMomentIsTriedAgainAndNothingIsLost) {
  Plan("write", EAGAIN, 2);
  Press(1);
  Release(1);
  EXPECT_TRUE(OutIs(Events{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}})) << Log();
  EXPECT_EQ(session->Setting(), 1);
}

TEST_F(AgentFault, ReadThatFailsEndsServingWithTheReasonAndReleases) {
  MiceReader mice;
  ASSERT_NO_FATAL_FAILURE(HoldLeft(mice));
  Plan("read", EIO, 1);
  source->Move(3, 0);
  ASSERT_TRUE(WaitForSetting(0)) << "still served" << Log();
  EXPECT_EQ(mice.ButtonsAfter(kQuiet), 0) << "a button stayed down" << Log();
  EXPECT_NE(Reason().find("reason: cannot read " + source->Node()), std::string::npos) << Reason() << Log();
  Release(1);
  EXPECT_TRUE(Calm());
  // The user's own choice serves it again.
  ASSERT_TRUE(session->CtlOk({"agent", "device", "use", source->Node()}));
  EXPECT_TRUE(WaitForSetting(1)) << Log();
}

TEST_F(AgentFault, WaitThatFailsEndsTheAgentWithTheReasonAndReleases) {
  MiceReader mice;
  ASSERT_NO_FATAL_FAILURE(HoldLeft(mice));
  Plan("wait", ENOMEM, -1);
  // Wakes the agent: its next wait fails.
  source->Move(3, 0);
  EXPECT_EQ(session->StopAgent(0, std::chrono::seconds(20)), 1) << Log();
  EXPECT_EQ(mice.ButtonsAfter(kQuiet), 0) << "a button stayed down" << Log();
  EXPECT_NE(session->AgentLog().find(std::string("stopping: waiting failed: ") + std::strerror(ENOMEM)),
            std::string::npos)
      << Log();
  Release(1);
}

}  // namespace
}  // namespace vantix::vmtest
