#include "devicelink/message_bus.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "devicelink/agent_messages.h"
#include "tests/test_support.h"

namespace vantix {
namespace {

using test::ScratchDir;

// An endpoint served on its own thread, the way an event loop would.
class Served {
 public:
  Served(const std::string& folder, std::string_view title, Endpoint::Handler handler) {
    OpenedEndpoint opened = Endpoint::Open(title, folder);
    if (!opened.status.ok()) throw std::runtime_error(opened.status.reason());
    endpoint_ = std::move(opened.endpoint);
    thread_ = std::thread([this, handler] {
      while (!stop_) {
        pollfd p{endpoint_->Fd(), POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) endpoint_->Process(handler);
      }
    });
  }
  ~Served() {
    stop_ = true;
    thread_.join();
  }

 private:
  std::unique_ptr<Endpoint> endpoint_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct Inbox {
  std::mutex mutex;
  std::vector<WindowMessage> messages;
  Endpoint::Handler Handler() {
    return [this](const WindowMessage& m) {
      std::lock_guard lock(mutex);
      messages.push_back(m);
      return m.wparam + m.lparam;
    };
  }
  std::size_t Size() {
    std::lock_guard lock(mutex);
    return messages.size();
  }
};

int RawConnect(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class MessageBusTest : public ::testing::Test {
 protected:
  void SetUp() override { folder = scratch / "run"; }
  ScratchDir scratch;
  std::string folder;
};

TEST(FrameTest, IsTwentyFourLittleEndianBytes) {
  unsigned char frame[kFrameBytes];
  EncodeFrame(WindowMessage{0x1515, true, 15, -2}, frame);
  const unsigned char expected[kFrameBytes] = {0x15, 0x15, 0, 0, 1, 0, 0, 0, 15, 0, 0, 0,
                                               0,    0,    0, 0, 0xFE, 0xFF, 0xFF, 0xFF,
                                               0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(std::vector<unsigned char>(frame, frame + kFrameBytes),
            std::vector<unsigned char>(expected, expected + kFrameBytes));
  WindowMessage back;
  ASSERT_TRUE(DecodeFrame(frame, back));
  EXPECT_EQ(back.lparam, -2);
  frame[5] = 1;  // an unknown flag bit
  EXPECT_FALSE(DecodeFrame(frame, back));
}

TEST_F(MessageBusTest, SentMessagesAreAnsweredAndPostedOnesDelivered) {
  Inbox inbox;
  const MessageBus bus(folder);
  EXPECT_FALSE(bus.FindWindow("Target"));
  EXPECT_EQ(bus.SendMessage("Target", 1, 2, 3).state, SendOutcome::State::kAbsent);
  {
    Served served(folder, "Target", inbox.Handler());
    EXPECT_TRUE(bus.FindWindow("Target"));
    const SendOutcome outcome = bus.SendMessage("Target", 0x4DE, 40, 2);
    EXPECT_EQ(outcome.state, SendOutcome::State::kAnswered);
    EXPECT_EQ(outcome.result, 42);
    EXPECT_TRUE(bus.PostMessage("Target", 0x4DD, 7, 8));
    ASSERT_TRUE(test::WaitFor([&] { return inbox.Size() >= 2; }, std::chrono::seconds(1),
                              "the sent and the posted message"));
    ASSERT_EQ(inbox.Size(), 2u);
    EXPECT_TRUE(inbox.messages[0].sent);
    EXPECT_EQ(inbox.messages[1].message, 0x4DDu);
    EXPECT_FALSE(inbox.messages[1].sent);
  }
  // The owner removes its socket when it goes.
  EXPECT_FALSE(bus.FindWindow("Target"));
  EXPECT_FALSE(test::Exists(folder + "/Target"));
}

TEST_F(MessageBusTest, AStaleSocketIsReplacedButALiveOwnerIsNot) {
  ASSERT_TRUE(PrepareEndpointFolder(folder).ok());
  {  // a socket left behind by an owner that died
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s/Target", folder.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
  }
  const OpenedEndpoint first = Endpoint::Open("Target", folder);
  ASSERT_NE(first.endpoint, nullptr) << first.status.reason();
  const OpenedEndpoint second = Endpoint::Open("Target", folder);
  EXPECT_EQ(second.endpoint, nullptr);
  EXPECT_FALSE(second.status.ok());
}

TEST_F(MessageBusTest, AFolderOpenToOthersOrNotOursIsRefused) {
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  EXPECT_FALSE(PrepareEndpointFolder(folder).ok());
  const OpenedEndpoint refused = Endpoint::Open("Target", folder);
  EXPECT_EQ(refused.endpoint, nullptr);
  EXPECT_FALSE(refused.status.ok());
  EXPECT_FALSE(MessageBus(folder).FindWindow("Target"));

  ::chmod(folder.c_str(), 0700);
  EXPECT_TRUE(PrepareEndpointFolder(folder).ok());
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(PrepareEndpointFolder(folder).ok());
  }
}

TEST_F(MessageBusTest, BadPeersAreDroppedWithoutHoldingUpOthers) {
  Inbox inbox;
  Served served(folder, "Target", inbox.Handler());
  const std::string path = folder + "/Target";
  std::vector<int> held;
  // Silent peers, a short frame, a frame with unknown flags, a flood.
  for (int i = 0; i < 300; ++i) held.push_back(RawConnect(path));
  const int shorty = RawConnect(path);
  ASSERT_EQ(::send(shorty, "0123456789", 10, 0), 10);
  const int flagged = RawConnect(path);
  unsigned char bad[kFrameBytes];
  EncodeFrame(WindowMessage{77, true, 0, 0}, bad);
  bad[4] = 0x81;
  ASSERT_EQ(::send(flagged, bad, sizeof bad, 0), static_cast<ssize_t>(sizeof bad));
  // A frame with trailing junk is handled once; the junk is ignored.
  const int chatty = RawConnect(path);
  unsigned char frame[kFrameBytes + 8];
  EncodeFrame(WindowMessage{88, false, 1, 1}, frame);
  ASSERT_EQ(::send(chatty, frame, sizeof frame, 0), static_cast<ssize_t>(sizeof frame));
  // A sender that vanishes before its answer.
  const int vanishing = RawConnect(path);
  EncodeFrame(WindowMessage{99, true, 0, 0}, frame);
  ASSERT_EQ(::send(vanishing, frame, kFrameBytes, 0), static_cast<ssize_t>(kFrameBytes));
  ::close(vanishing);

  // A well-formed message is answered while all of that is still pending.
  const SendOutcome outcome = MessageBus(folder).SendMessage("Target", 5, 1, 2, std::chrono::milliseconds(900));
  EXPECT_EQ(outcome.state, SendOutcome::State::kAnswered);
  EXPECT_EQ(outcome.result, 3);

  // Silent peers are cut off after a second.
  char byte;
  pollfd p{held.back(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 3000), 1);
  EXPECT_EQ(::recv(held.back(), &byte, 1, 0), 0);
  for (const int fd : held) ::close(fd);
  for (const int fd : {shorty, flagged, chatty}) ::close(fd);

  std::lock_guard lock(inbox.mutex);
  std::vector<std::uint32_t> seen;
  for (const WindowMessage& m : inbox.messages) seen.push_back(m.message);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 77u), 0);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 88u), 1);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 5u), 1);
}

// Descriptor numbers come back with every connection, so a full endpoint must
// know its oldest peer by the order it came in, whatever connected before.
TEST_F(MessageBusTest, AFullEndpointDropsItsOldestPeerAfterAnyNumberOfConnections) {
  Inbox inbox;
  Served served(folder, "Target", inbox.Handler());
  const MessageBus bus(folder);
  const std::string path = folder + "/Target";
  const auto sync = [&] {
    EXPECT_EQ(bus.SendMessage("Target", 1, 0, 0).state, SendOutcome::State::kAnswered);
  };
  constexpr std::size_t kConnections = 2000;
  for (std::size_t i = 0; i < kConnections; ++i) ASSERT_TRUE(bus.PostMessage("Target", 2, 0, 0));
  sync();
  // An early peer that leaves frees its descriptor for a peer that comes
  // after the oldest one.
  const int early = RawConnect(path);
  sync();
  const int oldest = RawConnect(path);
  ::close(early);
  sync();
  sync();
  std::vector<int> idle;
  while (idle.size() < 255) idle.push_back(RawConnect(path));  // 256 idle peers in all
  sync();  // one more: the oldest has to go
  char byte;
  pollfd p{oldest, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 500), 1);
  EXPECT_EQ(::recv(oldest, &byte, 1, MSG_DONTWAIT), 0) << "the oldest peer was not dropped";
  // Every newer peer is still heard.
  unsigned char frame[kFrameBytes];
  for (std::size_t i = 0; i < idle.size(); ++i) {
    EncodeFrame(WindowMessage{3, false, static_cast<std::int64_t>(i), 0}, frame);
    ::send(idle[i], frame, sizeof frame, MSG_NOSIGNAL);
  }
  const auto heard = [&] {
    std::lock_guard lock(inbox.mutex);
    return std::count_if(inbox.messages.begin(), inbox.messages.end(),
                         [](const WindowMessage& m) { return m.message == 3; });
  };
  EXPECT_TRUE(test::WaitFor([&] { return heard() >= static_cast<long>(idle.size()); },
                            std::chrono::seconds(2), "the idle peers' late frames"));
  EXPECT_EQ(heard(), static_cast<long>(idle.size()));
  EXPECT_EQ(inbox.Size(), kConnections + 5 + idle.size()) << "every post, sync and idle peer once";
  for (const int fd : idle) ::close(fd);
  ::close(oldest);
}

TEST_F(MessageBusTest, ASenderGivesUpOnAReceiverThatDoesNotAnswer) {
  const OpenedEndpoint frozen = Endpoint::Open("Frozen", folder);  // never processed
  ASSERT_NE(frozen.endpoint, nullptr);
  const auto start = std::chrono::steady_clock::now();
  const SendOutcome outcome =
      MessageBus(folder).SendMessage("Frozen", 1, 0, 0, std::chrono::milliseconds(200));
  EXPECT_EQ(outcome.state, SendOutcome::State::kNoAnswer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// A socket at the agent's name whose owner never reads what arrives.
class DeafAgent {
 public:
  enum class Deafness { kNeverAccepts, kAcceptsButNeverReads, kBacklogFull };

  DeafAgent(const std::string& folder, Deafness deafness) {
    if (!PrepareEndpointFolder(folder).ok()) throw std::runtime_error("no endpoint folder");
    const std::string path = folder + "/" + std::string(kAgentWindowTitle);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 0) != 0) {
      throw std::runtime_error("cannot listen at " + path);
    }
    if (deafness == Deafness::kAcceptsButNeverReads) {
      acceptor_ = std::thread([this] {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd >= 0) held_.push_back(fd);
      });
    }
    if (deafness == Deafness::kBacklogFull) {
      // Connections nobody accepts until a new one is refused for now.
      for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
          ::close(fd);
          break;
        }
        held_.push_back(fd);
      }
    }
  }
  ~DeafAgent() {
    // Closing the listener ends an accept that is still waiting.
    ::shutdown(listener_, SHUT_RDWR);
    if (acceptor_.joinable()) acceptor_.join();
    for (const int fd : held_) ::close(fd);
    ::close(listener_);
  }

 private:
  int listener_ = -1;
  std::thread acceptor_;
  std::vector<int> held_;
};

class AgentChannelLimitTest : public MessageBusTest,
                              public ::testing::WithParamInterface<DeafAgent::Deafness> {};

// The window sends to the agent from its event loop: an agent that has
// stopped reading may cost it the channel's limit, never more.
TEST_P(AgentChannelLimitTest, ASendToAnAgentThatDoesNotReadEndsAtTheLimit) {
  const DeafAgent agent(folder, GetParam());
  const MessageBus bus(folder);
  BusAgentChannel channel(bus, std::chrono::milliseconds(300));
  ASSERT_TRUE(channel.FindAgent());
  const auto start = std::chrono::steady_clock::now();
  const SendOutcome outcome = channel.SendToAgent(WM_AGENT_APPLY, 0, 0);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(outcome.state, SendOutcome::State::kNoAnswer);
  EXPECT_GE(took, std::chrono::milliseconds(250)) << "gave up before its limit";
  EXPECT_LT(took, std::chrono::seconds(2)) << "waited past its limit";
}

INSTANTIATE_TEST_SUITE_P(Deafness, AgentChannelLimitTest,
                         ::testing::Values(DeafAgent::Deafness::kNeverAccepts,
                                           DeafAgent::Deafness::kAcceptsButNeverReads,
                                           DeafAgent::Deafness::kBacklogFull));

TEST_F(MessageBusTest, PeersOfAnotherUserAreDropped) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  Inbox inbox;
  Served served(folder, "Target", inbox.Handler());
  // Let the other user reach the socket at all.
  ::chmod(scratch.path().c_str(), 0711);
  ::chmod(folder.c_str(), 0711);
  ::chmod((folder + "/Target").c_str(), 0777);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    const int fd = RawConnect(folder + "/Target");
    unsigned char frame[kFrameBytes];
    EncodeFrame(WindowMessage{66, false, 0, 0}, frame);
    if (fd < 0) ::_exit(3);
    // The receiver may already have hung up on us: no SIGPIPE, and no verdict from send.
    [[maybe_unused]] const ssize_t n = ::send(fd, frame, sizeof frame, MSG_NOSIGNAL);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ::chmod(folder.c_str(), 0700);
  // Our own message after it arrives; the foreign one never does.
  EXPECT_TRUE(MessageBus(folder).PostMessage("Target", 67, 0, 0));
  EXPECT_TRUE(test::WaitFor([&] { return inbox.Size() >= 1; }, std::chrono::seconds(1),
                            "our own message"));
  // A pause, not a wait: the foreign frame, had it got through, would have
  // arrived by now.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::lock_guard lock(inbox.mutex);
  ASSERT_EQ(inbox.messages.size(), 1u);
  EXPECT_EQ(inbox.messages[0].message, 67u);
}

TEST_F(MessageBusTest, InstanceLockAdmitsOneHolder) {
  auto first = InstanceLock::Acquire(folder, "Program");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(InstanceLock::Acquire(folder, "Program"), nullptr);
  first.reset();
  EXPECT_NE(InstanceLock::Acquire(folder, "Program"), nullptr);
}

}  // namespace
}  // namespace vantix
