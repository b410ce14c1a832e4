// The focus sources together: a source that dies is tried again with a
// growing pause and only while it is down, and the sources' reports of one
// program are told as fully as any of them knows it. Stand-in sources on
// socket pairs: the peer closing is the X server or compositor going away.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <chrono>

#include "agent/focus_source.h"

namespace vantix::agent {
namespace {

using namespace std::chrono_literals;

class StandIn final : public FocusSource {
 public:
  StandIn(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  ~StandIn() override { ::close(fd_); }
  std::string Name() const override { return name_; }
  int Fd() const override { return problem_.empty() ? fd_ : -1; }
  std::string Problem() const override { return problem_; }
  void Dispatch() override {
    char byte = 0;
    if (::read(fd_, &byte, 1) <= 0) problem_ = name_ + ": the server went away";
  }

 private:
  int fd_;
  std::string name_;
  std::string problem_;
};

// A kind of source that starts while its server is up; the test holds the
// server's end of each connection and the sink each start was given.
struct StandInKind {
  explicit StandInKind(std::string kind, bool up = true) : name(std::move(kind)), server_up(up) {}
  std::string name;
  bool server_up;
  int starts = 0;
  int server_end = -1;
  FocusSource::Sink sink;

  FocusSources::Start Start() {
    return [this](const FocusSource::Sink& given, std::string& problem) -> std::unique_ptr<FocusSource> {
      ++starts;
      if (!server_up) {
        problem = name + ": no server";
        return nullptr;
      }
      int ends[2];
      if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return nullptr;
      server_end = ends[1];
      sink = given;
      return std::make_unique<StandIn>(ends[0], name);
    };
  }
  void ServerGoes() {
    ::close(server_end);
    server_end = -1;
    server_up = false;
  }
  ~StandInKind() {
    if (server_end >= 0) ::close(server_end);
  }
};

// Remaining time of the retry timer; zero when it is not armed.
std::chrono::milliseconds TimerLeft(const FocusSources& sources) {
  itimerspec left{};
  ::timerfd_gettime(sources.TimerFd(), &left);
  return std::chrono::milliseconds(left.it_value.tv_sec * 1000 + left.it_value.tv_nsec / 1'000'000);
}

bool TimerFires(const FocusSources& sources, std::chrono::milliseconds within) {
  pollfd p{sources.TimerFd(), POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(within.count())) == 1;
}

TEST(FocusSourcesTest, ADeadSourceIsToldAndTriedAgainWithAGrowingPauseOnlyWhileDown) {
  StandInKind x11{"x11"}, never{"wlroots", false};
  std::vector<FocusedProgram> heard;
  FocusSources sources({x11.Start(), never.Start()}, [&](const FocusedProgram& p) { heard.push_back(p); });
  ASSERT_EQ(sources.Count(), 1u);
  EXPECT_EQ(sources.Working(), "x11");
  EXPECT_EQ(sources.Problems(), "wlroots: no server");
  // Healthy: no timer.
  EXPECT_EQ(TimerLeft(sources), 0ms);
  const std::uint64_t first = sources.Generation(0);

  x11.ServerGoes();
  sources.Dispatch(0);
  EXPECT_EQ(sources.Fd(0), -1);
  EXPECT_NE(sources.Generation(0), first);
  EXPECT_EQ(sources.Working(), "");
  EXPECT_EQ(sources.Problems(), "wlroots: no server; x11: the server went away, trying again");
  EXPECT_GT(TimerLeft(sources), 0ms);
  EXPECT_LE(TimerLeft(sources), FocusSources::kFirstRetry);

  // Still down: each failed try doubles the pause.
  ASSERT_TRUE(TimerFires(sources, 2s));
  sources.Retry();
  EXPECT_EQ(x11.starts, 2);
  EXPECT_GT(TimerLeft(sources), FocusSources::kFirstRetry);
  EXPECT_LE(TimerLeft(sources), 2 * FocusSources::kFirstRetry);
  // An early wake-up (nothing due) tries nothing.
  sources.Retry();
  EXPECT_EQ(x11.starts, 2);
  // The never-started kind is not tried at all.
  EXPECT_EQ(never.starts, 1);

  // Back: it works again, its reports count, and the timer is off.
  x11.server_up = true;
  ASSERT_TRUE(TimerFires(sources, 3s));
  sources.Retry();
  EXPECT_EQ(x11.starts, 3);
  EXPECT_GE(sources.Fd(0), 0);
  EXPECT_EQ(sources.Working(), "x11");
  EXPECT_EQ(sources.Problems(), "wlroots: no server");
  EXPECT_EQ(TimerLeft(sources), 0ms);
  x11.sink(FocusedProgram{{"GameOne", "gameone", "game.bin"}});
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard.back().Shown(), "GameOne");
}

TEST(FocusSourcesTest, TheSameProgramIsToldAsFullyAsAnySourceKnowsIt) {
  StandInKind x11{"x11"}, wlroots{"wlroots"};
  std::vector<FocusedProgram> heard;
  FocusSources sources({x11.Start(), wlroots.Start()}, [&](const FocusedProgram& p) { heard.push_back(p); });
  const FocusedProgram full{{"GameOne", "gameone", "game.bin"}};
  struct Case {
    FocusSource::Sink* from;
    FocusedProgram reported;
    FocusedProgram told;
  };
  const Case cases[] = {
      {&x11.sink, full, full},
      // The compositor lists the same window under Xwayland by its class.
      {&wlroots.sink, {{"gameone"}}, full},
      // A native program of another name is told as it is.
      {&wlroots.sink, {{"org.example.Editor"}}, {{"org.example.Editor"}}},
      // An app id of no program X11 named.
      {&wlroots.sink, {{"game.bin"}}, {{"game.bin"}}},
  };
  for (const Case& c : cases) {
    (*c.from)(c.reported);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), c.told) << c.reported.Shown();
  }
}

}  // namespace
}  // namespace vantix::agent
