// The agent as an ordinary user, on the machine's kernel: without access to
// /dev/uinput or to the mouse's node it serves nothing and says which node
// and why (stderr, vantixctl agent status), and it serves the mouse as soon
// as access is given, without a restart; nothing runs as root but the test.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/vm/input_devices.h"

namespace vantix::vmtest {
namespace {

constexpr uid_t kUser = 1000;
constexpr const char* kRoot = "/tmp/access";

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a program of /opt/vantix as the user, with the user's folders.
pid_t SpawnAsUser(const std::vector<std::string>& argv, const std::string& out, const std::string& err) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const std::string root = kRoot;
  ::setenv("HOME", (root + "/home").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
  ::unsetenv("XDG_CONFIG_HOME");
  const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  ::dup2(out_fd, 1);
  ::dup2(err_fd, 2);
  if (::setgroups(0, nullptr) != 0 || ::setresgid(kUser, kUser, kUser) != 0 ||
      ::setresuid(kUser, kUser, kUser) != 0) {
    ::_exit(126);
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

std::string Status() {
  const std::string out = std::string(kRoot) + "/ctl.out";
  const pid_t pid = SpawnAsUser({"/opt/vantix/vantixctl", "agent", "status"}, out, std::string(kRoot) + "/ctl.err");
  int status = 0;
  ::waitpid(pid, &status, 0);
  return Slurp(out);
}

// Polls vantixctl agent status until it holds text.
bool StatusSays(const std::string& text, std::string& last) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    last = Status();
    if (last.find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(milliseconds(100));
  }
  return false;
}

TEST(AgentAccess, SaysWhichNodeAndWhyThenServesOnceAccessIsGiven) {
  // The image's root comes from a private temporary folder: open it up so
  // that the user can reach the programs at all.
  ASSERT_EQ(::chmod("/", 0755), 0);
  const std::string root = kRoot;
  for (const std::string& dir : {root, root + "/home", root + "/run"}) {
    ::mkdir(dir.c_str(), 0700);
    ASSERT_EQ(::chown(dir.c_str(), kUser, kUser), 0) << dir;
  }
  ::chmod(root.c_str(), 0755);
  ASSERT_EQ(::chmod("/dev/uinput", 0600), 0);
  std::string error;
  const auto source = SourceDevice::Create({}, error);
  ASSERT_TRUE(source) << error;
  ASSERT_EQ(::chmod(source->Node().c_str(), 0600), 0);

  const std::string log = root + "/hid.log";
  pid_t agent = SpawnAsUser({"/opt/vantix/hid"}, root + "/hid.out", log);
  // A failed expectation must not leave the user's agent (and its virtual
  // mouse) behind for the tests after this one.
  const std::unique_ptr<pid_t, void (*)(pid_t*)> reaper(&agent, [](pid_t* pid) {
    if (*pid <= 0) return;
    ::kill(*pid, SIGKILL);
    ::waitpid(*pid, nullptr, 0);
  });
  std::string status;
  EXPECT_TRUE(StatusSays("reason: no write access to /dev/uinput: Permission denied\n", status))
      << status << Slurp(log);
  EXPECT_NE(status.find("device: disconnected"), std::string::npos) << status;
  EXPECT_NE(Slurp(log).find("no mouse served: no write access to /dev/uinput"), std::string::npos) << Slurp(log);

  // Access to uinput: the virtual mouse comes, the mouse's node is the next
  // thing in the way, named with its device.
  ASSERT_EQ(::chmod("/dev/uinput", 0666), 0);
  const std::string denied =
      "reason: no read access to " + source->Node() + " (Corvane II Gaming Mouse): Permission denied\n";
  EXPECT_TRUE(StatusSays(denied, status)) << status << Slurp(log);
  const auto virtual_node = WaitForDevice("Vantix virtual mouse", milliseconds(5000));
  ASSERT_TRUE(virtual_node);

  ASSERT_EQ(::chmod(source->Node().c_str(), 0644), 0);
  EXPECT_TRUE(StatusSays("device: connected\n", status)) << status << Slurp(log);
  EXPECT_EQ(status.find("reason:"), std::string::npos) << status;

  const auto reader = EventReader::Open(*virtual_node, error);
  ASSERT_TRUE(reader) << error;
  source->Button(BTN_LEFT, true);
  source->Button(BTN_LEFT, false);
  EXPECT_EQ(WithoutSyn(reader->Drain(milliseconds(500))),
            (std::vector<Event>{{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 0}}));

  ::kill(agent, SIGTERM);
  int exit_status = 0;
  ::waitpid(agent, &exit_status, 0);
  agent = -1;
  EXPECT_TRUE(WIFEXITED(exit_status) && WEXITSTATUS(exit_status) == 0) << Slurp(log);
  EXPECT_TRUE(WaitForNoDevice("Vantix virtual mouse", milliseconds(5000)));
  ::chmod("/dev/uinput", 0600);
}

}  // namespace
}  // namespace vantix::vmtest
